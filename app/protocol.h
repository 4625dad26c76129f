// The radio's memory commands as pure functions: building the read and write
// commands, turning a command into the bytes sent, and turning a 50-byte reply
// into a channel. The exchange itself lives in exchange.cpp.
#pragma once

#include "channel_codes.h"
#include "core/core.h"

#include <cstdint>

inline constexpr ObjectId EXCHANGE_PORT = 0; // the serial port of probes and exchanges
inline constexpr int EXCHANGE_BUFFER_SIZE = 65;
inline constexpr int READ_COMMAND_LENGTH = 7;
inline constexpr int REPLY_LENGTH = 50;
inline constexpr int WRITE_COMMAND_LENGTH = 50;
inline constexpr int POLL_LIMIT = 1000;
inline constexpr int POLL_INTERVAL_MS = 1;
inline constexpr int SETTLE_DELAY_MS = 100;

// Two digits with a leading zero: 0 -> "00", 7 -> "07".
WideText channel_digits(int channel);
// "MR00nn;"
WideText read_command(int channel);
// "MW00nn" + 11 frequency digits + mode code + pre-amp code + fixed tail.
WideText write_command(int channel, const Channel &record);
// Stores one byte per character into buffer (at most size bytes) and returns
// the number of bytes stored.
int command_to_bytes(const WideText &command, unsigned char *buffer, int size);
// The channel a reply of REPLY_LENGTH bytes describes.
Channel decode_reply(const unsigned char *reply);
