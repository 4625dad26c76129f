// What only a broken radio or a wild cell gives the command and reply code;
// the plain ones go through the editor suite against the transceiver's own
// decoder, and the fuzz target for replies feeds the decoder any bytes.
#include "channel_codes.h"
#include "protocol.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

namespace {

std::string bytes_of(const WideText &command) {
    unsigned char buffer[EXCHANGE_BUFFER_SIZE];
    int length = command_to_bytes(command, buffer, EXCHANGE_BUFFER_SIZE);
    return std::string(reinterpret_cast<char *>(buffer), length);
}

Channel decode(const std::string &digits, char mode, char preatt) {
    std::string reply = "MR0003" + digits + mode + preatt;
    reply += std::string(REPLY_LENGTH - reply.size(), '0');
    return decode_reply(reinterpret_cast<const unsigned char *>(reply.data()));
}

} // namespace

// Values only a loaded file, a wild reply or cell can give still make 50
// bytes, well within the exchange buffer.
TEST(Commands, StayWithinTheirBytes) {
    EXPECT_EQ(bytes_of(write_command(1, Channel{-5, '0', '0'})),
              "MW000199999999995" "00" "0000000000000000000000        ;");
    for (std::int64_t odd : std::initializer_list<std::int64_t>{INT64_MAX, INT64_MIN, -99999999995, 99999999999})
        EXPECT_EQ(bytes_of(write_command(1, Channel{odd, '0', '0'})).size(), 50u) << odd;
}

// A non-digit ends the number; a byte of 128 or more is a negative code.
TEST(Replies, OddBytes) {
    EXPECT_EQ(decode("0000705x000", '2', '0').frequency, 705);
    EXPECT_EQ(decode("00007050000", '\xB2', '\xB1').mode_code, -78);
    EXPECT_EQ(channel_row_text(1, decode("\xff" "0007050000", '\xB2', '\xB1')), u"1");
}
