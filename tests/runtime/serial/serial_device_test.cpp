// Serial ports on a real device: the virtual transceiver's terminal, reached
// as the COM port named in KALVO_TEST_PORTS (tests/app/with_radios.sh sets it up).
#include "serial/serial.h"
#include "tests/tools/vtrx_exchange.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <windows.h>

namespace {

class SerialDevice : public ::testing::Test {
protected:
    void SetUp() override
    {
        serial_init();
        const char *port = std::getenv("KALVO_TEST_PORTS");
        if (!port || !*port)
            GTEST_SKIP() << "no device: KALVO_TEST_PORTS names none";
        name = port;
    }
    void TearDown() override { serial_close(ANY); }
    std::intptr_t open(ObjectId number, std::int32_t data_bits = 8, std::int32_t parity = 0, float stop_bits = 1.0f,
                       std::int32_t handshake = 0)
    {
        return serial_open(number, text_from_utf8(name.c_str()), 9600, parity, data_bits, stop_bits, handshake, 64,
                           64);
    }
    std::string name;
};

// The slot a new handle takes: the one a closed handle left free.
HANDLE next_free_handle()
{
    HANDLE probe = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    CloseHandle(probe);
    return probe;
}

TEST_F(SerialDevice, ChannelsWrittenAreReadBackWithExactQueueCounts)
{
    ASSERT_TRUE(open_exchange_port(name));
    const std::pair<int, vtrx::Channel> channels[] = {
        {0, {14070000, '2', '1'}}, {42, {7100000, '1', '0'}}, {99, {55999999, '3', '2'}}};
    for (const auto &[channel, value] : channels)
        EXPECT_TRUE(write_channel(channel, value)) << channel;
    for (const auto &[channel, value] : channels) {
        std::intptr_t waiting = 0;
        auto reply = read_channel(channel, 1000, &waiting);
        ASSERT_TRUE(reply) << "channel " << channel << ": " << waiting << " bytes waiting";
        EXPECT_EQ(*reply, vtrx::build_reply(channel, value));
    }
    EXPECT_EQ(read_channel(7), vtrx::build_reply(7, {}));
    EXPECT_EQ(serial_input_available(0), 0);
    EXPECT_EQ(serial_output_pending(0), 0);
}

TEST_F(SerialDevice, RefusedSettingsCloseTheNewPortAndKeepTheOldOne)
{
    std::intptr_t handle = open(0);
    ASSERT_NE(handle, 0);
    HANDLE free_slot = next_free_handle();
    EXPECT_EQ(open(0, 9), 0); // no driver takes 9 data bits
    EXPECT_EQ(open(1, 8, 7), 0);
    EXPECT_EQ(next_free_handle(), free_slot);
    EXPECT_EQ(serial_write(0, "MR0003;", 7), 7); // port 0 is still the first one
    for (int poll = 0; poll < 1000 && serial_input_available(0) < vtrx::REPLY_LENGTH; ++poll)
        delay_ms(1);
    std::string reply(vtrx::REPLY_LENGTH, '\0');
    ASSERT_EQ(serial_input_available(0), vtrx::REPLY_LENGTH);
    EXPECT_EQ(serial_read(0, reply.data(), vtrx::REPLY_LENGTH), vtrx::REPLY_LENGTH);
    EXPECT_EQ(reply, vtrx::build_reply(3, {}));
}

TEST_F(SerialDevice, ReopeningUnderANumberClosesTheFirstPort)
{
    std::intptr_t first = open(0);
    ASSERT_NE(first, 0);
    std::intptr_t second = open(0, 8, 0, 1.5f, 5); // odd stop bits and handshake are the driver's business
    ASSERT_NE(second, 0);
    EXPECT_EQ(next_free_handle(), reinterpret_cast<HANDLE>(first)); // the first port was closed
    std::intptr_t dynamic = open(ANY, 7, 2, 2.0f, 3);
    ASSERT_NE(dynamic, 0);
    EXPECT_NE(dynamic, second);
    EXPECT_EQ(serial_set_line(dynamic, SERIAL_LINE_XON, 0x21), 1);
    EXPECT_EQ(serial_set_line(dynamic, SERIAL_LINE_XOFF, 0x23), 1);
    EXPECT_EQ(serial_set_line(dynamic, SERIAL_LINE_BREAK, 1), 1);
    EXPECT_EQ(serial_set_line(dynamic, SERIAL_LINE_BREAK, 0), 1);
    EXPECT_EQ(serial_set_line(dynamic, 4, 1), 0);
    serial_close(ANY);
    EXPECT_EQ(serial_set_line(dynamic, SERIAL_LINE_BREAK, 1), 0);
    EXPECT_EQ(serial_input_available(0), 0);
}

} // namespace
