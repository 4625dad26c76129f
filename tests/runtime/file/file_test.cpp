#include "tests/runtime/file/file_fixture.h"

#ifndef _WIN32
#include <unistd.h>
#endif

namespace {

TEST_F(FileTest, ReadsAreSignedAndShortTailsReadAsZero) {
    put("tail", "\xFF\x7F\x01\x02");
    ASSERT_NE(file_open_read(3, name("tail")), 0);
    EXPECT_EQ(file_read_byte(3), -1);
    EXPECT_EQ(file_read_byte(3), 127);
    EXPECT_EQ(file_read_long(3), 0x0201);
    EXPECT_EQ(file_read_long(3), 0);
    file_seek(3, 0);
    EXPECT_EQ(file_read_long(3), 0x02017FFF);
    EXPECT_EQ(file_write_byte(3, 1), 0);
    EXPECT_EQ(file_close(3), 1);
    EXPECT_EQ(contents("tail"), "\xFF\x7F\x01\x02");
}

TEST_F(FileTest, SwitchingBetweenReadingAndWritingKeepsTheLogicalPosition) {
    for (std::int32_t flags : {0, FILE_NO_BUFFER}) {
        put("mix", "0123456789");
        ObjectId file = file_open(ANY, name("mix"), flags);
        ASSERT_NE(file, 0);
        EXPECT_EQ(file_read_byte(file), '0');
        EXPECT_EQ(file_read_byte(file), '1');
        EXPECT_EQ(file_write_byte(file, 'a'), 1); // lands on '2', not after the read-ahead
        EXPECT_EQ(file_read_byte(file), '3');     // the write reached the stream first
        file_seek(file, 2, 1);                    // relative to the logical position
        EXPECT_EQ(file_read_byte(file), '6');
        EXPECT_EQ(file_write_long(file, 0x44434241), 4);
        EXPECT_EQ(file_close(file), 1);
        EXPECT_EQ(contents("mix"), "01a3456ABCD") << flags;
        EXPECT_EQ(file_close(file), 0);
    }
}

TEST_F(FileTest, OpenModesSizesRenameAndDelete) {
    put("modes", "abcdef");
    ASSERT_NE(file_open(1, name("modes")), 0); // keeps the contents
    EXPECT_EQ(file_write_byte(1, 'X'), 1);
    ASSERT_NE(file_open(1, name("modes"), FILE_APPEND), 0); // closes what was under 1
    EXPECT_EQ(file_write_byte(1, 'Z'), 1);
    EXPECT_EQ(file_close(1), 1);
    EXPECT_EQ(contents("modes"), "XbcdefZ");
    ASSERT_NE(file_open(1, name("fresh")), 0); // created when missing
    ASSERT_NE(file_create(2, name("modes")), 0);
    EXPECT_EQ(file_close(ANY), 1);
    EXPECT_EQ(file_size(name("modes")) + file_size(name("fresh")), 0);

    put("new", "12345");
    EXPECT_EQ(file_size(dir.u16string()), -2);
    EXPECT_EQ(file_size(WideText()), -1);
    EXPECT_EQ(file_rename(name("new"), name("modes")), 1);
    EXPECT_EQ(contents("modes"), "12345");
    EXPECT_EQ(file_size(name("new")), -1);
    EXPECT_EQ(file_rename(name("new"), name("modes")), 0);
    EXPECT_EQ(file_delete(name("modes")), 1);
    EXPECT_EQ(file_delete(name("modes")), 0);
}

TEST_F(FileTest, FailedOpensAndUnknownIdsAreHarmless) {
    EXPECT_EQ(file_close(ANY), 0); // nothing open
    ASSERT_NE(file_create(2, name("kept")), 0);
    EXPECT_EQ(file_write_long(2, 0x01020304), 4);
    EXPECT_EQ(file_open_read(2, name("missing")), 0); // closes what was under 2
    EXPECT_EQ(contents("kept"), "\x04\x03\x02\x01");
    EXPECT_EQ(file_open_read(ANY, WideText()), 0);
    EXPECT_EQ(file_create(ANY, name("no such folder/x")), 0);
    std::int32_t outsider[16] = {1};
    for (ObjectId id : {ObjectId{2}, ObjectId{500}, ObjectId{-7}, reinterpret_cast<ObjectId>(outsider)}) {
        EXPECT_EQ(file_read_long(id), 0);
        EXPECT_EQ(file_write_long(id, 5), 0);
        file_seek(id, 3);
        EXPECT_EQ(file_close(id), 0);
    }
    EXPECT_EQ(outsider[0], 1);
}

TEST_F(FileTest, PositionsBeyondFourGigabytes) {
    const std::int64_t far = 5LL << 30;
    ASSERT_NE(file_create(0, name("sparse")), 0);
    file_seek(0, far);
    EXPECT_EQ(file_write_long(0, -1), 4);
    file_seek(0, far + 2);
    EXPECT_EQ(file_read_long(0), 0xFFFF);
    EXPECT_EQ(file_close(0), 1);
    EXPECT_EQ(file_size(name("sparse")), far + 4);
}

#ifndef _WIN32
// /dev/full refuses every write: buffered, unbuffered, flushed on turning to
// reading, and among other files closed at once.
TEST_F(FileTest, CloseReportsBytesThatNeverReachedTheSystem) {
    for (std::int32_t flags : {0, FILE_NO_BUFFER}) {
        ASSERT_NE(file_create(0, u"/dev/full", flags), 0);
        for (int i = 0; i < 150; ++i)
            file_write_long(0, i);
        EXPECT_EQ(file_close(0), 0) << flags;
    }
    ASSERT_NE(file_create(0, u"/dev/full"), 0);
    file_write_long(0, 1);
    file_read_byte(0);
    EXPECT_EQ(file_close(0), 0);
    ASSERT_NE(file_create(0, name("a")), 0);
    ASSERT_NE(file_create(1, u"/dev/full"), 0);
    EXPECT_EQ(file_write_byte(1, 'k'), 1);
    EXPECT_EQ(file_close(ANY), 0);
}

// A pipe cannot seek; with nothing read ahead a write needs no seek.
TEST_F(FileTest, PipesTakeWrites) {
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    ASSERT_NE(file_open(0, text_from_utf8(("/proc/self/fd/" + std::to_string(ends[1])).c_str())), 0);
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
    ASSERT_NE(file_create(0, name), 0);
    EXPECT_EQ(file_write_byte(0, 'k'), 1);
    EXPECT_EQ(file_close(0), 1);
    EXPECT_EQ(file_size(name), 1);
    EXPECT_EQ(file_replace(name, "new", 3), 1);
    std::ifstream in(odd, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "new");
    EXPECT_EQ(files_in_folder(), 1);
}
#endif

} // namespace
