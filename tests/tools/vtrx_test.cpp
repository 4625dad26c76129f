// kalvo-vtrx driven through kalvo_serial the way the editor drives a radio.
#include "serial/serial.h"
#include "tests/tools/vtrx_exchange.h"
#include "tests/tools/vtrx_fixture.h"

#include <gtest/gtest.h>

#include <chrono>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr int FAULT_POLLS = 300; // a fault shows within this many 1 ms polls

vtrx::Channel channel_value(int c) {
    // Mixed frequencies and codes, some channels empty.
    if (c % 7 == 3)
        return {};
    return {100000 + 559000LL * c, static_cast<std::uint8_t>('1' + c % 7),
            static_cast<std::uint8_t>('0' + c % 3)};
}

std::string link_path() { return testing::TempDir() + "vtrx-ttyUSB-" + std::to_string(getpid()); }

class VtrxTest : public testing::Test {
protected:
    static void SetUpTestSuite() { serial_init(); }
    void TearDown() override { serial_close(ANY); }

    // Starts the tool and opens port 0 on it.
    void start(std::vector<std::string> options, std::optional<vtrx::MemBytes> memory = {}) {
        ASSERT_TRUE(radio.start({std::move(options), {}, memory}));
        ASSERT_TRUE(open_exchange_port(radio.path()));
    }

    VirtualTransceiver radio;
};

TEST_F(VtrxTest, ReadsAndWritesAllHundredChannels) {
    vtrx::MemBytes initial = empty_memory();
    vtrx::store_record(initial, 0, {7050000, '1', '1'});
    vtrx::store_record(initial, 99, {-5, '3', '2'});
    start({"--baud", "0"}, initial);
    EXPECT_EQ(radio.memory(), initial);
    for (int c = 0; c < vtrx::CHANNEL_COUNT; ++c) {
        auto reply = read_channel(c);
        ASSERT_TRUE(reply) << c;
        EXPECT_EQ(reply->substr(0, 6), "MR00" + std::to_string(100 + c).substr(1));
        EXPECT_EQ(reply->back(), ';');
    }
    EXPECT_EQ(read_channel(0)->substr(6, 13), "0000705000011");
    EXPECT_EQ(read_channel(99)->substr(6, 13), "9999999999532");

    vtrx::Memory expected;
    for (int c = 0; c < vtrx::CHANNEL_COUNT; ++c) {
        expected.channels[c] = channel_value(c);
        // Frequency 0 clears a channel whatever its codes say.
        ASSERT_TRUE(write_channel(c, c % 7 == 3 ? vtrx::Channel{0, '5', '1'} : channel_value(c)));
        while (serial_output_pending(0) != 0)
            delay_ms(1);
    }
    ASSERT_TRUE(radio.wait_for_memory(expected.to_mem(), 5000));
    for (int c : {0, 3, 57, 99})
        EXPECT_EQ(*read_channel(c), vtrx::build_reply(c, expected.channels[c]));
    EXPECT_EQ(radio.stop(), 0);
}

TEST_F(VtrxTest, PacesBothDirectionsAtTheLineRate) {
    start({"--baud", "9600"});
    const auto begin = Clock::now();
    ASSERT_EQ(serial_write(0, "MR0042;", 7), 7);
    delay_ms(40); // the command alone takes 7.3 ms, the reply 52 ms more
    EXPECT_LT(serial_input_available(0), 50);
    std::intptr_t waiting = 0;
    for (int polls = 0; polls < 200 && waiting != 50; ++polls, delay_ms(1))
        waiting = serial_input_available(0);
    const auto elapsed = Clock::now() - begin;
    EXPECT_EQ(waiting, 50);
    EXPECT_GE(elapsed, milliseconds(59));
    EXPECT_LT(elapsed, milliseconds(200)); // generous: shared, loaded machines
}

TEST_F(VtrxTest, SurvivesNoiseAndAnswersTheNextCommand) {
    start({"--baud", "0"});
    std::string noise;
    for (int i = 0; i < 20000; ++i)
        noise += static_cast<char>((i * 7919) % 251);
    noise += "MW0012abc;MR00;MR0099";
    for (std::size_t sent = 0; sent < noise.size(); delay_ms(1))
        sent += serial_write(0, noise.data() + sent, static_cast<std::int32_t>(noise.size() - sent));
    delay_ms(50);
    char drain[64];
    while (serial_read(0, drain, sizeof drain) > 0) {
    }
    EXPECT_TRUE(read_channel(5));
    EXPECT_EQ(radio.stop(), 0);
}

TEST_F(VtrxTest, FaultsBreakTheReplyAsAsked) {
    struct Case {
        std::vector<std::string> options;
        std::intptr_t waiting; // input count once the exchange has failed
    };
    const Case cases[] = {
        {{"--silent"}, 0},
        {{"--reply-length", "49"}, 49},
        {{"--reply-length", "51"}, 51},
        {{"--stray-byte"}, 51},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.options.front());
        std::vector<std::string> options{"--baud", "9600", "--fault-after", "2"};
        options.insert(options.end(), c.options.begin(), c.options.end());
        start(options);
        EXPECT_TRUE(read_channel(0));
        EXPECT_TRUE(read_channel(1));
        std::intptr_t waiting = -1;
        EXPECT_FALSE(read_channel(2, FAULT_POLLS, &waiting));
        EXPECT_EQ(waiting, c.waiting);
        EXPECT_EQ(radio.stop(), 0);
    }
}

TEST_F(VtrxTest, FaultsGarbleOrDelayTheReply) {
    vtrx::MemBytes initial = empty_memory();
    vtrx::store_record(initial, 1, {7050000, '1', '1'});
    start({"--baud", "0", "--garbage-digits"}, initial);
    auto reply = read_channel(1);
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->substr(6, 13), "0000705?x:/11");

    start({"--baud", "0", "--reply-delay", "200"});
    const auto begin = Clock::now();
    EXPECT_TRUE(read_channel(1));
    EXPECT_GE(Clock::now() - begin, milliseconds(200));
    EXPECT_LT(Clock::now() - begin, milliseconds(600));
}

TEST_F(VtrxTest, HangsUpAndComesBackUnderTheLink) {
    const std::string link = link_path();
    ASSERT_TRUE(radio.start({{"--baud", "0", "--hangup", "--fault-after", "1"}, link, {}}));
    char target[256] = {};
    ASSERT_GT(readlink(link.c_str(), target, sizeof target - 1), 0);
    EXPECT_EQ(radio.path(), target);
    ASSERT_TRUE(open_exchange_port(link));
    EXPECT_TRUE(read_channel(0));
    EXPECT_FALSE(read_channel(1, FAULT_POLLS));
    EXPECT_EQ(serial_input_available(0), 0);
    EXPECT_EQ(serial_write(0, "MR0001;", 7), 0);
    struct stat info {};
    EXPECT_NE(lstat(link.c_str(), &info), 0); // the device is gone
    EXPECT_EQ(radio.stop(), 0);

    ASSERT_TRUE(radio.start(
        {{"--baud", "0", "--hangup", "--fault-after", "0", "--reopen-after", "100"}, link, {}}));
    ASSERT_TRUE(open_exchange_port(link));
    EXPECT_FALSE(read_channel(0, FAULT_POLLS));
    ASSERT_TRUE(radio.wait_for_new_path(2000));
    ASSERT_TRUE(open_exchange_port(link));
    EXPECT_TRUE(read_channel(0));
    EXPECT_EQ(radio.stop(), 0);
    EXPECT_NE(lstat(link.c_str(), &info), 0); // removed on exit
}

TEST_F(VtrxTest, RefusesBadOptionsAndForeignFiles) {
    EXPECT_FALSE(radio.start({{"--reply-length", "5"}, {}, {}}));
    EXPECT_FALSE(radio.start({{"--no-such-option"}, {}, {}}));
    const std::string taken = link_path();
    FILE *file = std::fopen(taken.c_str(), "w");
    ASSERT_TRUE(file);
    std::fclose(file);
    EXPECT_FALSE(radio.start({{}, taken, {}})); // not a link: left alone
    struct stat info {};
    EXPECT_EQ(lstat(taken.c_str(), &info), 0);
    EXPECT_TRUE(S_ISREG(info.st_mode));
    std::remove(taken.c_str());
}

} // namespace
