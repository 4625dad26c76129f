// The kalvo program used as a user uses it (see program_driver.h) against the
// transceivers with_radios.sh started: what only the real program and its
// window show; the editor suite checks the editing logic.
#include "radios.h"
#include "program_driver.h"

#include <gtest/gtest.h>

#include <random>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

// The transceivers tests/program/CMakeLists.txt starts, each from radio.mem.
const std::string RADIO = "/dev/ttyUSB0";         // answers at once
const std::string FALLS_SILENT = "/dev/ttyUSB1";  // after five channels
const std::string TAKES_NOTHING = "/dev/ttyUSB2"; // refuses every write
const std::string SLOW = "/dev/ttyUSB3";          // 9600 baud, only read from
const std::string SLOW_WRITTEN = "/dev/ttyUSB4";  // 9600 baud, read and written
const std::vector<std::string> NONE;

const std::string EMPTY = record(0, '0', '0');

// Channel c at 100000 + 1013 (c + offset) Hz with mode and pre-amp codes taken
// in turn; every seventh empty.
std::string channel_set(int offset) {
    std::string bytes;
    for (int n = offset; n < offset + 100; ++n)
        bytes += n % 7 == 0
                     ? EMPTY
                     : record(100000 + 1013 * n, "123457"[n % 6], static_cast<char>('0' + n % 3));
    return bytes;
}

class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (folder_.empty())
            GTEST_SKIP() << "no transceivers (run through with_radios.sh)";
    }
    void start(const std::string &port) {
        ASSERT_TRUE(program_.start());
        ASSERT_TRUE(program_.choose("PORT:", port));
    }
    std::string radio(const std::string &port) const { return read_file(setup_.memory_of(port)); }
    // Loads or saves through the file chooser; the messages that followed,
    // the replace question answered as given, the others with OK.
    std::vector<std::string> file(const std::string &button, const fs::path &path,
                                  const std::string &replace = "") {
        program_.press(button);
        EXPECT_TRUE(program_.choose_file(path.string()));
        std::vector<std::string> texts;
        for (std::string text; !(text = program_.message(1000)).empty();) {
            texts.push_back(text);
            EXPECT_TRUE(program_.answer(text == "File exists, replace?" ? replace : "OK"));
        }
        return texts;
    }
    // Presses the button and waits until the exchange has ended and its
    // message, if any, was answered; returns that message. (At full speed
    // an exchange may end before the buttons were seen dead.)
    std::string exchange(const std::string &button) {
        program_.press(button);
        wait_until([&] { return !program_.enabled("Read TRX"); }, 300);
        std::string text;
        wait_until(
            [&] { return program_.enabled("Read TRX") || !(text = program_.message()).empty(); },
            30000);
        if (!text.empty()) {
            EXPECT_FALSE(program_.enabled("Read TRX")) << "dead while the message is up";
            progress_at_message_ = program_.progress();
            EXPECT_TRUE(program_.answer("OK"));
        }
        EXPECT_TRUE(wait_until(
            [&] { return program_.enabled("Read TRX") && program_.enabled("Save File"); }, 3000));
        EXPECT_EQ(program_.progress(), 0.0);
        return text;
    }
    void edit(int row, const std::string &frequency, const std::string &mode,
              const std::string &preatt) {
        program_.select_row(row);
        ASSERT_TRUE(
            wait_until([&] { return program_.shown("NumCh") == std::to_string(row); }, 2000));
        program_.type("Freq", frequency);
        ASSERT_TRUE(program_.choose("Mode", mode));
        ASSERT_TRUE(program_.choose("PreAtt", preatt));
        program_.press("Update Channel");
    }
    // The close box: the program ends at once (-1: still running after 2 s), cleanly.
    void close_and_expect_exit() {
        program_.request_close();
        EXPECT_EQ(program_.wait_exit(2s), 0);
    }

    const RadioSetup setup_ = radio_setup();
    const fs::path folder_ = setup_.folder;
    double progress_at_message_ = 0;
    Program program_;
};

} // namespace

// What the editor suite cannot show: labels a screen reader announces, the
// mouse and keys on the real widgets, the file chooser and message boxes as
// the user meets them, the progress bar, closing while a message is up. The
// editor suite goes through the variants on both toolkits.
TEST_F(ProgramTest, ReadsEditsWritesSavesAndTellsWhatWentWrong) {
    ASSERT_NO_FATAL_FAILURE(start(RADIO));
    for (const char *label : {"PORT:", "NumCh", "Freq", "Mode", "PreAtt"})
        EXPECT_EQ(program_.labelled_by(label), label);
    EXPECT_EQ(exchange("Read TRX"), "");
    EXPECT_EQ(program_.row(1), "1|145500000|USB|PRE");
    EXPECT_EQ(program_.row(92), "92|51529196|CW |---");

    edit(3, "14500000", "LSB", "PRE");
    EXPECT_EQ(program_.row(3), "3|14500000|LSB|PRE");
    EXPECT_EQ(exchange("Write TRX"), "");
    EXPECT_TRUE(
        wait_until([&] { return radio(RADIO).substr(18, 6) == record(14500000, '1', '1'); }, 3000));

    // Saved under the name given plus ".mem": the bytes the radio holds;
    // Escape on the replace question keeps the file.
    EXPECT_EQ(file("Save File", folder_ / "read set"), NONE);
    EXPECT_TRUE(wait_for_file(folder_ / "read set.mem", radio(RADIO), 3000));
    const std::string old_set = channel_set(5);
    write_file(folder_ / "old.mem", old_set);
    EXPECT_EQ(file("Save File", folder_ / "old.mem", "Escape"),
              std::vector<std::string>{"File exists, replace?"});
    EXPECT_EQ(read_file(folder_ / "old.mem"), old_set);

    // The progress bar stands where a read stopped while the user is told.
    ASSERT_TRUE(program_.choose("PORT:", FALLS_SILENT));
    EXPECT_EQ(exchange("Read TRX"), "TRX not responding!");
    EXPECT_GT(progress_at_message_, 0.0);

    // A line that takes no byte of a write: told, not taken for done; the
    // close box ends the program while the worker's message is up.
    ASSERT_TRUE(program_.choose("PORT:", TAKES_NOTHING));
    program_.press("Write TRX");
    EXPECT_EQ(program_.message(10000), "TRX not responding!");
    close_and_expect_exit();
}

// The window closed at random moments of a read (six seconds at 9600 baud)
// and of a write (the program hands the commands to the line within a few
// hundred milliseconds): the program ends at once, and no radio channel is
// left emptied or half written: each holds what it held or what was sent.
TEST_F(ProgramTest, ClosingDuringAnExchangeEndsAtOnceAndKeepsEveryChannel) {
    std::mt19937 random(std::random_device{}());
    std::uniform_int_distribution<int> read_delay_ms(0, 4000), write_delay_ms(0, 200);
    const std::string before = radio(SLOW_WRITTEN), sent = channel_set(2);
    write_file(folder_ / "sent.mem", sent);
    for (int run = 0; run < 4; ++run) {
        const bool writing = run % 2 == 1;
        const auto delay =
            std::chrono::milliseconds(writing ? write_delay_ms(random) : read_delay_ms(random));
        SCOPED_TRACE((writing ? "write closed after " : "read closed after ") +
                     std::to_string(delay.count()) + " ms");
        ASSERT_NO_FATAL_FAILURE(start(SLOW_WRITTEN));
        if (writing) {
            ASSERT_EQ(file("Load File", folder_ / "sent.mem"), NONE);
        }
        program_.press(writing ? "Write TRX" : "Read TRX", 0);
        std::this_thread::sleep_for(delay);
        EXPECT_TRUE(writing || delay < 500ms || !program_.enabled("Read TRX"))
            << "the read was running";
        close_and_expect_exit();
        std::this_thread::sleep_for(300ms); // the last command reaches the radio
        const std::string memory = radio(SLOW_WRITTEN);
        ASSERT_EQ(memory.size(), 600u);
        for (int c = 0; c < 600; c += 6)
            EXPECT_TRUE(!memory.compare(c, 6, before, c, 6) || !memory.compare(c, 6, sent, c, 6))
                << c / 6;
    }
}

// A second copy started during a read (six seconds at 9600 baud) probes every
// port: it must leave the port of the running read alone, and the read goes
// on to its end with the row the user chose still highlighted and shown.
TEST_F(ProgramTest, ASecondCopyLeavesARunningReadAlone) {
    ASSERT_NO_FATAL_FAILURE(start(SLOW));
    program_.select_row(5);
    ASSERT_TRUE(wait_until([&] { return program_.shown("NumCh") == "5"; }, 2000));
    program_.press("Read TRX", 0);
    ASSERT_TRUE(wait_until([&] { return !program_.enabled("Read TRX"); }, 2000));
    Program second;
    ASSERT_TRUE(second.start());
    EXPECT_FALSE(second.lists("PORT:", SLOW)) << "the port of the running read was opened";
    EXPECT_TRUE(second.lists("PORT:", SLOW_WRITTEN));
    second.request_close();
    EXPECT_EQ(second.wait_exit(2s), 0);
    EXPECT_TRUE(wait_until(
        [&] { return program_.enabled("Read TRX") || !program_.message().empty(); }, 15000));
    EXPECT_EQ(program_.message(), "");
    EXPECT_EQ(program_.row(92), "92|51529196|CW |---"); // the radio's
    EXPECT_EQ(program_.selected_row(), 5);
    EXPECT_EQ(program_.shown("NumCh"), "5");
    close_and_expect_exit();
}
