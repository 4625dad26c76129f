// Numbered serial ports on POSIX terminal devices. Descriptors stay
// non-blocking, so reads and writes never wait.
#include "serial/serial.h"

#include "serial/posix/serial_posix.h"
#include "serial/serial_registry.h"

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

int descriptor_of(ObjectId port) {
    std::intptr_t device = serial_device_of(port);
    return device ? static_cast<int>(device) : -1;
}

// A record holding descriptor 0 would read as "no port", so a device that
// opened as descriptor 0 (standard input closed) moves to another number.
int open_device(const std::string &path) {
    int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd == 0) {
        int moved = fcntl(fd, F_DUPFD, 1);
        close(fd);
        fd = moved;
    }
    return fd;
}

// Claims the device for this process with a record lock, so a port belongs to
// one program at a time as it does on Windows: another program's open (the
// port probe of a second copy starting) fails here instead of flushing the
// input of an exchange under way. The process's own opens never conflict.
// False only when another process holds the device.
bool claim_device(int fd) {
    struct flock lock{};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    if (fcntl(fd, F_SETLK, &lock) == 0)
        return true;
    return errno != EACCES && errno != EAGAIN; // a device without locks stays usable
}

// Sets or clears one modem line and reports whether it now has that state.
// A device without modem lines (a pseudo-terminal) answers 0.
std::int32_t set_modem_line(int fd, int line, bool on) {
    int bits = 0;
    if (ioctl(fd, TIOCMGET, &bits) != 0)
        return 0;
    bits = on ? (bits | line) : (bits & ~line);
    if (ioctl(fd, TIOCMSET, &bits) != 0 || ioctl(fd, TIOCMGET, &bits) != 0)
        return 0;
    return ((bits & line) != 0) == on ? 1 : 0;
}

std::int32_t set_control_char(int fd, int index, std::int32_t value) {
    termios settings{};
    if (tcgetattr(fd, &settings) != 0)
        return 0;
    settings.c_cc[index] = static_cast<cc_t>(value & 0xff);
    return tcsetattr(fd, TCSANOW, &settings) == 0 ? 1 : 0;
}

std::intptr_t queue_count(ObjectId port, unsigned long request) {
    int fd = descriptor_of(port);
    int count = 0;
    if (fd >= 0)
        ioctl(fd, request, &count);
    return count;
}

} // namespace

void serial_device_close(std::intptr_t device) { close(static_cast<int>(device)); }

std::intptr_t serial_open(ObjectId number, const WideText &name, std::int32_t baud,
                          std::int32_t parity, std::int32_t data_bits, float stop_bits,
                          std::int32_t handshake, std::int32_t, std::int32_t) {
    termios settings{};
    if (!serial_number_valid(number) || name.empty() ||
        !serial_make_termios(baud, parity, data_bits, stop_bits, handshake, settings))
        return 0;
    int fd = open_device(text_to_utf8(name));
    if (fd < 0)
        return 0; // the registry is untouched: a port under this number stays open
    if (!claim_device(fd)) {
        close(fd);
        return 0;
    }
    tcflush(fd, TCIFLUSH);
    tcsetattr(fd, TCSANOW, &settings);
    // Closes a port still open under this number, now that the new one is.
    std::intptr_t opened = serial_register(number, fd);
    // Closing a descriptor drops the process's locks on that device, also
    // when the port replaced was this same device: claim it again.
    if (opened)
        claim_device(fd);
    return opened;
}

std::int32_t serial_set_line(ObjectId port, std::int32_t code, std::int32_t value) {
    int fd = descriptor_of(port);
    if (fd < 0)
        return 0;
    switch (code) {
    case SERIAL_LINE_DTR:
        return set_modem_line(fd, TIOCM_DTR, value != 0);
    case SERIAL_LINE_RTS:
        return set_modem_line(fd, TIOCM_RTS, value != 0);
    case SERIAL_LINE_BREAK:
        ioctl(fd, value ? TIOCSBRK : TIOCCBRK);
        return 1;
    case SERIAL_LINE_XON:
        return set_control_char(fd, VSTART, value);
    case SERIAL_LINE_XOFF:
        return set_control_char(fd, VSTOP, value);
    default:
        return 0;
    }
}

std::intptr_t serial_input_available(ObjectId port) { return queue_count(port, FIONREAD); }

std::intptr_t serial_output_pending(ObjectId port) { return queue_count(port, TIOCOUTQ); }

// A negative length would reach the system as a huge size, so it reads or
// writes nothing instead.
std::int32_t serial_read(ObjectId port, void *buffer, std::int32_t length) {
    int fd = descriptor_of(port);
    if (fd < 0 || !buffer || length <= 0)
        return 0;
    ssize_t count = read(fd, buffer, static_cast<std::size_t>(length));
    return count > 0 ? static_cast<std::int32_t>(count) : 0;
}

std::int32_t serial_write(ObjectId port, const void *buffer, std::int32_t length) {
    int fd = descriptor_of(port);
    if (fd < 0 || !buffer || length <= 0)
        return 0;
    ssize_t count = write(fd, buffer, static_cast<std::size_t>(length));
    return count > 0 ? static_cast<std::int32_t>(count) : 0;
}
