// What only the Win32 back-end does: exclusive opens, saving over files that
// refuse to be replaced, and the size rules for drives, folders and odd names.
#include "file_fixture.h"

#include <windows.h>

namespace {

LPCWSTR wide(const WideText &text) { return reinterpret_cast<LPCWSTR>(text.c_str()); }

TEST_F(FileTest, OpenFilesAreExclusive) {
    put("busy", "abc");
    ASSERT_NE(file_open_read(0, name("busy")), 0);
    EXPECT_EQ(file_open_read(1, name("busy")), 0);
    EXPECT_EQ(file_close(0), 1);
    EXPECT_NE(file_open_read(1, name("busy")), 0);
}

// Windows refuses to replace a hidden file. Saving over a file keeps its
// attributes and its other names; a folder and a read-only file are never
// replaced.
TEST_F(FileTest, ReplacingKeepsWhatTheFileIs) {
    put("hidden", "old contents");
    put("linked", "old contents");
    ASSERT_TRUE(SetFileAttributesW(wide(name("hidden")), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
    ASSERT_TRUE(CreateHardLinkW(wide(name("other")), wide(name("linked")), nullptr));
    for (const char *base : {"hidden", "linked", "new"})
        EXPECT_EQ(file_replace(name(base), "wxyz", 4), 1) << base;
    EXPECT_EQ(contents("hidden") + contents("other") + contents("new"), "wxyzwxyzwxyz");
    EXPECT_TRUE(GetFileAttributesW(wide(name("hidden"))) & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(file_replace(dir.u16string(), "abcd", 4), 0);
    ASSERT_TRUE(SetFileAttributesW(wide(name("linked")), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(file_replace(name("linked"), "abcd", 4), 0);
    EXPECT_EQ(contents("linked"), "wxyz");
    SetFileAttributesW(wide(name("linked")), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(files_in_folder(), 4); // nothing but the named files
}

TEST_F(FileTest, SizesOfDrivesFoldersAndOddNames) {
    put("data", "12345");
    const WideText folder = dir.u16string();
    WCHAR system_folder[MAX_PATH] = {};
    ASSERT_GT(GetSystemDirectoryW(system_folder, MAX_PATH), 2u);
    const WideText system_drive(reinterpret_cast<char16_t *>(system_folder), 2);
    WCHAR unused_drive[] = L"A:";
    for (DWORD drives = GetLogicalDrives(); drives & (1u << (unused_drive[0] - L'A'));)
        ++unused_drive[0];
    const std::pair<WideText, std::int64_t> cases[] = {
        {system_drive, -2}, {system_drive + u"\\", -2}, {reinterpret_cast<char16_t *>(unused_drive), -1},
        {folder + u"\\\\//", -2}, {name("data") + u"\\", 5}, {u"\\\\?\\" + name("data"), 5}, {u"..", -2},
        {folder + u"\\*", -1}, {folder + u"\\data?Kan*", -1}, {u"\\\\no-such-host\\share", -1},
        // A name beyond the usual limit is looked up whole, never cut to another name.
        {name("data") + WideText(300, u'x'), -1}};
    for (const auto &[path, size] : cases)
        EXPECT_EQ(file_size(path), size) << text_to_utf8(path);
}

} // namespace
