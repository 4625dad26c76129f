// Serial devices on POSIX terminals. Descriptors stay non-blocking, so reads
// and writes never wait.
#include "internal/serial_device.h"

#include "posix/serial_posix.h"

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

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

int descriptor(std::intptr_t device) { return static_cast<int>(device); }

} // namespace

std::intptr_t serial_device_open(const WideText &name, const SerialLine &line) {
    termios settings{};
    if (!serial_make_termios(line.baud, line.parity, line.data_bits, line.stop_bits, line.handshake, settings))
        return 0;
    int fd = open_device(text_to_utf8(name));
    if (fd < 0)
        return 0;
    if (!claim_device(fd)) {
        close(fd);
        return 0;
    }
    tcflush(fd, TCIFLUSH);
    tcsetattr(fd, TCSANOW, &settings);
    return fd;
}

// Closing a descriptor drops the process's locks on that device, also when
// the port the new one replaced was this same device: claim it again.
void serial_device_adopted(std::intptr_t device) { claim_device(descriptor(device)); }

void serial_device_close(std::intptr_t device) { close(descriptor(device)); }

std::intptr_t serial_device_queued(std::intptr_t device, SerialQueue queue) {
    int count = 0;
    ioctl(descriptor(device), queue == SerialQueue::input ? FIONREAD : TIOCOUTQ, &count);
    return count;
}

std::int32_t serial_device_signal(std::intptr_t device, SerialSignal signal, bool on) {
    int fd = descriptor(device);
    switch (signal) {
    case SerialSignal::dtr:
        return set_modem_line(fd, TIOCM_DTR, on);
    case SerialSignal::rts:
        return set_modem_line(fd, TIOCM_RTS, on);
    case SerialSignal::line_break:
        ioctl(fd, on ? TIOCSBRK : TIOCCBRK);
        return 1;
    }
    return 0;
}

std::int32_t serial_device_flow_char(std::intptr_t device, SerialFlowChar which, unsigned char value) {
    int fd = descriptor(device);
    termios settings{};
    if (tcgetattr(fd, &settings) != 0)
        return 0;
    settings.c_cc[which == SerialFlowChar::xon ? VSTART : VSTOP] = static_cast<cc_t>(value);
    return tcsetattr(fd, TCSANOW, &settings) == 0 ? 1 : 0;
}

std::int32_t serial_device_read(std::intptr_t device, void *buffer, std::int32_t length) {
    ssize_t count = read(descriptor(device), buffer, static_cast<std::size_t>(length));
    return count > 0 ? static_cast<std::int32_t>(count) : 0;
}

std::int32_t serial_device_write(std::intptr_t device, const void *buffer, std::int32_t length) {
    ssize_t count = write(descriptor(device), buffer, static_cast<std::size_t>(length));
    return count > 0 ? static_cast<std::int32_t>(count) : 0;
}
