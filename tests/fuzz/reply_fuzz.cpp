// Any 50 bytes as the radio's reply to a memory-read command.
#include "app/protocol.h"
#include "fuzz_check.h"

#include <cstdint>
#include <vector>

namespace {

constexpr std::int64_t FREQUENCY_LIMIT = 100000000000; // 11 digits

bool is_code(std::int32_t code) { return code > 0 && code < 128; }

// A channel the write command can carry is read back unchanged from the same
// fields of a reply.
void check_write_command(int channel, const Channel &record) {
    if (record.frequency < 0 || record.frequency >= FREQUENCY_LIMIT || !is_code(record.mode_code) ||
        !is_code(record.preatt_code))
        return;
    unsigned char bytes[EXCHANGE_BUFFER_SIZE] = {};
    FUZZ_CHECK(command_to_bytes(write_command(channel, record), bytes, EXCHANGE_BUFFER_SIZE) ==
               WRITE_COMMAND_LENGTH);
    const Channel echoed = decode_reply(bytes);
    FUZZ_CHECK(echoed.frequency == record.frequency);
    FUZZ_CHECK(echoed.mode_code == record.mode_code);
    FUZZ_CHECK(echoed.preatt_code == record.preatt_code);
}

} // namespace

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
    check_write_command(channel, record);
    return 0;
}
