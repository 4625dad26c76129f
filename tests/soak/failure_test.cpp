// The transceiver and the disk failing under the editor: a line hung up or a
// radio gone silent in the middle of an exchange, and saves that cannot land.
// Each must tell the user, hand the controls back and lose nothing.
#include "tests/soak/soak_support.h"

#include "app/kalvo.h"

#include <gtk/gtk.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const std::vector<std::string> TIMED_OUT{"TRX not responding!"};
const std::vector<std::string> NOT_SAVED{"File exists, replace?", "May not create the file!"};
constexpr int FAILING_CHANNEL = 37;

class Failures : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        radio_ = new VirtualTransceiver;
        harness_start();
    }
    static void TearDownTestSuite() {
        delete radio_;
        radio_ = nullptr;
    }
    void SetUp() override { take_seen_requesters(); }
    // The transceiver on the same name, holding radio_set, misbehaving from
    // the command for FAILING_CHANNEL on.
    static void start_radio(const std::string &fault, const ChannelRows &radio_set,
                            std::vector<std::string> more = {}) {
        std::vector<std::string> options{"--baud", "0", "--fault-after",
                                         std::to_string(FAILING_CHANNEL), fault};
        options.insert(options.end(), more.begin(), more.end());
        ASSERT_TRUE(radio_->start({.options = options, .link = "", .memory = expected_memory(radio_set)}));
        ASSERT_TRUE(offer_port(radio_->path()));
    }
    // Rows 0 ... FAILING_CHANNEL - 1 from first, the others from rest.
    static ChannelRows spliced(const ChannelRows &first, const ChannelRows &rest) {
        ChannelRows rows = rest;
        std::copy(first.begin(), first.begin() + FAILING_CHANNEL, rows.begin());
        return rows;
    }
    static void expect_failed_exchange(const ExchangeOutcome &outcome) {
        EXPECT_TRUE(outcome.ended);
        EXPECT_EQ(outcome.messages, TIMED_OUT);
        EXPECT_TRUE(outcome.controls_back);
        EXPECT_EQ(outcome.progress, 0.0);
    }

    static VirtualTransceiver *radio_;
    std::mt19937 random_{37};
};

VirtualTransceiver *Failures::radio_ = nullptr;

std::string bytes_of(const vtrx::MemBytes &memory) {
    return std::string(memory.begin(), memory.end());
}
std::string read_bytes(const fs::path &path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}
void write_bytes(const fs::path &path, const std::string &bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}
bool run(const std::string &command) {
    return std::system(command.c_str()) == 0;
}

// A save through "Save File" onto path, answering "replace" with Yes; the
// texts of the messages it showed.
std::vector<std::string> save_as(const fs::path &path) {
    take_seen_requesters();
    queue_file_answer(path.string());
    queue_question_answer(GTK_RESPONSE_YES);
    click(app.save_button);
    run_events_for(300);
    std::vector<std::string> texts;
    for (const SeenRequester &seen : take_seen_requesters())
        if (seen.text != "file chooser") texts.push_back(seen.text);
    return texts;
}

// A folder of its own under /tmp, removed with everything in it.
struct TemporaryFolder {
    fs::path path;
    TemporaryFolder() {
        char pattern[] = "/tmp/kalvo failures-XXXXXX";
        path = mkdtemp(pattern);
    }
    ~TemporaryFolder() {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
};

// Sets the immutable flag of a folder for the life of the object.
struct ImmutableFolder {
    int fd = -1;
    bool made = false;
    explicit ImmutableFolder(const fs::path &path) : fd(open(path.c_str(), O_RDONLY | O_DIRECTORY)) {
        made = fd >= 0 && set(true);
    }
    ~ImmutableFolder() {
        if (made) set(false);
        if (fd >= 0) close(fd);
    }
    bool set(bool on) {
        int flags = 0;
        if (ioctl(fd, FS_IOC_GETFLAGS, &flags) != 0) return false;
        flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
        return ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
};

} // namespace

TEST_F(Failures, HangUpMidReadKeepsTheRestAndTheNextReadWorks) {
    const ChannelRows radio_set = random_channel_set(random_);
    const ChannelRows shown = random_channel_set(random_);
    start_radio("--hangup", radio_set, {"--reopen-after", "300"});
    show_rows(shown);
    expect_failed_exchange(run_exchange(app.read_button));
    EXPECT_EQ(row_differences(spliced(radio_set, shown)), std::vector<std::string>{});

    // The line comes back on a new terminal; the user chooses it and reads again.
    ASSERT_TRUE(radio_->wait_for_new_path(3000));
    ASSERT_TRUE(offer_port(radio_->path()));
    ExchangeOutcome again = run_exchange(app.read_button);
    EXPECT_TRUE(again.ended && again.controls_back);
    EXPECT_EQ(again.messages, std::vector<std::string>{});
    EXPECT_EQ(row_differences(radio_set), std::vector<std::string>{});
}

TEST_F(Failures, HangUpMidWriteIsReported) {
    const ChannelRows radio_set = random_channel_set(random_);
    const ChannelRows shown = random_channel_set(random_);
    start_radio("--hangup", radio_set);
    show_rows(shown);
    expect_failed_exchange(run_exchange(app.write_button));
    EXPECT_EQ(radio_->memory(), expected_memory(spliced(shown, radio_set)));
    EXPECT_EQ(row_differences(shown), std::vector<std::string>{}); // a write changes no row
}

TEST_F(Failures, SilentAfter37ChannelsKeepsTheOtherRows) {
    const ChannelRows radio_set = random_channel_set(random_);
    const ChannelRows shown = random_channel_set(random_);
    start_radio("--silent", radio_set);
    show_rows(shown);
    expect_failed_exchange(run_exchange(app.read_button));
    EXPECT_EQ(row_differences(spliced(radio_set, shown)), std::vector<std::string>{});
}

// For root the mode bits of a folder do not count, so the folder is made
// immutable: no entry may be added, removed or renamed in it, while the file
// already there can still be written.
TEST_F(Failures, SaveIntoReadOnlyFolderKeepsTheSet) {
    TemporaryFolder temporary;
    const std::string kept = bytes_of(expected_memory(random_channel_set(random_)));
    write_bytes(temporary.path / "kept.mem", kept);
    ImmutableFolder frozen(temporary.path);
    if (!frozen.made) GTEST_SKIP() << "this file system cannot make a folder immutable";
    show_rows(random_channel_set(random_));

    EXPECT_EQ(save_as(temporary.path / "kept.mem"), NOT_SAVED);
    EXPECT_TRUE(read_bytes(temporary.path / "kept.mem") == kept) << "the set was not kept";
    EXPECT_EQ(save_as(temporary.path / "new.mem"), std::vector<std::string>{"May not create the file!"});
    EXPECT_EQ(std::distance(fs::directory_iterator(temporary.path), fs::directory_iterator()), 1);
}

TEST_F(Failures, SaveOntoFullDiskKeepsTheSetAndSavesOnceThereIsRoom) {
    if (geteuid() != 0) GTEST_SKIP() << "mounting a small file system needs root";
    TemporaryFolder temporary;
    fs::path disk = temporary.path / "disk";
    fs::create_directory(disk);
    ASSERT_TRUE(run("mount -t tmpfs -o size=8k tmpfs '" + disk.string() + "'"));
    const std::string kept = bytes_of(expected_memory(random_channel_set(random_)));
    write_bytes(disk / "kept.mem", kept);
    write_bytes(disk / "filler", std::string(64 * 1024, 'x')); // takes what is left
    const ChannelRows shown = random_channel_set(random_);
    show_rows(shown);

    std::vector<std::string> full = save_as(disk / "kept.mem");
    std::string after_full = read_bytes(disk / "kept.mem");
    fs::remove(disk / "filler");
    std::vector<std::string> room = save_as(disk / "kept.mem");
    std::string after_room = read_bytes(disk / "kept.mem");
    bool parts_left = fs::exists(disk / "kept.mem.kalvo-part");
    EXPECT_TRUE(run("umount '" + disk.string() + "'"));

    EXPECT_EQ(full, NOT_SAVED);
    EXPECT_TRUE(after_full == kept) << "the set was not kept";
    EXPECT_EQ(room, std::vector<std::string>{"File exists, replace?"});
    EXPECT_TRUE(after_room == bytes_of(expected_memory(shown))) << "the rows were not saved";
    EXPECT_FALSE(parts_left);
}
