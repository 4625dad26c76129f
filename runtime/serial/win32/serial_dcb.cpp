// Line parameters to the fields of a Win32 device control block. No system
// call happens here.
#include "win32/serial_win32.h"

#include "serial/serial.h"

namespace {

// The parity codes are the driver's own, so they go to it unchanged.
static_assert(SERIAL_PARITY_NONE == NOPARITY && SERIAL_PARITY_ODD == ODDPARITY &&
              SERIAL_PARITY_EVEN == EVENPARITY && SERIAL_PARITY_MARK == MARKPARITY &&
              SERIAL_PARITY_SPACE == SPACEPARITY);

constexpr char CHAR_XON = 0x11;
constexpr char CHAR_XOFF = 0x13;
constexpr std::int32_t LIMIT_MAX = 0xFFFF; // the limits are 16-bit fields

BYTE stop_bits_code(float stop_bits)
{
    if (stop_bits == 1.0f)
        return ONESTOPBIT;
    if (stop_bits == 2.0f)
        return TWOSTOPBITS;
    return ONE5STOPBITS; // 1.5 and anything else, a NaN included
}

// The driver sends XON once no more than XonLim bytes wait and XOFF once no
// more than XoffLim bytes of the input queue are free: a tenth of the queue
// and seven times that. A negative size counts as none rather than wrapping.
void set_xon_xoff(DCB &control, std::int32_t input_size)
{
    std::int32_t tenth = input_size > 0 ? input_size / 10 : 0;
    std::int32_t xoff = tenth * 7;
    control.fOutX = 1;
    control.fInX = 1;
    control.XonChar = CHAR_XON;
    control.XoffChar = CHAR_XOFF;
    control.XonLim = static_cast<WORD>(tenth < LIMIT_MAX ? tenth : LIMIT_MAX);
    control.XoffLim = static_cast<WORD>(xoff < LIMIT_MAX ? xoff : LIMIT_MAX);
}

} // namespace

void serial_apply_settings(DCB &control, std::int32_t baud, std::int32_t parity,
                           std::int32_t data_bits, float stop_bits, std::int32_t handshake,
                           std::int32_t input_size)
{
    control.BaudRate = static_cast<DWORD>(baud);
    control.ByteSize = static_cast<BYTE>(data_bits);
    control.Parity = static_cast<BYTE>(parity);
    control.fParity = 1;
    control.StopBits = stop_bits_code(stop_bits);
    switch (handshake) {
    case SERIAL_HANDSHAKE_NONE:
        control.fOutxCtsFlow = 0;
        control.fRtsControl = RTS_CONTROL_DISABLE;
        break;
    case SERIAL_HANDSHAKE_RTS_ON:
        control.fOutxCtsFlow = 0;
        control.fRtsControl = RTS_CONTROL_ENABLE;
        break;
    case SERIAL_HANDSHAKE_RTS_CTS:
        control.fOutxCtsFlow = 1;
        control.fRtsControl = RTS_CONTROL_HANDSHAKE;
        break;
    case SERIAL_HANDSHAKE_XON_XOFF:
        set_xon_xoff(control, input_size);
        break;
    default:
        break;
    }
}
