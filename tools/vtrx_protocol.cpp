#include "vtrx_protocol.h"

#include <algorithm>
#include <cstring>

namespace vtrx {
namespace {

// Bytes 19 ... 48 of both 50-byte messages: 22 zeros, then 8 spaces.
constexpr char FILLER[] = "0000000000000000000000        ";
constexpr int FILLER_LENGTH = sizeof FILLER - 1;
constexpr int HEAD_LENGTH = 6;                             // "MR00nn" / "MW00nn"
constexpr int CODES_END = HEAD_LENGTH + FREQUENCY_DIGITS + 2; // after mode, pre-amp

bool is_digit(std::uint8_t byte) { return byte >= '0' && byte <= '9'; }

int two_digits(const std::uint8_t *bytes) { return (bytes[0] - '0') * 10 + (bytes[1] - '0'); }

// "MX00nn" + 11 digits + mode + pre-amp + filler stretched to length - 20 + ";".
std::string build_message(char letter, int channel, const Channel &value, int length) {
    std::string text(length, ' ');
    const int number = channel % CHANNEL_COUNT;
    text[0] = 'M';
    text[1] = letter;
    text[2] = text[3] = '0';
    text[4] = static_cast<char>('0' + number / 10);
    text[5] = static_cast<char>('0' + number % 10);
    std::int64_t digits = (value.frequency % FREQUENCY_MODULUS + FREQUENCY_MODULUS) % FREQUENCY_MODULUS;
    for (int i = HEAD_LENGTH + FREQUENCY_DIGITS - 1; i >= HEAD_LENGTH; --i, digits /= 10)
        text[i] = static_cast<char>('0' + digits % 10);
    text[CODES_END - 2] = static_cast<char>(value.mode);
    text[CODES_END - 1] = static_cast<char>(value.preamp);
    for (int i = CODES_END; i < length - 1; ++i)
        text[i] = FILLER[(i - CODES_END) % FILLER_LENGTH];
    text[length - 1] = ';';
    return text;
}

} // namespace

void store_record(MemBytes &bytes, int channel, const Channel &value) {
    // The editor sends a negative frequency f as the 11 digits of f + 10^11;
    // such values go back into the file as f, anything else as its low 32 bits.
    std::int64_t frequency = value.frequency;
    if (frequency >= FREQUENCY_MODULUS - (std::int64_t{1} << 31) && frequency < FREQUENCY_MODULUS)
        frequency -= FREQUENCY_MODULUS;
    auto low = static_cast<std::uint32_t>(frequency);
    std::uint8_t *record = &bytes[channel * MEM_RECORD_SIZE];
    for (int b = 0; b < 4; ++b)
        record[b] = static_cast<std::uint8_t>(low >> (8 * b));
    record[4] = value.mode;
    record[5] = value.preamp;
}

MemBytes Memory::to_mem() const {
    MemBytes bytes{};
    for (int c = 0; c < CHANNEL_COUNT; ++c)
        store_record(bytes, c, channels[c]);
    return bytes;
}

void Memory::from_mem(const MemBytes &bytes) {
    for (int c = 0; c < CHANNEL_COUNT; ++c) {
        const std::uint8_t *record = &bytes[c * MEM_RECORD_SIZE];
        std::uint32_t low = 0;
        for (int b = 0; b < 4; ++b)
            low |= static_cast<std::uint32_t>(record[b]) << (8 * b);
        std::int64_t frequency = static_cast<std::int32_t>(low);
        if (frequency < 0)
            frequency += FREQUENCY_MODULUS;
        channels[c] = {frequency, record[4], record[5]};
    }
}

std::optional<Command> CommandParser::push(std::uint8_t byte) {
    if (length_ == 0 && byte != 'M')
        return std::nullopt;
    buffer_[length_++] = byte;
    return scan();
}

void CommandParser::drop(int count) {
    std::memmove(buffer_.data(), buffer_.data() + count, length_ - count);
    length_ -= count;
}

std::optional<Command> CommandParser::scan() {
    while (length_ > 0) {
        if (buffer_[0] != 'M') {
            drop(1);
            continue;
        }
        if (length_ < 2)
            return std::nullopt;
        const bool read = buffer_[1] == 'R';
        if (!read && buffer_[1] != 'W') {
            drop(1);
            continue;
        }
        const int needed = read ? READ_COMMAND_LENGTH : WRITE_COMMAND_LENGTH;
        // A terminator before the full length means this candidate is broken.
        const void *early = std::memchr(buffer_.data(), ';', std::min(length_, needed - 1));
        if (early) {
            drop(1);
            continue;
        }
        if (length_ < needed)
            return std::nullopt;
        const std::uint8_t *b = buffer_.data();
        bool valid = b[2] == '0' && b[3] == '0' && is_digit(b[4]) && is_digit(b[5]) &&
                     b[needed - 1] == ';';
        for (int i = HEAD_LENGTH; !read && i < HEAD_LENGTH + FREQUENCY_DIGITS; ++i)
            valid = valid && is_digit(b[i]);
        if (!valid) {
            drop(1);
            continue;
        }
        Command command;
        command.kind = read ? CommandKind::read : CommandKind::write;
        command.channel = two_digits(b + 4);
        if (!read) {
            for (int i = HEAD_LENGTH; i < HEAD_LENGTH + FREQUENCY_DIGITS; ++i)
                command.value.frequency = command.value.frequency * 10 + (b[i] - '0');
            command.value.mode = b[CODES_END - 2];
            command.value.preamp = b[CODES_END - 1];
        }
        drop(needed);
        return command;
    }
    return std::nullopt;
}

std::string build_reply(int channel, const Channel &value, int length) {
    return build_message('R', channel, value, length);
}

std::string build_write_command(int channel, const Channel &value) {
    return build_message('W', channel, value, WRITE_COMMAND_LENGTH);
}

} // namespace vtrx
