// Numbered files with a buffer of their own over a back-end stream: values
// are gathered into one block per transfer, whatever their size.
#include "file/file.h"
#include "internal/file_stream.h"

#include <cstdlib>
#include <cstring>

namespace {

constexpr std::int32_t BUFFER_SIZE = 4096;
constexpr std::int32_t DEFAULT_ENCODING = TEXT_UTF8;

ObjectRegistry *files = nullptr;

// Outcome of closing every file at once, gathered by the free callback.
bool closed_any = false;
bool all_clean = true;

int close_one(ObjectId id);

void close_callback(ObjectId id)
{
    closed_any = true;
    if (!close_one(id))
        all_clean = false;
}

FileObject *find(ObjectId id) { return static_cast<FileObject *>(registry_get(files, id)); }

void copy(void *destination, const void *source, std::int64_t count)
{
    if (count > 0)
        std::memcpy(destination, source, static_cast<std::size_t>(count));
}

// Hands the pending writes to the stream in one call. The buffer counts as
// empty afterwards either way; a refusal is remembered for file_close.
void flush_pending(FileObject *file)
{
    if (file->read_mode)
        return;
    std::int64_t pending = file->size - file->available;
    if (pending > 0 && stream_write(file->stream, file->buffer, pending) != pending)
        file->write_failed = 1;
    file->available = file->size;
}

void enter_read_mode(FileObject *file)
{
    if (!file->read_mode) {
        flush_pending(file);
        if (!stream_sync(file->stream))
            file->write_failed = 1;
    }
    file->read_mode = 1;
    file->available = 0;
    file->filled = 0;
}

std::int64_t write_bytes(FileObject *file, const void *source, std::int32_t count)
{
    if (file->read_only)
        return 0;
    if (file->read_mode) {
        // Give up the read-ahead so the write lands right after the last
        // value read; the seek also lets the stream turn from reading to
        // writing. A pipe or a terminal cannot seek: with no read-ahead to
        // give up, it still takes the write.
        bool moved = stream_seek(file->stream, -static_cast<std::int64_t>(file->available), StreamOrigin::current);
        if (!moved && file->available > 0)
            return 0;
        file->read_mode = 0;
        file->available = file->size;
    }
    if (count < file->available) {
        copy(file->buffer + (file->size - file->available), source, count);
        file->available -= count;
        return count;
    }
    flush_pending(file);
    if (count < file->size) {
        copy(file->buffer, source, count);
        file->available = file->size - count;
        return count;
    }
    std::int64_t written = stream_write(file->stream, source, count);
    if (written != count)
        file->write_failed = 1;
    return written;
}

std::int64_t read_bytes(FileObject *file, void *destination, std::int32_t count)
{
    if (!file->read_mode)
        enter_read_mode(file);
    auto *out = static_cast<unsigned char *>(destination);
    std::int32_t taken = count <= file->available ? count : file->available;
    copy(out, file->buffer + (file->filled - file->available), taken);
    file->available -= taken;
    std::int32_t rest = count - taken;
    if (rest == 0)
        return count;
    if (rest < file->size) {
        auto obtained = static_cast<std::int32_t>(stream_read(file->stream, file->buffer, file->size));
        file->filled = file->available = obtained;
        std::int32_t part = obtained < rest ? obtained : rest;
        copy(out + taken, file->buffer, part);
        file->available -= part;
        return taken + part;
    }
    file->available = file->filled = 0;
    return taken + stream_read(file->stream, out + taken, rest);
}

int close_one(ObjectId id)
{
    FileObject *file = find(id);
    if (!file)
        return 0;
    flush_pending(file);
    std::free(file->buffer);
    bool clean = stream_close(file->stream) && !file->write_failed;
    registry_free(files, id);
    return clean ? 1 : 0;
}

std::intptr_t open_file(ObjectId number, const WideText &name, std::int32_t flags, StreamOpen kind)
{
    if (!files || number < ANY)
        return 0;
    // Whatever is open under the number is closed (and flushed) here.
    auto *file = static_cast<FileObject *>(registry_allocate(files, number));
    if (!file)
        return 0;
    ObjectId id = number == ANY ? reinterpret_cast<ObjectId>(file) : number;
    void *stream = stream_open(kind, name);
    if (!stream) {
        registry_free(files, id);
        return 0;
    }
    file->stream = stream;
    if (!(flags & FILE_NO_BUFFER)) {
        // Without memory for a buffer the file still works, one call per value.
        file->buffer = static_cast<unsigned char *>(std::malloc(BUFFER_SIZE));
        file->size = file->buffer ? BUFFER_SIZE : 0;
    }
    file->available = 0;
    file->filled = 0;
    file->read_mode = 1;
    file->encoding = (flags & 0x1f) ? (flags & 0x1f) : DEFAULT_ENCODING;
    file->read_only = kind == StreamOpen::read ? 1 : 0;
    file->write_failed = 0;
    if (kind == StreamOpen::update && (flags & FILE_APPEND))
        stream_seek(stream, 0, StreamOrigin::end);
    return number == ANY ? id : reinterpret_cast<std::intptr_t>(stream);
}

} // namespace

void file_init()
{
    if (!files)
        files = registry_create(sizeof(FileObject), 16, close_callback);
}

void file_shutdown() { file_close(ANY); }

std::intptr_t file_open_read(ObjectId number, const WideText &name, std::int32_t flags)
{
    return open_file(number, name, flags, StreamOpen::read);
}

std::intptr_t file_create(ObjectId number, const WideText &name, std::int32_t flags)
{
    return open_file(number, name, flags, StreamOpen::create);
}

std::intptr_t file_open(ObjectId number, const WideText &name, std::int32_t flags)
{
    return open_file(number, name, flags, StreamOpen::update);
}

int file_close(ObjectId file)
{
    if (file != ANY)
        return close_one(file);
    closed_any = false;
    all_clean = true;
    registry_free_all(files);
    return closed_any && all_clean ? 1 : 0;
}

std::int32_t file_read_byte(ObjectId file)
{
    FileObject *record = find(file);
    unsigned char byte = 0;
    if (record)
        read_bytes(record, &byte, 1);
    return static_cast<std::int8_t>(byte);
}

std::int32_t file_read_long(ObjectId file)
{
    FileObject *record = find(file);
    unsigned char bytes[4] = {};
    if (record)
        read_bytes(record, bytes, 4);
    std::uint32_t value = bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | (static_cast<std::uint32_t>(bytes[3]) << 24);
    return static_cast<std::int32_t>(value);
}

std::int32_t file_write_byte(ObjectId file, std::int32_t value)
{
    FileObject *record = find(file);
    auto byte = static_cast<unsigned char>(value & 0xFF);
    return record ? static_cast<std::int32_t>(write_bytes(record, &byte, 1)) : 0;
}

std::int32_t file_write_long(ObjectId file, std::int32_t value)
{
    FileObject *record = find(file);
    auto bits = static_cast<std::uint32_t>(value);
    unsigned char bytes[4] = {static_cast<unsigned char>(bits), static_cast<unsigned char>(bits >> 8),
                              static_cast<unsigned char>(bits >> 16), static_cast<unsigned char>(bits >> 24)};
    return record ? static_cast<std::int32_t>(write_bytes(record, bytes, 4)) : 0;
}

void file_seek(ObjectId file, std::int64_t position, std::int32_t mode)
{
    FileObject *record = find(file);
    if (!record)
        return;
    std::int64_t read_ahead = record->read_mode ? record->available : 0;
    enter_read_mode(record);
    // Mode 1 moves relative to the logical position, behind any read-ahead.
    if (mode == 1)
        stream_seek(record->stream, position - read_ahead, StreamOrigin::current);
    else
        stream_seek(record->stream, position, StreamOrigin::start);
}
