// The .mem channel file: exactly 600 bytes, six per channel in channel order:
// frequency (signed 32-bit, little-endian), mode code, pre-amp code.
#pragma once

#include "channel_codes.h"
#include "core/core.h"

#include <array>

inline constexpr std::int64_t MEM_FILE_SIZE = 600;
inline constexpr ObjectId MEMORY_FILE = 0; // the file object of loads and saves

using ChannelSet = std::array<Channel, CHANNEL_COUNT>;

// False, with records unchanged, unless name opens and holds exactly 600 bytes.
bool read_memory_file(const WideText &name, ChannelSet &records);
// Puts the 600 bytes in place of what name holds, keeping the file's links,
// owner and mode; a failed save leaves an existing file as it was. False on
// any failure.
bool write_memory_file(const WideText &name, const ChannelSet &records);
