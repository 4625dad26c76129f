// What of kalvo-vtrx the editor suites do not already rely on: line pacing,
// slow answers, garbled digits, bytes that are no command, a hang-up and a new
// terminal under the same link, and the command line it refuses. The
// transceivers come from with_radios.sh (see CMakeLists.txt).
#include "serial/serial.h"
#include "vtrx_exchange.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

class VtrxTest : public testing::Test {
protected:
    void SetUp() override {
        serial_init();
        ports = test_ports();
        if (ports.size() < 4)
            GTEST_SKIP() << "no transceivers (run through with_radios.sh)";
    }
    void TearDown() override { serial_close(ANY); }
    std::vector<std::string> ports;
};

// At 9600 baud the 7-byte command takes 7.3 ms and the 50-byte reply 52 ms
// more; a reply delay of 200 ms comes on top of an instant line. How much
// later than that the reply comes depends on how busy the machine is; that
// it comes at all, read_channel's time-out tells.
TEST_F(VtrxTest, PacesTheLineAndAnswersLateWhenAsked) {
    for (auto [port, least] : {std::pair{0, 59}, std::pair{1, 200}}) {
        ASSERT_TRUE(open_exchange_port(ports[port]));
        const auto begin = Clock::now();
        EXPECT_TRUE(read_channel(5)) << ports[port];
        EXPECT_GE(Clock::now() - begin, milliseconds(least)) << ports[port];
    }
}

// Noise, a read cut short, a write with a letter in its frequency and a
// channel field that is no number get no reply; the reads between them do.
TEST_F(VtrxTest, AnswersOnlyWhatIsACommand) {
    ASSERT_TRUE(open_exchange_port(ports[2]));
    std::string noise;
    for (int i = 0; i < 20000; ++i)
        noise += static_cast<char>((i * 7919) % 251);
    for (std::size_t sent = 0; sent < noise.size(); delay_ms(1))
        sent +=
            serial_write(0, noise.data() + sent, static_cast<std::int32_t>(noise.size() - sent));
    delay_ms(50);
    char drained[64];
    while (serial_read(0, drained, sizeof drained) > 0) {}
    std::string broken_write = vtrx::build_write_command(5, {145500000, '4', '0'});
    broken_write[10] = 'x';
    const std::string stream = std::string("\0zz;M;MRMR0013;", 15) + "MR01;MW0003000MR0014;" +
                               broken_write + "MR0015;MRab00;MR0016;";
    const auto length = static_cast<std::int32_t>(stream.size());
    ASSERT_EQ(serial_write(0, stream.data(), length), length);
    std::string heads;
    for (int polls = 0; polls < 1000 && serial_input_available(0) < 4 * vtrx::REPLY_LENGTH; ++polls)
        delay_ms(1);
    delay_ms(20);
    for (char reply[vtrx::REPLY_LENGTH];
         serial_read(0, reply, vtrx::REPLY_LENGTH) == vtrx::REPLY_LENGTH;)
        heads += std::string(reply, 6) + reply[vtrx::REPLY_LENGTH - 1];
    EXPECT_EQ(heads, "MR0013;MR0014;MR0015;MR0016;");

    // Garbled digits: the last four frequency digits of channel 1 (145500000).
    EXPECT_EQ(read_channel(1).value_or("no reply").substr(6, 13), "0014550?x:/21");
}

// The line hangs up at the second command and comes back 500 ms later as a
// new terminal under the same link.
TEST_F(VtrxTest, HangsUpAndComesBackUnderTheLink) {
    ASSERT_TRUE(open_exchange_port(ports[3]));
    EXPECT_TRUE(read_channel(0));
    EXPECT_FALSE(read_channel(1, 100));
    EXPECT_EQ(serial_write(0, "MR0001;", 7), 0);
    EXPECT_FALSE(fs::exists(fs::symlink_status(ports[3]))); // the device is gone
    bool back = false;
    for (int polls = 0; polls < 50 && !(back = fs::exists(ports[3])); ++polls)
        delay_ms(100);
    ASSERT_TRUE(back);
    ASSERT_TRUE(open_exchange_port(ports[3]));
    EXPECT_TRUE(read_channel(1));
}

// Refused: exit status 2 for options, 1 for files; a regular file is never
// taken for a link of its own.
TEST(VtrxCommandLine, RefusesBadOptionsAndFiles) {
    const std::string folder = testing::TempDir();
    std::ofstream(folder + "short.mem") << std::string(599, '\0');
    std::ofstream(folder + "taken") << "mine";
    const std::pair<std::string, int> cases[] = {{"--reply-length 5", 2},
                                                 {"--no-such-option", 2},
                                                 {"--reopen-after 100", 2},
                                                 {"--baud", 2},
                                                 {"--load " + folder + "short.mem", 1},
                                                 {"--link " + folder + "taken", 1}};
    for (const auto &[options, status] : cases) {
        // A tool that started would be stopped by timeout with status 124.
        const int result =
            std::system(("timeout 5 " KALVO_VTRX_PATH " " + options + " >/dev/null 2>&1").c_str());
        EXPECT_EQ(WEXITSTATUS(result), status) << options;
    }
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(folder + "taken")));
}

} // namespace
