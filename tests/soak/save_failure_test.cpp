// Saves where the disk is in the way: a folder that takes no new file and a
// full disk.
// The set already on disk must survive byte for byte, the user must be told,
// and a save must work again once there is room.
#include "tests/soak/soak_support.h"

#include "app/kalvo.h"

#include <gtk/gtk.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const std::vector<std::string> NOT_SAVED{"File exists, replace?", "May not create the file!"};

class SaveFailures : public ::testing::Test {
protected:
    static void SetUpTestSuite() { start_editor_aside(); }
    void SetUp() override { take_seen_requesters(); }
    std::mt19937 random_{37};
};

// The .mem file of a channel set (the transceiver's memory has that form).
std::string file_bytes(const ChannelRows &rows) {
    vtrx::MemBytes memory = expected_memory(rows);
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

// For root the mode bits of a folder do not count, so the folder is made
// immutable: no entry may be added, removed or renamed in it, while the file
// already there can still be written. The set goes into that file in place;
// a new name cannot be made there.
TEST_F(SaveFailures, SaveIntoFolderThatTakesNoNewNames) {
    TemporaryFolder temporary;
    write_bytes(temporary.path / "kept.mem", file_bytes(random_channel_set(random_)));
    ImmutableFolder frozen(temporary.path);
    if (!frozen.made) GTEST_SKIP() << "this file system cannot make a folder immutable";
    const ChannelRows shown = random_channel_set(random_);
    show_rows(shown);

    EXPECT_EQ(save_as(temporary.path / "kept.mem"), std::vector<std::string>{"File exists, replace?"});
    EXPECT_TRUE(read_bytes(temporary.path / "kept.mem") == file_bytes(shown)) << "the rows were not saved";
    EXPECT_EQ(save_as(temporary.path / "new.mem"), std::vector<std::string>{"May not create the file!"});
    EXPECT_EQ(std::distance(fs::directory_iterator(temporary.path), fs::directory_iterator()), 1);
}

TEST_F(SaveFailures, SaveOntoFullDiskKeepsTheSetAndSavesOnceThereIsRoom) {
    if (geteuid() != 0) GTEST_SKIP() << "mounting a small file system needs root";
    TemporaryFolder temporary;
    fs::path disk = temporary.path / "disk";
    fs::create_directory(disk);
    ASSERT_TRUE(run("mount -t tmpfs -o size=8k tmpfs '" + disk.string() + "'"));
    const std::string kept = file_bytes(random_channel_set(random_));
    write_bytes(disk / "kept.mem", kept);
    write_bytes(disk / "filler", std::string(64 * 1024, 'x')); // takes what is left
    const ChannelRows shown = random_channel_set(random_);
    show_rows(shown);

    std::vector<std::string> full = save_as(disk / "kept.mem");
    std::string after_full = read_bytes(disk / "kept.mem");
    fs::remove(disk / "filler");
    std::vector<std::string> room = save_as(disk / "kept.mem");
    std::string after_room = read_bytes(disk / "kept.mem");
    auto names = std::distance(fs::directory_iterator(disk), fs::directory_iterator());
    EXPECT_TRUE(run("umount '" + disk.string() + "'"));

    EXPECT_EQ(full, NOT_SAVED);
    EXPECT_TRUE(after_full == kept) << "the set was not kept";
    EXPECT_EQ(room, std::vector<std::string>{"File exists, replace?"});
    EXPECT_TRUE(after_room == file_bytes(shown)) << "the rows were not saved";
    EXPECT_EQ(names, 1); // no temporary file left behind
}
