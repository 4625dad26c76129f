// The editor on the real toolkit: start-up state, editing one channel, and
// loading and saving .mem files through the file choosers.
#include "tests/app/editor_harness.h"

#include "gui/gui.h"

#include <gtk/gtk.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class Editor : public ::testing::Test {
protected:
    static void SetUpTestSuite() { harness_start(); }
    void SetUp() override {
        char pattern[] = "/tmp/kalvo editor ÄÖ-XXXXXX";
        folder_ = mkdtemp(pattern);
        reset_rows();
        take_seen_requesters();
    }
    void TearDown() override { fs::remove_all(folder_); }

    // Clicks a button and serves events until the handler has run and every
    // requester it opened was answered.
    static void press(std::intptr_t button) {
        click(button);
        run_events_for(150);
    }
    static std::vector<std::string> messages() {
        std::vector<std::string> texts;
        for (const SeenRequester &seen : take_seen_requesters()) {
            if (seen.text != "file chooser") texts.push_back(seen.text);
        }
        return texts;
    }
    static void edit(int row, const std::string &frequency, int mode, int preatt) {
        select_row(row);
        run_events_for(50);
        type_text(app.frequency_field, frequency);
        choose_combo_item(app.mode_combo, mode);
        choose_combo_item(app.preatt_combo, preatt);
        press(app.update_button);
    }
    static std::string row(int r) {
        return cell(r, 0) + "|" + cell(r, 1) + "|" + cell(r, 2) + "|" + cell(r, 3);
    }
    static std::string read_bytes(const fs::path &path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    static void write_bytes(const fs::path &path, const std::string &bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }
    static std::string empty_records() {
        std::string bytes;
        for (int c = 0; c < CHANNEL_COUNT; ++c) bytes += std::string("\0\0\0\0" "00", 6);
        return bytes;
    }
    fs::path folder_;
};

const std::vector<std::string> NO_MESSAGES;

} // namespace

TEST_F(Editor, StartsWithEmptyChannelsAndDefaults) {
    GtkWindow *window = GTK_WINDOW(window_native_handle(app.main_window));
    EXPECT_STREQ(gtk_window_get_title(window), "Kalvo 1.02");
    EXPECT_FALSE(gtk_window_get_resizable(window));
    for (int r = 0; r < CHANNEL_COUNT; ++r) ASSERT_EQ(row(r), std::to_string(r) + "|||") << r;
    EXPECT_EQ(text_of(app.channel_field), "0");
    EXPECT_EQ(text_of(app.mode_combo), "USB");
    EXPECT_EQ(text_of(app.preatt_combo), "---");
    EXPECT_EQ(gadget_get_state(app.port_combo), -1);
    EXPECT_EQ(progress_fraction(), 0.0);
    // Nothing below 0 or from a menu or a combo changes anything.
    EXPECT_EQ(dispatch_event(EVENT_MENU), 1);
    EXPECT_EQ(dispatch_event(-1), 1);
    EXPECT_EQ(dispatch_event(0), 1);
    EXPECT_EQ(dispatch_event(EVENT_CLOSE_WINDOW), 0);
    EXPECT_EQ(row(0), "0|||");
}

TEST_F(Editor, SelectsUpdatesAndClearsAChannel) {
    edit(7, "7050000", 2, 2);
    EXPECT_EQ(row(7), "7|7050000|CW |ATT");
    EXPECT_EQ(messages(), NO_MESSAGES);

    edit(12, "7050000 Hz", 5, 1);   // kept exactly as typed, "AM " with its space
    EXPECT_EQ(row(12), "12|7050000 Hz|AM |PRE");
    edit(13, "$6B9310", 4, 0);
    EXPECT_EQ(row(13), "13|$6B9310|DIG|---");
    edit(14, "100000", 0, 0);
    edit(15, "56000000", 1, 0);
    EXPECT_EQ(row(14), "14|100000|USB|---");
    EXPECT_EQ(row(15), "15|56000000|LSB|---");

    select_row(7);
    run_events_for(50);
    EXPECT_EQ(text_of(app.channel_field), "7");
    EXPECT_EQ(text_of(app.frequency_field), "7050000");
    EXPECT_EQ(text_of(app.mode_combo), "CW ");
    EXPECT_EQ(text_of(app.preatt_combo), "ATT");
    select_row(13);
    run_events_for(50);
    EXPECT_EQ(text_of(app.mode_combo), "DIG");
    select_row(5); // empty: combos keep their selection, frequency empties
    run_events_for(50);
    EXPECT_EQ(text_of(app.channel_field), "5");
    EXPECT_EQ(text_of(app.frequency_field), "");
    EXPECT_EQ(text_of(app.mode_combo), "DIG");

    for (const char *bad : {"99999", "56000001", "", "abc", "-7050000"}) {
        edit(7, bad, 0, 0);
        EXPECT_EQ(messages(), std::vector<std::string>{"Frequency out of range"}) << bad;
        EXPECT_EQ(row(7), "7|7050000|CW |ATT") << bad;
    }

    select_row(12);
    run_events_for(50);
    press(app.clear_button);
    EXPECT_EQ(row(12), "12|||");
    EXPECT_EQ(text_of(app.frequency_field), "7050000 Hz");
    press(app.update_button); // puts the old values back
    EXPECT_EQ(row(12), "12|7050000 Hz|AM |PRE");
}

// Fields are one line: a pasted line feed or tab never becomes part of a row.
TEST_F(Editor, PastedTextKeepsItsFirstLineOnly) {
    select_row(7);
    run_events_for(50);
    choose_combo_item(app.mode_combo, 0);
    choose_combo_item(app.preatt_combo, 0);
    for (const char *pasted : {"7050000\nLSB", "7050000\r\nLSB", "70\t50000"}) {
        paste_text(app.frequency_field, pasted);
        EXPECT_EQ(text_of(app.frequency_field), "7050000") << pasted;
        press(app.update_button);
        EXPECT_EQ(row(7), "7|7050000|USB|---") << pasted;
    }
    EXPECT_EQ(messages(), NO_MESSAGES);
}

TEST_F(Editor, SavesAndLoadsMemoryFiles) {
    edit(0, "7050000abc", 2, 2);
    edit(3, "145500000", 4, 1); // out of range: refused
    messages();
    edit(3, "14500000", 4, 1);
    edit(99, "28000000", 6, 0);

    queue_file_answer((folder_ / "Käpt n set").string()); // ".mem" is added
    press(app.save_button);
    std::string expected = empty_records();
    expected.replace(0, 6, std::string("\x10\x93\x6B\x00" "32", 6));
    expected.replace(18, 6, std::string("\xA0\x40\xDD\x00" "21", 6));
    expected.replace(594, 6, std::string("\x00\x3F\xAB\x01" "40", 6));
    EXPECT_EQ(read_bytes(folder_ / "Käpt n set.mem"), expected);
    EXPECT_EQ(messages(), NO_MESSAGES);

    reset_rows();
    queue_file_answer((folder_ / "Käpt n set.mem").string());
    press(app.load_button);
    EXPECT_EQ(row(0), "0|7050000|CW |ATT");
    EXPECT_EQ(row(3), "3|14500000|USB|PRE"); // "DIG" comes back as "USB"
    EXPECT_EQ(row(99), "99|28000000|FM |---");
    EXPECT_EQ(text_of(app.channel_field), "0");
    EXPECT_EQ(text_of(app.frequency_field), "7050000");

    // Save it again under an upper-case extension: same 600 bytes.
    queue_file_answer((folder_ / "COPY.MEM").string());
    press(app.save_button);
    EXPECT_EQ(read_bytes(folder_ / "COPY.MEM"), expected);
    EXPECT_FALSE(fs::exists(folder_ / "COPY.MEM.mem"));
}

TEST_F(Editor, RefusesBadFilesAndKeepsRows) {
    edit(4, "7050000", 0, 0);
    messages();
    for (std::size_t size : {0ul, 599ul, 601ul}) {
        write_bytes(folder_ / "odd.mem", std::string(size, '1'));
        queue_file_answer((folder_ / "odd.mem").string());
        press(app.load_button);
        EXPECT_EQ(messages(), std::vector<std::string>{"May not load the file!"}) << size;
    }
    queue_file_answer(""); // cancelled
    press(app.load_button);
    EXPECT_EQ(messages(), std::vector<std::string>{"May not load the file!"});
    EXPECT_EQ(row(4), "4|7050000|USB|---");

    // Any 600 bytes load.
    std::string noise(600, '\0');
    for (int i = 0; i < 600; ++i) noise[i] = static_cast<char>(i * 37 + 11);
    write_bytes(folder_ / "noise.mem", noise);
    queue_file_answer((folder_ / "noise.mem").string());
    press(app.load_button);
    EXPECT_EQ(messages(), NO_MESSAGES);
    EXPECT_EQ(cell(4, 0), "4");

    queue_file_answer("");
    press(app.save_button);
    EXPECT_EQ(messages(), std::vector<std::string>{"May not create the file!"});
}

TEST_F(Editor, ReplacesFilesOnlyWhenItShould) {
    fs::path target = folder_ / "old.mem";
    std::string old_bytes = empty_records();
    old_bytes[0] = 42;
    write_bytes(target, old_bytes);

    queue_file_answer(target.string());
    queue_question_answer(GTK_RESPONSE_NO);
    press(app.save_button);
    auto seen = take_seen_requesters();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[1].text, "File exists, replace?");
    EXPECT_EQ(seen[1].title, "");
    EXPECT_EQ(read_bytes(target), old_bytes);

    // Escape and the close box answer neither Yes nor No: the file stays.
    queue_file_answer(target.string());
    queue_question_answer(GTK_RESPONSE_DELETE_EVENT);
    press(app.save_button);
    EXPECT_EQ(messages(), std::vector<std::string>{"File exists, replace?"});
    EXPECT_EQ(read_bytes(target), old_bytes);

    queue_file_answer(target.string());
    queue_question_answer(GTK_RESPONSE_YES);
    press(app.save_button);
    EXPECT_EQ(read_bytes(target), empty_records());
    EXPECT_EQ(messages(), std::vector<std::string>{"File exists, replace?"});

    if (geteuid() != 0) GTEST_SKIP() << "mounting needs root";
    // A full disk and a read-only file system: the old file stays byte for byte.
    fs::path small = folder_ / "small";
    fs::create_directory(small);
    std::string mount = "mount -t tmpfs -o size=8k tmpfs '" + small.string() + "'";
    ASSERT_EQ(std::system(mount.c_str()), 0);
    write_bytes(small / "keep.mem", old_bytes);
    write_bytes(small / "filler", std::string(64 * 1024, 'x'));
    queue_file_answer((small / "keep.mem").string());
    press(app.save_button);
    EXPECT_EQ(messages(), (std::vector<std::string>{"File exists, replace?", "May not create the file!"}));
    EXPECT_EQ(read_bytes(small / "keep.mem"), old_bytes);
    EXPECT_FALSE(fs::exists(small / "keep.mem.kalvo-part"));

    // A folder that takes no new names (immutable, as root ignores mode
    // bits): the set goes into the file in place; a new file cannot be made.
    std::string shown = read_bytes(small / "keep.mem");
    fs::remove(small / "filler");
    int fd = open(small.c_str(), O_RDONLY | O_DIRECTORY), flags = 0;
    ASSERT_EQ(ioctl(fd, FS_IOC_GETFLAGS, &flags), 0);
    flags |= FS_IMMUTABLE_FL;
    ASSERT_EQ(ioctl(fd, FS_IOC_SETFLAGS, &flags), 0);
    edit(9, "7050000", 0, 0);
    queue_file_answer((small / "keep.mem").string());
    press(app.save_button);
    queue_file_answer((small / "new.mem").string());
    press(app.save_button);
    flags &= ~FS_IMMUTABLE_FL;
    ioctl(fd, FS_IOC_SETFLAGS, &flags);
    close(fd);
    EXPECT_EQ(messages(), (std::vector<std::string>{"File exists, replace?", "May not create the file!"}));
    EXPECT_NE(read_bytes(small / "keep.mem"), shown);
    EXPECT_FALSE(fs::exists(small / "new.mem"));

    shown = read_bytes(small / "keep.mem");
    edit(9, "3500000", 0, 0);
    std::system(("mount -o remount,ro '" + small.string() + "'").c_str());
    queue_file_answer((small / "keep.mem").string());
    press(app.save_button);
    EXPECT_EQ(messages(), (std::vector<std::string>{"File exists, replace?", "May not create the file!"}));
    EXPECT_EQ(read_bytes(small / "keep.mem"), shown);
    std::system(("umount '" + small.string() + "'").c_str());
}

// Saving over a file changes its bytes only: links, other names, mode and
// owner stay, and no file of the user's beside it is touched.
TEST_F(Editor, SavingOverAFileKeepsWhatTheFileIs) {
    std::string old_bytes = empty_records();
    old_bytes[0] = 42;
    std::string long_name = std::string(246, 'n') + ".mem"; // 250 bytes, near the limit
    for (const char *name : {"real.mem", "linked.mem", "keep.mem", "keep.mem.kalvo-part"})
        write_bytes(folder_ / name, old_bytes);
    write_bytes(folder_ / long_name, old_bytes);
    fs::create_symlink("real.mem", folder_ / "link.mem");
    fs::create_hard_link(folder_ / "linked.mem", folder_ / "other name.mem");
    chmod((folder_ / "keep.mem").c_str(), 0604);
    bool root = geteuid() == 0;
    if (root) {
        ASSERT_EQ(chown((folder_ / "keep.mem").c_str(), 1234, 4321), 0);
    }
    edit(5, "7050000", 0, 0);
    messages();

    for (const std::string name : {"link.mem", "linked.mem", "keep.mem", long_name.c_str()}) {
        queue_file_answer((folder_ / name).string());
        queue_question_answer(GTK_RESPONSE_YES);
        press(app.save_button);
        EXPECT_EQ(messages(), std::vector<std::string>{"File exists, replace?"}) << name;
    }
    const std::string saved = read_bytes(folder_ / "keep.mem");
    EXPECT_TRUE(saved != old_bytes);
    EXPECT_TRUE(fs::is_symlink(folder_ / "link.mem"));
    EXPECT_TRUE(read_bytes(folder_ / "real.mem") == saved);
    EXPECT_TRUE(read_bytes(folder_ / "other name.mem") == saved);
    EXPECT_TRUE(read_bytes(folder_ / long_name) == saved);
    EXPECT_TRUE(read_bytes(folder_ / "keep.mem.kalvo-part") == old_bytes);
    struct stat kept {};
    ASSERT_EQ(stat((folder_ / "keep.mem").c_str(), &kept), 0);
    EXPECT_EQ(kept.st_mode & 07777, 0604u);
    if (root) {
        EXPECT_EQ(kept.st_uid * 10000 + kept.st_gid, 1234u * 10000 + 4321);
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(folder_), fs::directory_iterator()), 7);

    // A file the user may not read is asked about too; one the user may not
    // write is left as it was. Root reads everything, so the save runs as
    // nobody, in a folder everyone may write.
    fs::path shared = folder_ / "shared";
    fs::create_directory(shared);
    chmod(folder_.c_str(), 0755);
    chmod(shared.c_str(), 0777);
    write_bytes(shared / "theirs.mem", old_bytes);
    chmod((shared / "theirs.mem").c_str(), 0);
    if (root) {
        ASSERT_EQ(seteuid(65534), 0);
    }
    for (int answer : {GTK_RESPONSE_NO, GTK_RESPONSE_YES}) {
        queue_file_answer((shared / "theirs.mem").string());
        queue_question_answer(answer);
        press(app.save_button);
    }
    if (root) {
        ASSERT_EQ(seteuid(0), 0);
    }
    EXPECT_EQ(messages(), (std::vector<std::string>{"File exists, replace?", "File exists, replace?",
                                                    "May not create the file!"}));
    chmod((shared / "theirs.mem").c_str(), 0600);
    EXPECT_TRUE(read_bytes(shared / "theirs.mem") == old_bytes);
    EXPECT_EQ(std::distance(fs::directory_iterator(shared), fs::directory_iterator()), 1);
}
