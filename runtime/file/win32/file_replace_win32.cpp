// Saving over a file without changing what the file is: ReplaceFileW gives
// the new bytes the old file's attributes, security and names; a file with
// other names, or in a folder that takes no new file, is written in place.
#include "file/file.h"

#include <windows.h>

#include <string>

namespace {

// A handle closed when it goes out of scope.
struct Handle {
    HANDLE handle;
    explicit Handle(HANDLE opened) : handle(opened) {}
    Handle(const Handle &) = delete;
    Handle &operator=(const Handle &) = delete;
    ~Handle() { release(); }
    bool valid() const { return handle != INVALID_HANDLE_VALUE; }
    // Closes now; false when the close reported an error.
    bool release() {
        HANDLE closing = handle;
        handle = INVALID_HANDLE_VALUE;
        return closing == INVALID_HANDLE_VALUE || CloseHandle(closing) != 0;
    }
};

bool write_and_flush(HANDLE file, const void *bytes, std::int64_t count) {
    const auto *next = static_cast<const char *>(bytes);
    LARGE_INTEGER start{};
    if (!SetFilePointerEx(file, start, nullptr, FILE_BEGIN))
        return false;
    for (std::int64_t done = 0; done < count;) {
        DWORD chunk = count - done < (1 << 30) ? static_cast<DWORD>(count - done) : (1u << 30);
        DWORD written = 0;
        if (!WriteFile(file, next + done, chunk, &written, nullptr) || written == 0)
            return false;
        done += written;
    }
    return SetEndOfFile(file) && FlushFileBuffers(file);
}

std::wstring folder_of(const std::wstring &path) {
    std::size_t slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos)
        return L".";
    return path.substr(0, slash + 1);
}

// The name a symbolic link leads to; the name itself when it is none.
std::wstring followed(const std::wstring &path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return path;
    Handle file(CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    std::wstring final_name(32768, L'\0');
    DWORD length =
        file.valid() ? GetFinalPathNameByHandleW(file.handle, final_name.data(), 32768, 0) : 0;
    if (length == 0 || length >= 32768)
        return path;
    final_name.resize(length);
    return final_name;
}

enum class Outcome {
    done,
    elsewise, // not this way; nothing changed
    failed,   // the bytes cannot be written; nothing changed
};

// Writes a fresh file in the folder, under a short unique name created for
// it, and lets ReplaceFileW swap it in with the old file's shape.
Outcome replace_by_swap(const std::wstring &path, DWORD attributes, const void *bytes,
                        std::int64_t count) {
    wchar_t temporary[MAX_PATH];
    if (GetTempFileNameW(folder_of(path).c_str(), L"kvo", 0, temporary) == 0)
        return Outcome::elsewise;
    Handle copy(CreateFileW(temporary, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    Outcome outcome = Outcome::failed;
    if (copy.valid() && write_and_flush(copy.handle, bytes, count) && copy.release()) {
        bool swapped = ReplaceFileW(path.c_str(), temporary, nullptr,
                                    REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr) != 0;
        // Some implementations leave the new file's own attributes; the old
        // ones are put back (unchanged where ReplaceFileW kept them).
        if (swapped)
            SetFileAttributesW(path.c_str(), attributes);
        outcome = swapped ? Outcome::done : Outcome::elsewise;
    }
    copy.release();
    if (outcome != Outcome::done)
        DeleteFileW(temporary);
    return outcome;
}

bool has_room(const std::wstring &path, std::int64_t size, std::int64_t count) {
    ULARGE_INTEGER free_to_caller{};
    return count <= size ||
           (GetDiskFreeSpaceExW(folder_of(path).c_str(), &free_to_caller, nullptr, nullptr) &&
            free_to_caller.QuadPart >= static_cast<ULONGLONG>(count - size));
}

bool write_in_place(const std::wstring &path, const void *bytes, std::int64_t count) {
    Handle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    LARGE_INTEGER size{};
    return file.valid() && GetFileSizeEx(file.handle, &size) &&
           has_room(path, size.QuadPart, count) && write_and_flush(file.handle, bytes, count) &&
           file.release();
}

// A new name: created exclusively, removed again when the bytes do not fit.
bool write_new(const std::wstring &path, const void *bytes, std::int64_t count) {
    Handle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid())
        return false;
    if (write_and_flush(file.handle, bytes, count) && file.release())
        return true;
    file.release();
    DeleteFileW(path.c_str());
    return false;
}

// The old file's name count; 0 when it cannot be told.
DWORD link_count(const std::wstring &path) {
    Handle file(CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, 0, nullptr));
    BY_HANDLE_FILE_INFORMATION information{};
    return file.valid() && GetFileInformationByHandle(file.handle, &information)
               ? information.nNumberOfLinks
               : 0;
}

} // namespace

int file_replace(const WideText &name, const void *bytes, std::int64_t count) {
    if (name.empty() || name[0] == 0 || count < 0)
        return 0;
    std::wstring path = followed(std::wstring(reinterpret_cast<const wchar_t *>(name.c_str())));
    DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return GetLastError() == ERROR_FILE_NOT_FOUND && write_new(path, bytes, count) ? 1 : 0;
    // A folder is never replaced, nor a file marked read-only.
    if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY))
        return 0;
    if (link_count(path) == 1) {
        Outcome outcome = replace_by_swap(path, attributes, bytes, count);
        if (outcome != Outcome::elsewise)
            return outcome == Outcome::done ? 1 : 0;
    }
    return write_in_place(path, bytes, count) ? 1 : 0;
}
