// The kalvo program used as a user uses it (see program_driver.h), against
// the virtual transceiver on /dev/ttyUSB0 of the sandbox's own /dev: reading,
// editing, writing, saving and loading, every message the user can meet,
// and closing the window in the middle of an exchange.
#include "tests/program/program_driver.h"

#include "tests/tools/vtrx_fixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <thread>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

const std::string PORT = "/dev/ttyUSB0";
const std::vector<std::string> NONE;

std::string read_bytes(const fs::path &path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}
void write_bytes(const fs::path &path, const std::string &bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}
std::string as_text(const vtrx::MemBytes &memory) {
    return std::string(memory.begin(), memory.end());
}

// Channel c at 100000 + 1013 c Hz with mode and pre-amp codes taken in turn;
// every seventh empty.
vtrx::MemBytes channel_set(int offset) {
    vtrx::MemBytes memory = empty_memory();
    const char modes[] = "123457";
    for (int c = 0; c < 100; ++c) {
        if ((c + offset) % 7 == 0) continue;
        vtrx::store_record(memory, c, {100000 + 1013 * (c + offset), static_cast<std::uint8_t>(modes[(c + offset) % 6]),
                                       static_cast<std::uint8_t>('0' + (c + offset) % 3)});
    }
    return memory;
}

class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/kalvo program-XXXXXX";
        folder_ = mkdtemp(pattern);
    }
    // The transceiver on PORT, then the program with PORT chosen (callers
    // wrap it in ASSERT_NO_FATAL_FAILURE).
    void start(std::vector<std::string> options, const vtrx::MemBytes &memory, bool choose = true) {
        ASSERT_TRUE(radio_.start({.options = options, .link = PORT, .memory = memory}));
        ASSERT_TRUE(program_.start());
        if (choose) {
            ASSERT_TRUE(program_.choose("PORT:", PORT));
        }
    }
    // Loads or saves through the file chooser; the messages that followed,
    // the replace question answered as given, the others with OK.
    std::vector<std::string> file(const std::string &button, const fs::path &path, const std::string &replace = "") {
        program_.press(button);
        EXPECT_TRUE(program_.choose_file(path.string()));
        std::vector<std::string> texts;
        for (std::string text; !(text = program_.wait_message(1000)).empty();) {
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
        wait_until([&] { return program_.enabled("Read TRX") || !(text = program_.message()).empty(); }, 30000);
        if (!text.empty()) {
            EXPECT_FALSE(program_.enabled("Read TRX")) << "dead while the message is up";
            progress_at_message_ = program_.progress();
            EXPECT_TRUE(program_.answer("OK"));
        }
        EXPECT_TRUE(wait_until([&] { return program_.enabled("Read TRX") && program_.enabled("Save File"); }, 3000));
        EXPECT_EQ(program_.progress(), 0.0);
        return text;
    }
    void edit(int row, const std::string &frequency, const std::string &mode, const std::string &preatt) {
        program_.select_row(row);
        ASSERT_TRUE(wait_until([&] { return program_.shown("NumCh") == std::to_string(row); }, 2000));
        program_.type("Freq", frequency);
        ASSERT_TRUE(program_.choose("Mode", mode));
        ASSERT_TRUE(program_.choose("PreAtt", preatt));
        program_.press("Update Channel");
    }
    // Closes the window and checks the program ends at once, cleanly.
    void close_and_expect_exit() {
        auto closing = std::chrono::steady_clock::now();
        program_.request_close();
        EXPECT_EQ(program_.wait_exit(2s), 0);
        EXPECT_LT(std::chrono::steady_clock::now() - closing, 2s);
    }

    fs::path folder_;
    double progress_at_message_ = 0;
    VirtualTransceiver radio_;
    Program program_;
};

} // namespace

TEST_F(ProgramTest, ReadsEditsWritesSavesAndLoads) {
    vtrx::MemBytes memory = empty_memory();
    vtrx::store_record(memory, 0, {7050000, '3', '2'});
    vtrx::store_record(memory, 1, {145500000, '4', '1'});
    vtrx::store_record(memory, 99, {56000000, '2', '0'});
    ASSERT_NO_FATAL_FAILURE(start({"--baud", "0"}, memory));
    EXPECT_EQ(exchange("Read TRX"), "");
    EXPECT_EQ(program_.row(0), "0|7050000|CW |ATT");
    EXPECT_EQ(program_.row(1), "1|145500000|FM |PRE");
    EXPECT_EQ(program_.row(2), "2|||");
    EXPECT_EQ(program_.row(99), "99|56000000|USB|---");

    program_.select_row(1);
    EXPECT_TRUE(wait_until([&] { return program_.shown("Freq") == "145500000"; }, 2000));
    EXPECT_EQ(program_.shown("Mode"), "FM ");
    EXPECT_EQ(program_.shown("PreAtt"), "PRE");
    edit(3, "14500000", "LSB", "PRE");
    EXPECT_EQ(program_.row(3), "3|14500000|LSB|PRE");
    program_.select_row(0);
    program_.press("Clear Channel");
    EXPECT_EQ(program_.row(0), "0|||");
    EXPECT_EQ(program_.message(), "");

    EXPECT_EQ(exchange("Write TRX"), "");
    vtrx::MemBytes written = empty_memory();
    vtrx::store_record(written, 1, {145500000, '4', '1'});
    vtrx::store_record(written, 3, {14500000, '1', '1'});
    vtrx::store_record(written, 99, {56000000, '2', '0'});
    EXPECT_TRUE(radio_.wait_for_memory(written, 3000));

    // Saved under the name given plus ".mem": the bytes the radio holds.
    EXPECT_EQ(file("Save File", folder_ / "read set"), NONE);
    EXPECT_TRUE(wait_until([&] { return read_bytes(folder_ / "read set.mem") == as_text(written); }, 3000));

    // Loading another set replaces every row and shows channel 0.
    write_bytes(folder_ / "other.mem", as_text(channel_set(3)));
    EXPECT_EQ(file("Load File", folder_ / "other.mem"), NONE);
    EXPECT_EQ(program_.row(1), "1|104052|AM |PRE");
    EXPECT_EQ(program_.row(4), "4|||");
    EXPECT_EQ(program_.shown("NumCh"), "0");
    close_and_expect_exit();
}

// Each message once, as the user meets it; the editor suite goes through the
// variants (every refused frequency, every kind of failing radio or file).
TEST_F(ProgramTest, TellsTheUserWhatWentWrongAndChangesNothing) {
    ASSERT_NO_FATAL_FAILURE(start({"--baud", "0"}, channel_set(0), false));
    EXPECT_EQ(exchange("Read TRX"), "Can't open port!"); // no port chosen yet
    EXPECT_EQ(program_.row(1), "1|||");

    edit(2, "7050000", "CW ", "ATT");
    edit(2, "56000001", "USB", "---");
    EXPECT_EQ(program_.wait_message(2000), "Frequency out of range");
    EXPECT_TRUE(program_.answer("OK"));
    EXPECT_EQ(program_.row(2), "2|7050000|CW |ATT");

    write_bytes(folder_ / "short.mem", std::string(599, '1'));
    EXPECT_EQ(file("Load File", folder_ / "short.mem"), std::vector<std::string>{"May not load the file!"});
    EXPECT_EQ(file("Save File", ""), std::vector<std::string>{"May not create the file!"}); // cancelled
    EXPECT_EQ(program_.row(2), "2|7050000|CW |ATT");

    // Escape on the replace question keeps the file; Yes replaces it.
    const std::string old_set = as_text(channel_set(5));
    write_bytes(folder_ / "old.mem", old_set);
    EXPECT_EQ(file("Save File", folder_ / "old.mem", "Escape"), std::vector<std::string>{"File exists, replace?"});
    EXPECT_EQ(read_bytes(folder_ / "old.mem"), old_set);
    EXPECT_EQ(file("Save File", folder_ / "old.mem", "Yes"), std::vector<std::string>{"File exists, replace?"});
    EXPECT_TRUE(wait_until([&] { return read_bytes(folder_ / "old.mem") != old_set; }, 3000));
    EXPECT_EQ(read_bytes(folder_ / "old.mem").size(), 600u);

    // A radio that falls silent after five channels: those five are read,
    // and the progress bar stands where the read stopped while it is told.
    ASSERT_TRUE(radio_.start({.options = {"--baud", "0", "--fault-after", "5", "--silent"}, .link = PORT,
                              .memory = channel_set(0)}));
    ASSERT_TRUE(program_.choose("PORT:", PORT));
    EXPECT_EQ(exchange("Read TRX"), "TRX not responding!");
    EXPECT_GT(progress_at_message_, 0.0);
    EXPECT_EQ(program_.row(1), "1|101013|USB|PRE");
    EXPECT_EQ(program_.row(6), "6|||");

    // A line hung up in the middle of a write: told, not taken for done.
    ASSERT_TRUE(radio_.start({.options = {"--baud", "0", "--fault-after", "37", "--hangup"}, .link = PORT,
                              .memory = channel_set(0)}));
    EXPECT_EQ(exchange("Write TRX"), "TRX not responding!");
    close_and_expect_exit();
}

// The highlighted row and the channel the edit controls show stay the one the
// user chose while a read (six seconds at 9600 baud) replaces every row, and
// after it.
TEST_F(ProgramTest, SelectionStaysOnItsChannelThroughARead) {
    ASSERT_NO_FATAL_FAILURE(start({"--baud", "9600"}, channel_set(0)));
    program_.select_row(6);
    ASSERT_TRUE(wait_until([&] { return program_.shown("NumCh") == "6" && program_.selected_row() == 6; }, 2000));
    program_.press("Read TRX", 0);
    ASSERT_TRUE(wait_until([&] { return !program_.enabled("Read TRX"); }, 2000));
    int looks = 0;
    EXPECT_TRUE(wait_until([&] {
        EXPECT_EQ(program_.selected_row(), 6) << "look " << looks;
        EXPECT_EQ(program_.shown("NumCh"), "6") << "look " << looks;
        ++looks;
        return program_.enabled("Read TRX");
    }, 15000));
    EXPECT_GT(looks, 5);
    EXPECT_EQ(program_.row(6), "6|106078|LSB|---"); // the radio's
    EXPECT_EQ(program_.selected_row(), 6);
    EXPECT_EQ(program_.shown("NumCh"), "6");
    EXPECT_EQ(program_.message(), "");
    close_and_expect_exit();
}

TEST_F(ProgramTest, ClosingWhileTheWorkersMessageIsUpEndsAtOnce) {
    ASSERT_NO_FATAL_FAILURE(start({"--baud", "0", "--silent"}, empty_memory()));
    program_.press("Read TRX");
    ASSERT_EQ(program_.wait_message(10000), "TRX not responding!");
    close_and_expect_exit();
}

// The window closed at random moments of a read (six seconds at 9600 baud)
// and of a write (the program hands the commands to the line within a few
// hundred milliseconds): the program ends at once, and no radio channel is
// left emptied or half written: each holds what it held or what was sent.
TEST_F(ProgramTest, ClosingDuringAnExchangeEndsAtOnceAndKeepsEveryChannel) {
    std::mt19937 random(std::random_device{}());
    std::uniform_int_distribution<int> read_delay_ms(0, 4000), write_delay_ms(0, 200);
    const vtrx::MemBytes before = channel_set(1), sent = channel_set(2);
    write_bytes(folder_ / "sent.mem", as_text(sent));
    for (int run = 0; run < 4; ++run) {
        const bool writing = run % 2 == 1;
        const auto delay = std::chrono::milliseconds(writing ? write_delay_ms(random) : read_delay_ms(random));
        SCOPED_TRACE((writing ? "write closed after " : "read closed after ") + std::to_string(delay.count()) + " ms");
        ASSERT_NO_FATAL_FAILURE(start({"--baud", "9600"}, before));
        if (writing) {
            ASSERT_EQ(file("Load File", folder_ / "sent.mem"), NONE);
        }
        program_.press(writing ? "Write TRX" : "Read TRX", 0);
        std::this_thread::sleep_for(delay);
        if (!writing && delay >= 500ms) {
            EXPECT_FALSE(program_.enabled("Read TRX")) << "the exchange was running";
        }
        close_and_expect_exit();
        std::this_thread::sleep_for(300ms); // the last command reaches the radio
        const std::optional<vtrx::MemBytes> memory = radio_.memory();
        ASSERT_TRUE(memory);
        for (int c = 0; c < 100; ++c) {
            auto record = [c](const vtrx::MemBytes &bytes) { return as_text(bytes).substr(6 * c, 6); };
            EXPECT_TRUE(record(*memory) == record(before) || record(*memory) == record(sent)) << "channel " << c;
        }
        EXPECT_EQ(radio_.stop(), 0);
    }
}

// A second copy's start-up probes every port; it must leave the port of a
// running read alone.
TEST_F(ProgramTest, ASecondCopyLeavesARunningReadAlone) {
    ASSERT_NO_FATAL_FAILURE(start({"--baud", "9600"}, channel_set(0)));
    program_.press("Read TRX");
    std::this_thread::sleep_for(1000ms);
    Program second;
    ASSERT_TRUE(second.start());
    EXPECT_TRUE(wait_until([&] { return program_.enabled("Read TRX") || !program_.message().empty(); }, 15000));
    EXPECT_EQ(program_.message(), "");
    EXPECT_EQ(program_.row(98), "98|||");
    EXPECT_EQ(program_.row(99), "99|200287|FM |---");
    second.request_close();
    EXPECT_EQ(second.wait_exit(2s), 0);
    close_and_expect_exit();
}

// A screen reader announces each field and combo by the label beside it.
TEST_F(ProgramTest, FieldsAndCombosAreAnnouncedByTheirLabels) {
    ASSERT_TRUE(program_.start());
    for (const std::string label : {"PORT:", "NumCh", "Freq", "Mode", "PreAtt"})
        EXPECT_EQ(program_.announced(label), label + " (" + label + ")");
    EXPECT_EQ(program_.shown("Mode"), "USB");
}
