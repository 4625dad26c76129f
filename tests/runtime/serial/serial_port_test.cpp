#include "serial/serial.h"

#include "serial/posix/serial_posix.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

namespace {

// The far end of a serial line: a pseudo-terminal whose slave side the
// tests open as a port.
class Pty {
public:
    Pty() {
        master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master_ >= 0 && grantpt(master_) == 0 && unlockpt(master_) == 0)
            path_ = ptsname(master_);
        fcntl(master_, F_SETFL, O_NONBLOCK);
        // Raw from the start: a fresh terminal would echo input sent before
        // the port is opened back to this end.
        termios raw{};
        tcgetattr(master_, &raw);
        cfmakeraw(&raw);
        tcsetattr(master_, TCSANOW, &raw);
    }
    ~Pty() { close(master_); }
    WideText name() const { return text_from_utf8(path_.c_str()); }
    void send(const std::string &bytes) const {
        ASSERT_EQ(write(master_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    std::string receive() const {
        char buffer[256];
        ssize_t count = 0;
        for (int i = 0; i < 200 && count <= 0; ++i, usleep(1000))
            count = read(master_, buffer, sizeof buffer);
        return count > 0 ? std::string(buffer, static_cast<std::size_t>(count)) : std::string();
    }

private:
    int master_ = -1;
    std::string path_;
};

int open_descriptors() {
    int count = 0;
    if (DIR *folder = opendir("/proc/self/fd")) {
        while (readdir(folder))
            ++count;
        closedir(folder);
    }
    return count;
}

bool descriptor_open(std::intptr_t fd) { return fcntl(static_cast<int>(fd), F_GETFD) != -1; }

std::intptr_t wait_for_input(ObjectId port, std::intptr_t count) {
    std::intptr_t waiting = 0;
    for (int i = 0; i < 500 && (waiting = serial_input_available(port)) < count; ++i)
        usleep(1000);
    return waiting;
}

class SerialPortTest : public testing::Test {
protected:
    static void SetUpTestSuite() { serial_init(); }
    void TearDown() override { serial_close(ANY); }
    Pty line;
};

TEST_F(SerialPortTest, RejectsBadParametersBeforeOpeningAnything) {
    ASSERT_NE(serial_open(3, line.name(), 9600, 0, 8, 1.0f, 0, 16, 16), 0);
    line.send("x");
    const int before = open_descriptors();
    struct Case {
        int baud, data_bits, handshake;
    };
    for (const Case c : {Case{134, 8, 0}, Case{200, 8, 0}, Case{230400, 8, 0}, Case{-1, 8, 0},
                         Case{9600, 9, 0}, Case{9600, 4, 0}, Case{9600, 8, 4}, Case{9600, 8, -1}})
        EXPECT_EQ(serial_open(3, line.name(), c.baud, 0, c.data_bits, 1.0f, c.handshake, 16, 16), 0)
            << c.baud << " " << c.data_bits << " " << c.handshake;
    EXPECT_EQ(serial_open(3, u"", 9600, 0, 8, 1.0f, 0, 16, 16), 0);
    EXPECT_EQ(serial_open(-2, line.name(), 9600, 0, 8, 1.0f, 0, 16, 16), 0);
    EXPECT_EQ(open_descriptors(), before);
    // Port 3 is still the first one, with its input intact.
    EXPECT_EQ(wait_for_input(3, 1), 1);
}

TEST_F(SerialPortTest, AppliesTheLineSettings) {
    struct Case {
        int baud, parity, data_bits;
        float stop_bits;
        int handshake;
        tcflag_t cflag, iflag;
    };
    const tcflag_t base = CREAD | CLOCAL;
    const Case cases[] = {
        {9600, 0, 8, 1.0f, 0, B9600 | CS8 | base, IGNPAR},
        {0, 0, 8, 1.0f, 1, B0 | CS8 | base, IGNPAR},
        {115200, 1, 7, 2.0f, 0, B115200 | CS7 | CSTOPB | PARENB | PARODD | base, IGNPAR},
        {50, 2, 5, 1.5f, 2, B50 | CS5 | CSTOPB | PARENB | CRTSCTS | base, IGNPAR},
        {1200, 3, 6, NAN, 0, B1200 | CS6 | CSTOPB | PARENB | PARODD | CMSPAR | base, IGNPAR},
        {57600, 4, 8, 1.0f, 3, B57600 | CS8 | PARENB | CMSPAR | base, IGNPAR | IXON | IXOFF | IXANY},
        {38400, 7, 8, 1.0f, 0, B38400 | CS8 | base, IGNPAR},
        {19200, -3, 8, 1.0f, 0, B19200 | CS8 | base, IGNPAR},
    };
    // A pseudo-terminal always reads back 8 data bits and no parity, so the
    // frame size and parity enable are checked on the settings as built.
    const tcflag_t pty_fixed = CSIZE | PARENB;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.baud);
        termios built{};
        ASSERT_TRUE(serial_make_termios(c.baud, c.parity, c.data_bits, c.stop_bits, c.handshake, built));
        EXPECT_EQ(built.c_cflag, c.cflag);
        std::intptr_t fd = serial_open(1, line.name(), c.baud, c.parity, c.data_bits, c.stop_bits,
                                       c.handshake, 16, 16);
        ASSERT_GT(fd, 0);
        EXPECT_TRUE(fcntl(static_cast<int>(fd), F_GETFL) & O_NONBLOCK);
        termios settings{};
        ASSERT_EQ(tcgetattr(static_cast<int>(fd), &settings), 0);
        EXPECT_EQ(settings.c_cflag & ~pty_fixed, c.cflag & ~pty_fixed);
        EXPECT_EQ(settings.c_iflag, c.iflag);
        EXPECT_EQ(settings.c_oflag, 0u);
        EXPECT_EQ(settings.c_lflag, 0u);
        EXPECT_EQ(settings.c_cc[VEOF], 0x04);
        EXPECT_EQ(settings.c_cc[VMIN], 1);
        EXPECT_EQ(settings.c_cc[VTIME], 0);
        EXPECT_EQ(settings.c_cc[VSTART], 0x15);
        EXPECT_EQ(settings.c_cc[VSTOP], 0x17);
    }
}

TEST_F(SerialPortTest, SetsLinesAndControlCharacters) {
    std::intptr_t fd = serial_open(0, line.name(), 9600, 0, 8, 1.0f, 0, 64, 64);
    ASSERT_GT(fd, 0);
    EXPECT_EQ(serial_set_line(0, SERIAL_LINE_XON, 0x111), 1);
    EXPECT_EQ(serial_set_line(0, SERIAL_LINE_XOFF, 0x13), 1);
    termios settings{};
    ASSERT_EQ(tcgetattr(static_cast<int>(fd), &settings), 0);
    EXPECT_EQ(settings.c_cc[VSTART], 0x11);
    EXPECT_EQ(settings.c_cc[VSTOP], 0x13);
    EXPECT_EQ(serial_set_line(0, SERIAL_LINE_BREAK, 1), 1);
    EXPECT_EQ(serial_set_line(0, SERIAL_LINE_BREAK, 0), 1);
    EXPECT_EQ(serial_set_line(0, 4, 1), 0);
    // A pseudo-terminal has no modem lines to set.
    EXPECT_EQ(serial_set_line(0, SERIAL_LINE_DTR, 1), 0);
    EXPECT_EQ(serial_set_line(7, SERIAL_LINE_XON, 0x11), 0);
}

TEST_F(SerialPortTest, CountsQueuesAndNeverWaits) {
    line.send("stale input");
    ASSERT_NE(serial_open(0, line.name(), 9600, 0, 8, 1.0f, 0, 64, 64), 0);
    EXPECT_EQ(serial_input_available(0), 0); // discarded at open
    char buffer[64] = {};
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(serial_read(0, buffer, sizeof buffer), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(50));

    line.send(std::string(37, 'a'));
    EXPECT_EQ(wait_for_input(0, 37), 37);
    EXPECT_EQ(serial_read(0, buffer, -1), 0);
    EXPECT_EQ(serial_read(0, nullptr, 5), 0);
    EXPECT_EQ(serial_read(0, buffer, 10), 10);
    EXPECT_EQ(serial_input_available(0), 27);
    EXPECT_EQ(serial_read(0, buffer, sizeof buffer), 27);

    EXPECT_EQ(serial_write(0, "MR0007;", 7), 7);
    EXPECT_EQ(line.receive(), "MR0007;");
    EXPECT_EQ(serial_output_pending(0), 0);
    EXPECT_EQ(serial_write(0, buffer, -7), 0);
    EXPECT_EQ(serial_input_available(5), 0);
    EXPECT_EQ(serial_output_pending(5), 0);
    EXPECT_EQ(serial_read(5, buffer, 1), 0);
    EXPECT_EQ(serial_write(1000, buffer, 1), 0);
}

TEST_F(SerialPortTest, ReusesNumbersAndKeepsAPortWhenAReopenFails) {
    Pty other;
    std::intptr_t first = serial_open(0, line.name(), 9600, 0, 8, 1.0f, 0, 64, 64);
    ASSERT_GT(first, 0);
    EXPECT_EQ(serial_open(0, u"/dev/no-such-port", 9600, 0, 8, 1.0f, 0, 64, 64), 0);
    EXPECT_TRUE(descriptor_open(first));
    EXPECT_EQ(serial_write(0, "ok", 2), 2);
    EXPECT_EQ(line.receive(), "ok");

    std::intptr_t second = serial_open(0, other.name(), 9600, 0, 8, 1.0f, 0, 64, 64);
    ASSERT_GT(second, 0);
    EXPECT_NE(second, first);
    EXPECT_FALSE(descriptor_open(first));
    EXPECT_EQ(serial_write(0, "new", 3), 3);
    EXPECT_EQ(other.receive(), "new");
}

// A second program opening the port (its start-up probe) must neither get it
// nor disturb the input waiting for the program that has it.
TEST_F(SerialPortTest, APortInUseIsRefusedToOtherProcesses) {
    ASSERT_NE(serial_open(0, line.name(), 9600, 0, 8, 1.0f, 0, 64, 64), 0);
    line.send("reply");
    ASSERT_EQ(wait_for_input(0, 5), 5);
    const auto open_elsewhere = [&] {
        pid_t child = fork();
        if (child == 0)
            _exit(serial_open(1, line.name(), 9600, 0, 8, 1.0f, 0, 64, 64) != 0 ? 1 : 0);
        int status = -1;
        waitpid(child, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    EXPECT_EQ(open_elsewhere(), 0);
    EXPECT_EQ(serial_input_available(0), 5);
    // Reopened in this process the port stays claimed, and once it is closed
    // another process may have it.
    ASSERT_NE(serial_open(0, line.name(), 9600, 0, 8, 1.0f, 0, 64, 64), 0);
    EXPECT_EQ(open_elsewhere(), 0);
    serial_close(0);
    EXPECT_EQ(open_elsewhere(), 1);
}

TEST_F(SerialPortTest, ClosesOneOrAll) {
    Pty other;
    std::intptr_t a = serial_open(2, line.name(), 9600, 0, 8, 1.0f, 0, 16, 16);
    std::intptr_t b = serial_open(20, other.name(), 9600, 0, 8, 1.0f, 0, 16, 16);
    ObjectId older = serial_open(ANY, line.name(), 9600, 0, 8, 1.0f, 0, 16, 16);
    ObjectId newer = serial_open(ANY, other.name(), 9600, 0, 8, 1.0f, 0, 16, 16);
    ASSERT_TRUE(a > 0 && b > 0 && older && newer);
    EXPECT_EQ(serial_write(newer, "via handle", 10), 10);
    EXPECT_EQ(other.receive(), "via handle");

    serial_close(11); // never opened: nothing happens
    serial_close(2);
    EXPECT_FALSE(descriptor_open(a));
    EXPECT_EQ(serial_write(2, "x", 1), 0);
    serial_close(2);

    const int before = open_descriptors();
    serial_close(ANY);
    EXPECT_EQ(open_descriptors(), before - 3);
    EXPECT_FALSE(descriptor_open(b));
    EXPECT_EQ(serial_write(20, "x", 1), 0);
    EXPECT_EQ(serial_write(older, "x", 1), 0);

    ASSERT_GT(serial_open(4, line.name(), 9600, 0, 8, 1.0f, 0, 16, 16), 0);
    serial_shutdown();
    EXPECT_EQ(serial_write(4, "x", 1), 0);
}

} // namespace
