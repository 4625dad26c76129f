// File streams on Win32 file handles, with 64-bit positions, and the
// named-file queries on the Win32 file and drive functions. Names go to the
// system as UTF-16 unchanged.
#include "file/file.h"
#include "internal/file_stream.h"

#include <windows.h>

namespace {

HANDLE as_handle(void *stream) { return static_cast<HANDLE>(stream); }

LPCWSTR wide(const WideText &text) { return reinterpret_cast<LPCWSTR>(text.c_str()); }

// A text ends at its first 0 unit; the system sees the same name.
bool is_blank(const WideText &name) { return name.empty() || name[0] == 0; }

void *handle_or_null(HANDLE handle) { return handle == INVALID_HANDLE_VALUE ? nullptr : handle; }

// Share mode 0 everywhere: no other opener may use the file while it is open.
HANDLE create_or_truncate(LPCWSTR path)
{
    HANDLE handle = CreateFileW(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    // CREATE_ALWAYS is refused for an existing hidden or system file, which
    // can still be emptied in place.
    if (handle == INVALID_HANDLE_VALUE)
        handle = CreateFileW(path, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, 0, nullptr);
    return handle;
}

// Reads and writes move at most what one DWORD counts per call.
constexpr std::int64_t CHUNK = 1 << 30;

// Calls transfer(done, size, &moved) until count bytes have moved or a call
// moves nothing; the bytes moved.
template <typename Transfer>
std::int64_t in_chunks(std::int64_t count, Transfer transfer)
{
    std::int64_t done = 0;
    while (done < count) {
        DWORD moved = 0;
        if (!transfer(done, static_cast<DWORD>(count - done < CHUNK ? count - done : CHUNK), &moved) || moved == 0)
            break;
        done += moved;
    }
    return done;
}

} // namespace

void *stream_open(StreamOpen kind, const WideText &name)
{
    if (is_blank(name))
        return nullptr;
    LPCWSTR path = wide(name);
    switch (kind) {
    case StreamOpen::read:
        return handle_or_null(
            CreateFileW(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    case StreamOpen::create:
        return handle_or_null(create_or_truncate(path));
    case StreamOpen::update:
        return handle_or_null(CreateFileW(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
    }
    return nullptr;
}

std::int64_t stream_read(void *stream, void *destination, std::int64_t count)
{
    auto *out = static_cast<unsigned char *>(destination);
    return in_chunks(count, [&](std::int64_t done, DWORD size, DWORD *moved) {
        return ReadFile(as_handle(stream), out + done, size, moved, nullptr);
    });
}

std::int64_t stream_write(void *stream, const void *source, std::int64_t count)
{
    const auto *in = static_cast<const unsigned char *>(source);
    return in_chunks(count, [&](std::int64_t done, DWORD size, DWORD *moved) {
        return WriteFile(as_handle(stream), in + done, size, moved, nullptr);
    });
}

bool stream_seek(void *stream, std::int64_t offset, StreamOrigin origin)
{
    LARGE_INTEGER distance{};
    distance.QuadPart = offset;
    DWORD method = origin == StreamOrigin::start ? FILE_BEGIN : origin == StreamOrigin::current ? FILE_CURRENT : FILE_END;
    return SetFilePointerEx(as_handle(stream), distance, nullptr, method) != 0;
}

// A file handle keeps no bytes of its own: WriteFile has handed them over.
bool stream_sync(void *) { return true; }

bool stream_close(void *stream) { return CloseHandle(as_handle(stream)) != 0; }

int file_rename(const WideText &source, const WideText &target)
{
    if (is_blank(source) || is_blank(target))
        return 0;
    // Write-through: the call returns once the new name is on the disk, so a
    // save that reports success survives a crash right after it.
    return MoveFileExW(wide(source), wide(target), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) ? 1 : 0;
}

int file_delete(const WideText &name)
{
    if (is_blank(name))
        return 0;
    return DeleteFileW(wide(name)) ? 1 : 0;
}
