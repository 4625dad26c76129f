// The virtual transceiver's memory and its command language: 100 channels,
// the 7-byte memory-read command answered by a 50-byte reply, and the 50-byte
// memory-write command. Plain C++, no runtime dependency, so the tool can run
// beside any build of the editor.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace vtrx {

inline constexpr int CHANNEL_COUNT = 100;
inline constexpr int REPLY_LENGTH = 50;
inline constexpr int READ_COMMAND_LENGTH = 7;
inline constexpr int WRITE_COMMAND_LENGTH = 50;
inline constexpr int FREQUENCY_DIGITS = 11;
inline constexpr std::int64_t FREQUENCY_MODULUS = 100000000000; // 10^11
inline constexpr int MEM_RECORD_SIZE = 6;
inline constexpr int MEM_FILE_SIZE = CHANNEL_COUNT * MEM_RECORD_SIZE;

// One memory channel. The frequency is kept as the 11 digits the line
// carries (0 ... 10^11 - 1); 0 means the channel is empty.
struct Channel {
    std::int64_t frequency = 0;
    std::uint8_t mode = '0';
    std::uint8_t preamp = '0';
};

using MemBytes = std::array<std::uint8_t, MEM_FILE_SIZE>;

struct Memory {
    std::array<Channel, CHANNEL_COUNT> channels{};

    // The 600-byte file image: per channel the frequency as a signed 32-bit
    // little-endian number (its low 32 bits), the mode byte, the pre-amp byte.
    MemBytes to_mem() const;
    // Takes a file image; negative frequencies map to the 11 digits the
    // editor would send for them.
    void from_mem(const MemBytes &bytes);
};

// Puts one channel into its 6-byte record of a .mem image.
void store_record(MemBytes &bytes, int channel, const Channel &value);

// Reads a file of exactly 600 bytes; false for any other size or error.
bool load_mem_file(const std::string &path, Memory &memory);
// Writes through a temporary file in the same folder and renames it over the
// target, so a reader never sees a half-written file.
bool save_mem_file(const std::string &path, const Memory &memory);

enum class CommandKind { read, write };

struct Command {
    CommandKind kind = CommandKind::read;
    int channel = 0;
    Channel value; // for write
};

// Splits a byte stream into commands. Bytes before an "M" are dropped; a
// ";" before a command's full length or a malformed field drops the start of
// the candidate and the scan resumes at the next "M". At most one command can
// end at any byte, so push() hands back at most one.
class CommandParser {
public:
    std::optional<Command> push(std::uint8_t byte);
    void reset() { length_ = 0; }

private:
    std::optional<Command> scan();
    void drop(int count);

    std::array<std::uint8_t, WRITE_COMMAND_LENGTH> buffer_{};
    int length_ = 0;
};

// The reply to a memory read: "MR00nn", 11 digits, mode, pre-amp, then a
// filler tail ending in ";". length is normally 50; other lengths (at least
// 20) keep the same head and stretch or shorten the filler.
std::string build_reply(int channel, const Channel &value, int length = REPLY_LENGTH);

// The 50-byte memory-write command the editor sends for a channel.
std::string build_write_command(int channel, const Channel &value);

} // namespace vtrx
