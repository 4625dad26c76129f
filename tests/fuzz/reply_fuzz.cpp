// Any 50 bytes as the radio's reply to a memory-read command.
#include "protocol.h"
#include "fuzz_check.h"

#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    if (size < REPLY_LENGTH)
        return 0;
    // The channel number comes from the exchange, not from the reply; the
    // first byte is not examined, so it picks one.
    const int channel = data[0] % CHANNEL_COUNT;
    // An exact copy, so a read past the reply's end is caught.
    const std::vector<unsigned char> reply(data, data + REPLY_LENGTH);
    const Channel record = decode_reply(reply.data());
    check_channel_row(channel, record);

    // A channel the write command can carry (11 digits, codes of 1 ... 127) is
    // read back unchanged from the same fields of a reply.
    const auto is_code = [](std::int32_t code) { return code > 0 && code < 128; };
    if (record.frequency < 0 || record.frequency >= 100000000000 || !is_code(record.mode_code) ||
        !is_code(record.preatt_code))
        return 0;
    unsigned char bytes[EXCHANGE_BUFFER_SIZE] = {};
    FUZZ_CHECK(command_to_bytes(write_command(channel, record), bytes, EXCHANGE_BUFFER_SIZE) == WRITE_COMMAND_LENGTH);
    FUZZ_CHECK(same_channel(decode_reply(bytes), record));
    return 0;
}
