// Serial ports against a transceiver with every channel empty (with_radios.sh
// starts it and names its port in KALVO_TEST_PORTS): the same cases on both
// systems, then the POSIX port's own (reads that never wait, the claim).
#include "serial/serial.h"
#include "vtrx_exchange.h"

#include <gtest/gtest.h>

#include <chrono>
#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

// The slot the next handle of the process takes: a port left open by a
// refused or replaced open would move it.
std::intptr_t next_free_handle() {
#ifdef _WIN32
    HANDLE probe = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    CloseHandle(probe);
    return reinterpret_cast<std::intptr_t>(probe);
#else
    int probe = open("/dev/null", O_RDONLY);
    close(probe);
    return probe;
#endif
}

class SerialTest : public testing::Test {
protected:
    void SetUp() override {
        serial_init();
        const std::vector<std::string> ports = test_ports();
        if (ports.empty())
            GTEST_SKIP() << "no transceiver (run through with_radios.sh)";
        name = text_from_utf8(ports.front().c_str());
    }
    void TearDown() override { serial_close(ANY); }
    std::intptr_t open_port(ObjectId number) { return serial_open(number, name, 9600, 0, 8, 1.0f, 0, 64, 64); }
    // Asks for channel 3 and waits until its 50-byte reply is in (unread).
    bool reply_waits(ObjectId port) {
        serial_write(port, "MR0003;", 7);
        for (int poll = 0; poll < 1000 && serial_input_available(port) < vtrx::REPLY_LENGTH; ++poll)
            delay_ms(1);
        return serial_input_available(port) == vtrx::REPLY_LENGTH;
    }
    bool answers(ObjectId port) {
        std::string reply(vtrx::REPLY_LENGTH, '\0');
        return reply_waits(port) && serial_read(port, reply.data(), vtrx::REPLY_LENGTH) == vtrx::REPLY_LENGTH &&
               reply == vtrx::build_reply(3, {});
    }
    WideText name;
};

TEST_F(SerialTest, RefusedOpensAndUnknownPortsLeaveThePortUnderTheirNumber) {
    ASSERT_NE(open_port(0), 0);
    const std::intptr_t free_slot = next_free_handle();
    EXPECT_EQ(serial_open(0, name, 9600, 0, 9, 1.0f, 0, 64, 64), 0); // no driver takes 9 data bits
    EXPECT_EQ(serial_open(0, u"", 9600, 0, 8, 1.0f, 0, 64, 64), 0);
    EXPECT_EQ(serial_open(0, u"no-such-port", 9600, 0, 8, 1.0f, 0, 64, 64), 0);
    EXPECT_EQ(next_free_handle(), free_slot);
    char buffer[8] = {};
    std::int32_t outsider[4] = {1};
    for (ObjectId port : {ObjectId{5}, ObjectId{99}, reinterpret_cast<ObjectId>(outsider)}) {
        EXPECT_EQ(serial_set_line(port, SERIAL_LINE_RTS, 1), 0);
        EXPECT_EQ(serial_input_available(port) + serial_output_pending(port), 0);
        EXPECT_EQ(serial_read(port, buffer, 8) + serial_write(port, "MR0001;", 7), 0);
        serial_close(port);
    }
    EXPECT_EQ(outsider[0], 1);
    EXPECT_TRUE(answers(0));
}

TEST_F(SerialTest, ReopeningUnderANumberClosesTheFirstPortAndCloseAnyClosesAll) {
    std::intptr_t first = open_port(0);
    ASSERT_NE(first, 0);
    ASSERT_NE(open_port(0), 0);
    EXPECT_EQ(next_free_handle(), first);
    ObjectId dynamic = open_port(ANY);
    ASSERT_NE(dynamic, 0);
    serial_close(0);
    EXPECT_EQ(serial_write(0, "MR0003;", 7), 0);
    EXPECT_TRUE(answers(dynamic));
    ASSERT_NE(open_port(0), 0);
    serial_close(ANY);
    EXPECT_EQ(serial_write(0, "MR0003;", 7) + serial_write(dynamic, "MR0003;", 7), 0);
    EXPECT_EQ(next_free_handle(), first);
}

#ifndef _WIN32
TEST_F(SerialTest, ReadsNeverWaitAndAnOpenDropsStaleInput) {
    ASSERT_NE(open_port(0), 0);
    char buffer[64] = {};
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(serial_read(0, buffer, sizeof buffer), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(50));
    ASSERT_TRUE(reply_waits(0));
    EXPECT_EQ(serial_read(0, buffer, 10), 10);
    EXPECT_EQ(serial_input_available(0), 40);
    ASSERT_NE(open_port(0), 0);
    EXPECT_EQ(serial_input_available(0), 0);
}

// A second program opening the port (its start-up probe) must neither get it
// nor disturb the input waiting for the program that has it.
TEST_F(SerialTest, APortInUseIsRefusedToOtherProcesses) {
    ASSERT_NE(open_port(0), 0);
    ASSERT_TRUE(reply_waits(0));
    const auto open_elsewhere = [&] {
        pid_t child = fork();
        if (child == 0)
            _exit(open_port(1) != 0 ? 1 : 0);
        int status = -1;
        waitpid(child, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    EXPECT_EQ(open_elsewhere(), 0);
    EXPECT_EQ(serial_input_available(0), vtrx::REPLY_LENGTH);
    // Reopened in this process the port stays claimed, and once it is closed
    // another process may have it.
    ASSERT_NE(open_port(0), 0);
    EXPECT_EQ(open_elsewhere(), 0);
    serial_close(0);
    EXPECT_EQ(open_elsewhere(), 1);
}
#endif

} // namespace
