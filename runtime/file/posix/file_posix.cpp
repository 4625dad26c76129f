// File streams on the C library's stdio, with 64-bit positions, and the
// named-file queries on POSIX calls.
#include "file/file.h"
#include "internal/file_stream.h"

#include <cstdio>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

FILE *as_file(void *stream) { return static_cast<FILE *>(stream); }

// Opens for reading and writing without ever emptying an existing file:
// O_CREAT alone creates a missing one in the same step.
FILE *open_update(const std::string &path)
{
    int descriptor = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (descriptor < 0)
        return nullptr;
    FILE *file = fdopen(descriptor, "r+");
    if (!file)
        close(descriptor);
    return file;
}

} // namespace

void *stream_open(StreamOpen kind, const WideText &name)
{
    std::string path = text_to_file_name(name);
    if (path.empty())
        return nullptr;
    switch (kind) {
    case StreamOpen::read:
        return std::fopen(path.c_str(), "re");
    case StreamOpen::create:
        return std::fopen(path.c_str(), "w+e");
    case StreamOpen::update:
        return open_update(path);
    }
    return nullptr;
}

std::int64_t stream_read(void *stream, void *destination, std::int64_t count)
{
    return static_cast<std::int64_t>(std::fread(destination, 1, static_cast<std::size_t>(count), as_file(stream)));
}

std::int64_t stream_write(void *stream, const void *source, std::int64_t count)
{
    return static_cast<std::int64_t>(std::fwrite(source, 1, static_cast<std::size_t>(count), as_file(stream)));
}

bool stream_seek(void *stream, std::int64_t offset, StreamOrigin origin)
{
    int whence = origin == StreamOrigin::start ? SEEK_SET : origin == StreamOrigin::current ? SEEK_CUR : SEEK_END;
    return fseeko(as_file(stream), static_cast<off_t>(offset), whence) == 0;
}

bool stream_sync(void *stream) { return std::fflush(as_file(stream)) == 0; }

bool stream_close(void *stream)
{
    bool synced = stream_sync(stream);
    bool closed = std::fclose(as_file(stream)) == 0;
    return synced && closed;
}

std::int64_t file_size(const WideText &name)
{
    std::string path = text_to_file_name(name);
    struct stat status {};
    if (path.empty() || stat(path.c_str(), &status) != 0)
        return -1;
    if (S_ISDIR(status.st_mode))
        return -2;
    return static_cast<std::int64_t>(status.st_size);
}

int file_rename(const WideText &source, const WideText &target)
{
    std::string from = text_to_file_name(source);
    std::string to = text_to_file_name(target);
    if (from.empty() || to.empty())
        return 0;
    return std::rename(from.c_str(), to.c_str()) == 0 ? 1 : 0;
}

int file_delete(const WideText &name)
{
    std::string path = text_to_file_name(name);
    if (path.empty())
        return 0;
    return unlink(path.c_str()) == 0 ? 1 : 0;
}
