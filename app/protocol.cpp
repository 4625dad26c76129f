#include "protocol.h"

namespace {

constexpr std::int64_t FREQUENCY_OFFSET = 100000000000; // 10^11: 11 digits with leading zeros
constexpr int FREQUENCY_DIGITS = 11;
constexpr int REPLY_FREQUENCY_AT = 6;
constexpr int REPLY_MODE_AT = 17;
constexpr int REPLY_PREATT_AT = 18;
constexpr const char16_t *WRITE_TAIL = u"0000000000000000000000        ;";

// Reply bytes are taken as signed 8-bit values, as the radio's characters are.
std::int32_t signed_byte(unsigned char byte) {
    return static_cast<std::int8_t>(byte);
}

WideText frequency_digits_of(std::int64_t frequency) {
    // Wrapping addition: a cell's value may be anything text_val produced.
    auto sum = static_cast<std::int64_t>(static_cast<std::uint64_t>(frequency) +
                                         static_cast<std::uint64_t>(FREQUENCY_OFFSET));
    WideText digits = text_right(text_str(sum), FREQUENCY_DIGITS);
    // Only values no row can hold give fewer digits; keep the command 50 bytes.
    if (digits.size() < FREQUENCY_DIGITS) digits.insert(0, FREQUENCY_DIGITS - digits.size(), u'0');
    return digits;
}

} // namespace

WideText channel_digits(int channel) {
    return text_right(text_str(channel + 100), 2);
}

WideText read_command(int channel) {
    return u"MR00" + channel_digits(channel) + u";";
}

WideText write_command(int channel, const Channel &record) {
    return u"MW00" + channel_digits(channel) + frequency_digits_of(record.frequency) +
           text_chr(record.mode_code) + text_chr(record.preatt_code) + WRITE_TAIL;
}

int command_to_bytes(const WideText &command, unsigned char *buffer, int size) {
    std::int64_t length = text_byte_length(command, TEXT_8BIT);
    int count = length < size ? static_cast<int>(length) : size;
    for (int i = 1; i <= count; ++i) {
        buffer[i - 1] = static_cast<unsigned char>(text_asc(text_mid(command, i, 1)));
    }
    return count;
}

Channel decode_reply(const unsigned char *reply) {
    WideText frequency_digits;
    for (int i = REPLY_FREQUENCY_AT; i < REPLY_FREQUENCY_AT + FREQUENCY_DIGITS; ++i) {
        frequency_digits += text_chr(signed_byte(reply[i]));
    }
    return Channel{text_val(frequency_digits), signed_byte(reply[REPLY_MODE_AT]),
                   signed_byte(reply[REPLY_PREATT_AT])};
}
