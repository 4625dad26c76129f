// Numbered binary files with a 4096-byte buffer, little-endian 32-bit values
// and the size of a named file. Shared by the POSIX and the Win32 back-end.
#pragma once

#include "core/core.h"

#include <cstdint>

inline constexpr std::int32_t FILE_NO_BUFFER = 0x80000;
inline constexpr std::int32_t FILE_APPEND = 0x100000;

void file_init();
void file_shutdown();

// Each returns 0 on failure; the stream for a number, the dynamic handle for ANY.
std::intptr_t file_open_read(ObjectId number, const WideText &name, std::int32_t flags = 0);
std::intptr_t file_create(ObjectId number, const WideText &name, std::int32_t flags = 0);
std::intptr_t file_open(ObjectId number, const WideText &name, std::int32_t flags = 0);

// Closes one file, or every file for ANY. Returns 1 when every pending byte
// reached the system and the stream closed cleanly, 0 when a write, a flush
// or the close failed (or when nothing was open), so callers can tell a save
// that did not land.
int file_close(ObjectId file);

std::int32_t file_read_byte(ObjectId file);
std::int32_t file_read_long(ObjectId file);
std::int32_t file_write_byte(ObjectId file, std::int32_t value);
std::int32_t file_write_long(ObjectId file, std::int32_t value);
void file_seek(ObjectId file, std::int64_t position, std::int32_t mode = 0);

// Size in bytes; -1 when missing, -2 for a directory.
std::int64_t file_size(const WideText &name);

// Puts count bytes in place of what name holds, or creates it, keeping what
// the name is: through a symbolic link into the file it names, with the
// file's attributes, owner and other names as they were. Where a rename can
// keep all of that the bytes go to a fresh file that then takes the name;
// otherwise they are written in place once there is room for them. 1 on
// success; 0 when it cannot be done, with nothing changed.
int file_replace(const WideText &name, const void *bytes, std::int64_t count);

// Replaces (or creates) target with source in one step; 1 on success.
int file_rename(const WideText &source, const WideText &target);
// Removes a file; 1 on success.
int file_delete(const WideText &name);
