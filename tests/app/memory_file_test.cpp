// The .mem format against hand-made files, and saves that must not lose the
// file they replace.
#include "app/memory_file.h"
#include "file/file.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class MemoryFile : public ::testing::Test {
protected:
    void SetUp() override {
        file_init();
        char pattern[] = "/tmp/kalvo-memfile-XXXXXX";
        folder_ = mkdtemp(pattern);
    }
    void TearDown() override {
        file_shutdown();
        fs::remove_all(folder_);
    }
    // Spaces and non-ASCII characters in every name.
    std::string path(const std::string &leaf) const { return (folder_ / ("Käpt n " + leaf)).string(); }
    static WideText wide(const std::string &path) { return text_from_utf8(path.c_str()); }
    static void put(const std::string &path, const std::string &bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }
    static std::string get(const std::string &path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    static std::string record(std::uint32_t frequency, char mode, char preatt) {
        std::string bytes;
        for (int shift = 0; shift < 32; shift += 8) bytes += static_cast<char>(frequency >> shift);
        return bytes + mode + preatt;
    }
    static std::string empty_file() {
        std::string bytes;
        for (int c = 0; c < CHANNEL_COUNT; ++c) bytes += record(0, '0', '0');
        return bytes;
    }
    fs::path folder_;
};

} // namespace

TEST_F(MemoryFile, LoadsHandMadeRecords) {
    std::string bytes = empty_file();
    bytes.replace(0, 6, "\x10\x93\x6B\x00\x31\x31", 6); // 7050000 LSB PRE
    bytes.replace(6, 6, record(0, '3', '2'));
    bytes.replace(12, 6, record(static_cast<std::uint32_t>(-5), '\x02', '9'));
    bytes.replace(594, 6, record(0x80000000u, '7', '2'));
    put(path("set.mem"), bytes);

    ChannelSet records{};
    ASSERT_TRUE(read_memory_file(wide(path("set.mem")), records));
    EXPECT_EQ(channel_row_text(0, records[0]), u"0\n7050000\nLSB\nPRE");
    EXPECT_EQ(channel_row_text(1, records[1]), u"1");
    EXPECT_EQ(channel_row_text(2, records[2]), u"2\n-5\n   \n---");
    EXPECT_EQ(channel_row_text(99, records[99]), u"99\n-2147483648\nCWR\nATT");
}

TEST_F(MemoryFile, RefusesEveryOtherSize) {
    ChannelSet records{};
    records[4] = Channel{7050000, '3', '2'};
    const ChannelSet before = records;
    for (std::size_t size : {0ul, 1ul, 599ul, 601ul, 1200ul}) {
        put(path("odd.mem"), std::string(size, '\x31'));
        EXPECT_FALSE(read_memory_file(wide(path("odd.mem")), records)) << size;
    }
    EXPECT_FALSE(read_memory_file(wide(path("missing.mem")), records));
    EXPECT_FALSE(read_memory_file(wide(folder_.string()), records));
    EXPECT_FALSE(read_memory_file(u"", records));
    EXPECT_EQ(records[4].frequency, before[4].frequency);
    // Every refusal closed the file: a good file still loads.
    put(path("good.mem"), empty_file());
    EXPECT_TRUE(read_memory_file(wide(path("good.mem")), records));
}

TEST_F(MemoryFile, SavesAndLoadsBackByteForByte) {
    ChannelSet records{};
    for (int c = 0; c < CHANNEL_COUNT; ++c) records[c] = channel_from_cells(u"", u"", u"");
    records[3] = channel_from_cells(u"7050000abc", u"DIG", u"PRE");
    records[98] = Channel{4294967296 + 145500000, '4', '2'}; // low 32 bits only
    ASSERT_TRUE(write_memory_file(wide(path("out.mem")), records));

    std::string expected = empty_file();
    expected.replace(18, 6, record(7050000, '2', '1'));
    expected.replace(588, 6, record(145500000, '4', '2'));
    EXPECT_EQ(get(path("out.mem")), expected);
    EXPECT_FALSE(fs::exists(path("out.mem") + ".kalvo-part"));

    ChannelSet loaded{};
    ASSERT_TRUE(read_memory_file(wide(path("out.mem")), loaded));
    ASSERT_TRUE(write_memory_file(wide(path("again.mem")), loaded));
    EXPECT_EQ(get(path("again.mem")), expected);
}

TEST_F(MemoryFile, FailedSaveKeepsTheOldFile) {
    ChannelSet records{};
    records[0] = Channel{7050000, '3', '2'};
    EXPECT_FALSE(write_memory_file(wide((folder_ / "no such folder" / "x.mem").string()), records));

    if (geteuid() != 0) GTEST_SKIP() << "mounting a full file system needs root";
    fs::path small = folder_ / "small";
    fs::create_directory(small);
    ASSERT_EQ(std::system(("mount -t tmpfs -o size=8k tmpfs '" + small.string() + "'").c_str()), 0);
    std::string old_path = (small / "old.mem").string();
    std::string old_bytes = empty_file();
    old_bytes[0] = 7;
    put(old_path, old_bytes);
    put((small / "filler").string(), std::string(64 * 1024, 'x')); // fills the rest
    bool saved = write_memory_file(wide(old_path), records);
    std::string kept = get(old_path);
    bool part_left = fs::exists(old_path + ".kalvo-part");
    std::system(("umount '" + small.string() + "'").c_str());
    EXPECT_FALSE(saved);
    EXPECT_EQ(kept, old_bytes);
    EXPECT_FALSE(part_left);
}
