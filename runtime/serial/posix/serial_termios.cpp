// Line parameters to terminal settings. No system call happens here, so
// serial_open can reject bad parameters before it touches any device.
#include "posix/serial_posix.h"

#include "serial/serial.h"

#include <cstring>
#include <iterator>

namespace {

struct BaudSpeed {
    std::int32_t baud;
    speed_t speed;
};

constexpr BaudSpeed BAUD_SPEEDS[] = {
    {0, B0},        {50, B50},       {75, B75},       {110, B110},     {150, B150},
    {300, B300},    {600, B600},     {1200, B1200},   {1800, B1800},   {2400, B2400},
    {4800, B4800},  {9600, B9600},   {19200, B19200}, {38400, B38400}, {57600, B57600},
    {115200, B115200},
};

constexpr tcflag_t DATA_SIZES[] = {CS5, CS6, CS7, CS8}; // for 5 ... 8 data bits

// Indexed by the parity code.
constexpr tcflag_t PARITY_BITS[] = {
    0,                         // none
    PARENB | PARODD,           // odd
    PARENB,                    // even
    PARENB | PARODD | CMSPAR,  // mark
    PARENB | CMSPAR,           // space
};
static_assert(SERIAL_PARITY_NONE == 0 && SERIAL_PARITY_ODD == 1 && SERIAL_PARITY_EVEN == 2 &&
              SERIAL_PARITY_MARK == 3 && SERIAL_PARITY_SPACE == 4);
constexpr cc_t CHAR_EOF = 0x04;
constexpr cc_t CHAR_XON = 0x15;
constexpr cc_t CHAR_XOFF = 0x17;

bool find_speed(std::int32_t baud, speed_t &speed) {
    for (const BaudSpeed &entry : BAUD_SPEEDS)
        if (entry.baud == baud) {
            speed = entry.speed;
            return true;
        }
    return false;
}

} // namespace

bool serial_make_termios(std::int32_t baud, std::int32_t parity, std::int32_t data_bits,
                         float stop_bits, std::int32_t handshake, termios &settings) {
    speed_t speed = 0;
    if (!find_speed(baud, speed) || data_bits < 5 || data_bits > 8 || handshake < SERIAL_HANDSHAKE_NONE ||
        handshake > SERIAL_HANDSHAKE_XON_XOFF)
        return false;
    std::memset(&settings, 0, sizeof settings);
    settings.c_iflag = IGNPAR;
    if (handshake == SERIAL_HANDSHAKE_XON_XOFF)
        settings.c_iflag |= IXON | IXOFF | IXANY;
    // Exactly 1.0 is one stop bit; anything else, a NaN included, is two.
    settings.c_cflag = speed | DATA_SIZES[data_bits - 5] | (stop_bits == 1.0f ? 0 : CSTOPB) |
                       CREAD | CLOCAL;
    if (parity >= 0 && parity < static_cast<std::int32_t>(std::size(PARITY_BITS)))
        settings.c_cflag |= PARITY_BITS[parity];
    if (handshake == SERIAL_HANDSHAKE_RTS_CTS)
        settings.c_cflag |= CRTSCTS;
    settings.c_cc[VEOF] = CHAR_EOF;
    settings.c_cc[VMIN] = 1;
    settings.c_cc[VTIME] = 0;
    settings.c_cc[VSTART] = CHAR_XON;
    settings.c_cc[VSTOP] = CHAR_XOFF;
    return true;
}
