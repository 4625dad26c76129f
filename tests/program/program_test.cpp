// The kalvo program used as a user uses it (see program_driver.h) against the
// transceivers with_radios.sh started: reading, editing, writing, saving and
// loading, every message the user can meet, closing during an exchange.
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

TEST_F(ProgramTest, ReadsEditsWritesSavesAndLoads) {
    ASSERT_NO_FATAL_FAILURE(start(RADIO));
    // A screen reader announces each field and combo by its label: the
    // driver finds them by that name, and each is labelled by its label.
    for (const char *label : {"PORT:", "NumCh", "Freq", "Mode", "PreAtt"})
        EXPECT_EQ(program_.labelled_by(label), label);
    EXPECT_EQ(exchange("Read TRX"), "");
    for (const char *shown :
         {"0|100000|LSB|---", "1|145500000|USB|PRE", "4|||", "92|51529196|CW |---"})
        EXPECT_EQ(program_.row(std::atoi(shown)), shown);

    edit(3, "14500000", "LSB", "PRE");
    EXPECT_EQ(program_.row(3), "3|14500000|LSB|PRE");
    program_.select_row(0);
    program_.press("Clear Channel");
    EXPECT_EQ(program_.row(0), "0|||");
    EXPECT_EQ(program_.message(), "");

    EXPECT_EQ(exchange("Write TRX"), "");
    // The radio's first four channels: emptied, kept, kept, edited.
    const std::string written =
        EMPTY + read_file(folder_ / "radio.mem").substr(6, 12) + record(14500000, '1', '1');
    EXPECT_TRUE(wait_until([&] { return radio(RADIO).substr(0, 24) == written; }, 3000));

    // Saved under the name given plus ".mem": the bytes the radio holds.
    EXPECT_EQ(file("Save File", folder_ / "read set"), NONE);
    EXPECT_TRUE(wait_for_file(folder_ / "read set.mem", radio(RADIO), 3000));

    // Loading another set replaces every row and shows channel 0.
    write_file(folder_ / "other.mem", channel_set(3));
    EXPECT_EQ(file("Load File", folder_ / "other.mem"), NONE);
    EXPECT_EQ(program_.row(1), "1|104052|AM |PRE");
    EXPECT_EQ(program_.shown("NumCh"), "0");
    close_and_expect_exit();
}

// Each message once, as the user meets it; the editor suite goes through the
// variants (every refused frequency, every kind of failing radio or file).
TEST_F(ProgramTest, TellsTheUserWhatWentWrongAndChangesNothing) {
    ASSERT_TRUE(program_.start());
    EXPECT_EQ(exchange("Read TRX"), "Can't open port!"); // no port chosen yet
    EXPECT_EQ(program_.row(1), "1|||");

    edit(2, "7050000", "CW ", "ATT");
    edit(2, "56000001", "USB", "---");
    EXPECT_EQ(program_.message(2000), "Frequency out of range");
    EXPECT_TRUE(program_.answer("OK"));
    EXPECT_EQ(program_.row(2), "2|7050000|CW |ATT");

    write_file(folder_ / "short.mem", std::string(599, '1'));
    EXPECT_EQ(file("Load File", folder_ / "short.mem"),
              std::vector<std::string>{"May not load the file!"});
    EXPECT_EQ(file("Save File", ""),
              std::vector<std::string>{"May not create the file!"}); // cancelled
    EXPECT_EQ(program_.row(2), "2|7050000|CW |ATT");

    // Escape on the replace question keeps the file (the editor suite's
    // SavesAndLoadsMemoryFiles replaces it on Yes, on both toolkits).
    const std::string old_set = channel_set(5);
    write_file(folder_ / "old.mem", old_set);
    EXPECT_EQ(file("Save File", folder_ / "old.mem", "Escape"),
              std::vector<std::string>{"File exists, replace?"});
    EXPECT_EQ(read_file(folder_ / "old.mem"), old_set);

    // A radio that falls silent after five channels: those five are read,
    // and the progress bar stands where the read stopped while it is told.
    ASSERT_TRUE(program_.choose("PORT:", FALLS_SILENT));
    EXPECT_EQ(exchange("Read TRX"), "TRX not responding!");
    EXPECT_GT(progress_at_message_, 0.0);
    EXPECT_EQ(program_.row(1), "1|145500000|USB|PRE");
    EXPECT_EQ(program_.row(6), "6|||");

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

// The highlighted row and the channel the edit controls show stay the one the
// user chose while a read (six seconds at 9600 baud) replaces every row, and
// after it. A second copy started meanwhile probes every port: it must leave
// the port of the running read alone.
TEST_F(ProgramTest, ARunningReadKeepsTheSelectionAndItsPort) {
    ASSERT_NO_FATAL_FAILURE(start(SLOW));
    program_.select_row(5);
    ASSERT_TRUE(wait_until(
        [&] { return program_.shown("NumCh") == "5" && program_.selected_row() == 5; }, 2000));
    program_.press("Read TRX", 0);
    ASSERT_TRUE(wait_until([&] { return !program_.enabled("Read TRX"); }, 2000));
    Program second;
    ASSERT_TRUE(second.start());
    EXPECT_FALSE(second.lists("PORT:", SLOW)) << "the port of the running read was opened";
    EXPECT_TRUE(second.lists("PORT:", SLOW_WRITTEN));
    int looks = 0;
    auto look = [&] { // true once the read has ended
        EXPECT_EQ(program_.selected_row(), 5) << "look " << looks;
        EXPECT_EQ(program_.shown("NumCh"), "5") << "look " << looks;
        ++looks;
        return program_.enabled("Read TRX") || !program_.message().empty();
    };
    EXPECT_TRUE(wait_until(look, 15000));
    look();
    EXPECT_GT(looks, 5);
    EXPECT_EQ(program_.message(), "");
    EXPECT_EQ(program_.row(5), "5|2895065|CWR|PRE"); // the radio's
    EXPECT_EQ(program_.row(92), "92|51529196|CW |---");
    second.request_close();
    EXPECT_EQ(second.wait_exit(2s), 0);
    close_and_expect_exit();
}
