// The size of a named file on Win32: drive names, folders and files, with
// -1 for nothing there and -2 for a folder or a drive.
#include "file/file.h"

#include <windows.h>

#include <string>

namespace {

constexpr std::int64_t MISSING = -1;
constexpr std::int64_t FOLDER = -2;
constexpr std::size_t NAME_UNITS = MAX_PATH; // names longer than this are cut

using Name = std::wstring;

bool is_separator(wchar_t unit) { return unit == L'\\' || unit == L'/'; }

// "C:" or "C:\" (or "C:/"): the root of a drive. "C:x" names a file on the
// drive's current folder, so it is looked up as a file.
bool is_drive_name(const Name &name) {
    return name.size() >= 2 && name.size() <= 3 && name[1] == L':' &&
           (name.size() == 2 || is_separator(name[2]));
}

std::int64_t drive_size(Name root) {
    if (root.size() == 2)
        root += L'\\';
    return GetDriveTypeW(root.c_str()) > DRIVE_NO_ROOT_DIR ? FOLDER : MISSING;
}

// File names cannot hold wildcards; only the "\\?\" prefix carries a '?'.
bool has_wildcard(const Name &name) {
    std::size_t start = name.rfind(L"\\\\?\\", 0) == 0 ? 4 : 0;
    return name.find_first_of(L"*?", start) != Name::npos;
}

// Names the file search does not report: network shares, device and
// long-path forms, and the parent folder.
bool is_special_form(const Name &name) {
    return name.rfind(L"\\\\", 0) == 0 || name.rfind(L"//", 0) == 0 || name.rfind(L"..", 0) == 0;
}

std::int64_t special_size(const Name &name) {
    DWORD attributes = GetFileAttributesW(name.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES)
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? FOLDER : MISSING;
    // A share root ("\\server\share") answers only as a drive, with its
    // trailing backslash.
    return drive_size(name + L'\\');
}

} // namespace

std::int64_t file_size(const WideText &text) {
    Name name(reinterpret_cast<const wchar_t *>(text.c_str()));
    if (name.empty())
        return MISSING;
    if (name.size() >= NAME_UNITS)
        name.resize(NAME_UNITS - 1);
    if (is_drive_name(name))
        return drive_size(name);
    while (name.size() > 1 && is_separator(name.back()))
        name.pop_back();
    if (has_wildcard(name))
        return MISSING;
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW(name.c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        FindClose(search);
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            return FOLDER;
        return static_cast<std::int64_t>((static_cast<std::uint64_t>(found.nFileSizeHigh) << 32) |
                                         found.nFileSizeLow);
    }
    return is_special_form(name) ? special_size(name) : MISSING;
}
