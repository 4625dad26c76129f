// The per-file record and the stream operations each back-end provides under
// the buffering shared by all back-ends.
#pragma once

#include "core/core.h"

#include <cstdint>

struct FileObject {
    void *stream;              // the open stream; non-zero while open
    unsigned char *buffer;     // null for an unbuffered file
    std::int32_t size;         // buffer size in bytes
    std::int32_t available;    // read mode: read-ahead left; write mode: free bytes
    std::int32_t filled;       // read mode: bytes placed by the last refill
    std::int32_t read_mode;    // 1: buffer holds read-ahead; 0: pending writes
    std::int32_t encoding;     // text encoding from the open flags
    std::int32_t read_only;    // opened by file_open_read
    std::int32_t write_failed; // a write or flush failed since the file opened
};

enum class StreamOpen {
    read,   // an existing file, reading only
    create, // reading and writing, created or emptied
    update, // reading and writing, created when missing, never emptied
};

enum class StreamOrigin { start, current, end };

// Null when the file cannot be opened.
void *stream_open(StreamOpen kind, const WideText &name);
// Bytes actually moved.
std::int64_t stream_read(void *stream, void *destination, std::int64_t count);
std::int64_t stream_write(void *stream, const void *source, std::int64_t count);
bool stream_seek(void *stream, std::int64_t offset, StreamOrigin origin);
// Hands bytes the stream itself still holds to the system.
bool stream_sync(void *stream);
// Syncs and closes; false when either failed. The stream is gone afterwards.
bool stream_close(void *stream);
