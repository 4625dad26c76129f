#include "file_fixture.h"

#ifndef _WIN32
#include "without_file_override.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

// What loading a .mem file takes: signed bytes, little-endian values, a
// short tail read as zero, and the size that tells a .mem file.
TEST_F(FileTest, ReadsAreSignedShortTailsReadAsZeroAndSizesAreWhole) {
    put("tail", "\xFF\x7F\x01\x02");
    ASSERT_NE(file_open_read(3, name("tail")), 0);
    EXPECT_EQ(file_read_byte(3), -1);
    EXPECT_EQ(file_read_byte(3), 127);
    EXPECT_EQ(file_read_long(3), 0x0201);
    EXPECT_EQ(file_read_long(3), 0);
    file_seek(3, 0);
    EXPECT_EQ(file_read_long(3), 0x02017FFF);
    EXPECT_EQ(file_close(3), 1);
    EXPECT_EQ(file_size(name("tail")), 4);
    EXPECT_EQ(file_size(name("missing")), -1);
    EXPECT_EQ(file_size(WideText()), -1);
    EXPECT_EQ(file_size(dir.u16string()), -2);
    // Never cut to 32 bits: 4 GiB and 600 bytes would pass for a .mem file.
    fs::resize_file(name("tail"), (4LL << 30) + 600);
    EXPECT_EQ(file_size(name("tail")), (4LL << 30) + 600);
}

// Saving as the editor does, buffered or not: a created file starts empty,
// values land least significant byte first, a write after a read lands right
// after the byte read, a relative seek moves from there on both systems, and
// appending starts at the end.
TEST_F(FileTest, WritesLandWhereTheyShouldWithOrWithoutABuffer) {
    for (const std::int32_t flags : {0, FILE_NO_BUFFER}) {
        put("set", "old contents, longer than what comes");
        ASSERT_NE(file_create(4, name("set"), flags), 0) << flags;
        for (int channel = 0; channel < 100; ++channel) {
            EXPECT_EQ(file_write_long(4, 7050000 + channel), 4);
            EXPECT_EQ(file_write_byte(4, '2') + file_write_byte(4, 0x131), 2);
        }
        EXPECT_EQ(file_close(4), 1);
        const std::string set = contents("set");
        ASSERT_EQ(set.size(), 600u) << flags;
        EXPECT_EQ(set.substr(6, 6), std::string("\x11\x93\x6B\x00"
                                                "21",
                                                6))
            << flags;

        put("mixed", "abcdefgh");
        ASSERT_NE(file_open(5, name("mixed"), flags), 0);
        EXPECT_EQ(file_read_byte(5), 'a');
        EXPECT_EQ(file_write_byte(5, 'X'), 1);
        EXPECT_EQ(file_read_byte(5), 'c');
        file_seek(5, 2, 1);
        EXPECT_EQ(file_read_byte(5), 'f') << flags;
        EXPECT_EQ(file_close(5), 1);
        ASSERT_NE(file_open(6, name("mixed"), flags | FILE_APPEND), 0);
        EXPECT_EQ(file_write_long(6, 0x2A2A2A21), 4);
        EXPECT_EQ(file_close(6), 1);
        EXPECT_EQ(contents("mixed"), "aXcdefgh!***") << flags;
    }
}

// Shut-down closes every file and hands what was still pending to the disk.
TEST_F(FileTest, ShutdownFlushesWhatIsStillOpen) {
    ASSERT_NE(file_create(2, name("first")), 0);
    const std::intptr_t second = file_create(ANY, name("second"));
    ASSERT_NE(second, 0);
    file_write_long(2, 0x64636261);
    file_write_byte(second, 'z');
    EXPECT_EQ(contents("first"), "");
    file_shutdown();
    EXPECT_EQ(contents("first") + contents("second"), "abcdz");
    file_init();
    EXPECT_EQ(file_write_byte(2, 'x'), 0);
    EXPECT_EQ(file_close(ANY), 0);
}

TEST_F(FileTest, FailedOpensAndUnknownIdsAreHarmless) {
    EXPECT_EQ(file_close(ANY), 0); // nothing open
    put("kept", "\x04\x03\x02\x01");
    ASSERT_NE(file_open_read(2, name("kept")), 0);
    EXPECT_EQ(file_open_read(2, name("missing")), 0); // closes what was under 2
    EXPECT_EQ(file_open_read(ANY, WideText()), 0);
    std::int32_t outsider[16] = {1};
    for (ObjectId id :
         {ObjectId{2}, ObjectId{500}, ObjectId{-7}, reinterpret_cast<ObjectId>(outsider)}) {
        EXPECT_EQ(file_read_long(id), 0);
        file_seek(id, 3);
        EXPECT_EQ(file_close(id), 0);
    }
    EXPECT_EQ(outsider[0], 1);
}

// A rename replaces its target whole; a missing source or file changes nothing.
TEST_F(FileTest, RenamesOverATargetAndDeletes) {
    put("source", "new");
    put("target", "old");
    EXPECT_EQ(file_rename(name("source"), name("target")), 1);
    EXPECT_EQ(contents("target"), "new");
    EXPECT_EQ(file_rename(name("source"), name("target")), 0);
    EXPECT_EQ(contents("target"), "new");
    EXPECT_EQ(file_delete(name("target")), 1);
    EXPECT_EQ(file_delete(name("target")), 0);
    EXPECT_EQ(files_in_folder(), 0);
}

#ifndef _WIN32
// A pipe cannot seek; with nothing read ahead a write needs no seek.
TEST_F(FileTest, PipesTakeWrites) {
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    ASSERT_NE(file_open(0, text_from_utf8(("/proc/self/fd/" + std::to_string(ends[1])).c_str())),
              0);
    close(ends[1]);
    EXPECT_EQ(file_write_long(0, 0x64636261), 4);
    EXPECT_EQ(file_write_byte(0, 'e'), 1);
    EXPECT_EQ(file_close(0), 1);
    char heard[8] = {};
    EXPECT_EQ(read(ends[0], heard, sizeof heard), 5);
    close(ends[0]);
    EXPECT_STREQ(heard, "abcde");
}

// File names are bytes; one that is no UTF-8 still names the same file.
TEST_F(FileTest, NamesThatAreNoUtf8RoundTrip) {
    const std::string odd = dir.string() + "/caf\xE9 \xED\xB2\x80 \xC0\x80.mem";
    const WideText name = text_from_file_name(odd.c_str());
    EXPECT_EQ(text_to_file_name(name), odd);
    std::ofstream(odd, std::ios::binary) << "old";
    EXPECT_EQ(file_size(name), 3);
    EXPECT_EQ(file_replace(name, "new", 3), 1);
    ASSERT_NE(file_open_read(0, name), 0);
    EXPECT_EQ(file_read_byte(0), 'n');
    EXPECT_EQ(bytes_of(odd), "new");
    EXPECT_EQ(files_in_folder(), 1);
}

// A name with a leading surrogate that has no trailing one has no bytes: it
// names no file at all, not what is left of it once the surrogate is gone.
TEST_F(FileTest, NamesWithALoneLeadingSurrogateNameNoFile) {
    const fs::path home = fs::current_path();
    fs::current_path(dir);
    for (const char16_t *broken : {u"/x/a\xD800y\xDC80", u"a\xD800y\xDC80", u"b\xD800"}) {
        EXPECT_EQ(text_to_file_name(broken), "");
        EXPECT_EQ(file_create(7, broken), 0);
        EXPECT_LT(file_size(broken), 0);
    }
    fs::current_path(home);
    EXPECT_EQ(files_in_folder(), 0);
}

const std::string OLD_BYTES = '*' + std::string(599, '\0'), NEW_BYTES(600, 'n');

// Saving over a file changes its bytes only: a symbolic link stays a link,
// the file's other names see the new bytes, mode and owner stay, and nothing
// beside it is touched or left behind.
TEST_F(FileTest, ReplacingKeepsWhatTheFileIs) {
    const bool root = geteuid() == 0;
    const std::string long_base(238, 'n'); // 250 bytes with name()'s ending
    const fs::path kept = name("kept"), stray = name("kept") + u".kalvo-part";
    for (const char *base : {"real", "linked", "kept", long_base.c_str()})
        put(base, OLD_BYTES);
    std::ofstream(stray, std::ios::binary) << OLD_BYTES;
    fs::create_symlink(name("real"), name("link"));
    fs::create_hard_link(name("linked"), name("other"));
    ASSERT_EQ(chmod(kept.c_str(), 0604), 0);
    // Root in a user namespace has no other owner to give: only its own id
    // exists there.
    const bool owner_given = root && chown(kept.c_str(), 1234, 4321) == 0;
    for (const char *base : {"link", "linked", "kept", long_base.c_str()})
        EXPECT_EQ(file_replace(name(base), NEW_BYTES.data(), 600), 1) << base;
    EXPECT_TRUE(fs::is_symlink(name("link")));
    for (const char *base : {"real", "other", "kept", long_base.c_str()})
        EXPECT_TRUE(contents(base) == NEW_BYTES) << base;
    EXPECT_TRUE(bytes_of(stray) == OLD_BYTES);
    struct stat shape {};
    ASSERT_EQ(stat(kept.c_str(), &shape), 0);
    EXPECT_EQ(shape.st_mode & 07777, 0604u);
    EXPECT_TRUE(!owner_given || (shape.st_uid == 1234 && shape.st_gid == 4321));
    EXPECT_EQ(files_in_folder(), 7);
}

// Where the disk is in the way (full, a folder that takes no new names, a
// read-only file system) the old bytes stay unless the new ones land whole.
TEST_F(FileTest, ReplacingWhatTheDiskRefusesKeepsTheOldBytes) {
    if (geteuid() != 0)
        GTEST_SKIP() << "mounting needs root (runs in the sandbox)";
    const fs::path small = dir / "small", kept = small / "kept.mem", fresh = small / "new.mem";
    fs::create_directory(small);
    ASSERT_EQ(mount("tmpfs", small.c_str(), "tmpfs", 0, "size=8k"), 0);
    struct Unmount {
        const fs::path &at;
        ~Unmount() { umount(at.c_str()); }
    } unmount{small};
    std::ofstream(kept, std::ios::binary) << OLD_BYTES;
    std::ofstream(small / "filler", std::ios::binary) << std::string(64 * 1024, 'x');
    EXPECT_EQ(file_replace(kept.u16string(), NEW_BYTES.data(), 600), 0);
    EXPECT_TRUE(bytes_of(kept) == OLD_BYTES);
    EXPECT_EQ(std::distance(fs::directory_iterator(small), {}), 2);

    // A folder that takes no new names, met without root's override of
    // modes: the bytes go into the file in place; a new file cannot be made.
    fs::remove(small / "filler");
    fs::permissions(small, fs::perms::owner_read | fs::perms::owner_exec);
    {
        const WithoutFileOverride as_a_user;
        ASSERT_TRUE(as_a_user.dropped());
        EXPECT_EQ(file_replace(kept.u16string(), NEW_BYTES.data(), 600), 1);
        EXPECT_EQ(file_replace(fresh.u16string(), NEW_BYTES.data(), 600), 0);
    }
    fs::permissions(small, fs::perms::owner_all);
    EXPECT_TRUE(bytes_of(kept) == NEW_BYTES);
    EXPECT_FALSE(fs::exists(fresh));

    ASSERT_EQ(mount("tmpfs", small.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, "size=8k"), 0);
    EXPECT_EQ(file_replace(kept.u16string(), OLD_BYTES.data(), 600), 0);
    EXPECT_TRUE(bytes_of(kept) == NEW_BYTES);
}
#endif

} // namespace
