// Channel codes, row texts, radio commands and reply decoding, byte for byte
// (the fuzz target for replies feeds the decoder every other byte string).
#include "app/channel_codes.h"
#include "app/protocol.h"

#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <string>

namespace {

std::string bytes_of(const WideText &command) {
    unsigned char buffer[EXCHANGE_BUFFER_SIZE];
    int length = command_to_bytes(command, buffer, EXCHANGE_BUFFER_SIZE);
    return std::string(reinterpret_cast<char *>(buffer), length);
}

Channel decode(const std::string &reply) {
    return decode_reply(reinterpret_cast<const unsigned char *>(reply.data()));
}

std::string reply(const std::string &digits, char mode, char preatt) {
    std::string text = "MR0003" + digits + mode + preatt;
    return text + std::string(REPLY_LENGTH - text.size(), '0');
}

const std::string TAIL = "0000000000000000000000        ;";

} // namespace

TEST(Commands, ReadAndWriteCommands) {
    EXPECT_EQ(bytes_of(read_command(7)), "MR0007;");
    EXPECT_EQ(bytes_of(read_command(99)), "MR0099;");
    std::string channel3 =
        bytes_of(write_command(3, channel_from_cells(u"7050000", u"CW ", u"ATT")));
    EXPECT_EQ(channel3, "MW000300007050000" "3" "2" + TAIL);
    EXPECT_EQ(channel3.size(), 50u);
    EXPECT_EQ(bytes_of(write_command(12, channel_from_cells(u"7050000", u"LSB", u"PRE"))),
              "MW001200007050000" "11" + TAIL);
    EXPECT_EQ(bytes_of(write_command(5, channel_from_cells(u"7050000abc", u"DIG", u"---"))),
              "MW000500007050000" "20" + TAIL);
    EXPECT_EQ(bytes_of(write_command(99, channel_from_cells(u"", u"", u""))),
              "MW009900000000000" "00" + TAIL);
    // Values only a loaded file or a wild cell can give still make 50 bytes.
    EXPECT_EQ(bytes_of(write_command(1, Channel{-5, '0', '0'})), "MW000199999999995" "00" + TAIL);
    for (std::int64_t odd : std::initializer_list<std::int64_t>{INT64_MAX, INT64_MIN, -99999999995, 99999999999}) {
        EXPECT_EQ(bytes_of(write_command(1, Channel{odd, '0', '0'})).size(), 50u) << odd;
    }
}

TEST(Commands, CommandBytesStopAtTheBuffer) {
    unsigned char buffer[8];
    std::memset(buffer, 0xAA, sizeof buffer);
    EXPECT_EQ(command_to_bytes(u"MR0000;xyz", buffer, 7), 7);
    EXPECT_EQ(std::string(reinterpret_cast<char *>(buffer), 7), "MR0000;");
    EXPECT_EQ(buffer[7], 0xAA);
}

TEST(Replies, Decoding) {
    Channel record = decode(reply("00145500000", '4', '1'));
    EXPECT_EQ(channel_row_text(4, record), u"4\n145500000\nFM \nPRE");
    EXPECT_EQ(channel_row_text(3, decode(reply("00000000000", '3', '2'))), u"3");
    EXPECT_EQ(channel_row_text(3, decode(reply("00007050000", '6', '9'))),
              u"3\n7050000\n   \n---");
    // A non-digit ends the number; a byte of 128 or more is a negative code.
    EXPECT_EQ(decode(reply("0000705x000", '2', '0')).frequency, 705);
    EXPECT_EQ(decode(reply("00007050000", '\xB2', '\xB1')).mode_code, -78);
    EXPECT_EQ(channel_row_text(1, decode(reply("\xff" "0007050000", '\xB2', '\xB1'))), u"1");
}
