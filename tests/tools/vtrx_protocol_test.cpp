#include "tools/vtrx_protocol.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <unistd.h>
#include <vector>

namespace {

std::vector<vtrx::Command> feed(vtrx::CommandParser &parser, const std::string &bytes) {
    std::vector<vtrx::Command> commands;
    for (char byte : bytes)
        if (auto command = parser.push(static_cast<std::uint8_t>(byte)))
            commands.push_back(*command);
    return commands;
}

std::vector<int> channels_of(const std::vector<vtrx::Command> &commands) {
    std::vector<int> channels;
    for (const vtrx::Command &command : commands)
        channels.push_back(command.channel);
    return channels;
}

TEST(VtrxProtocol, ParsesCommandsAndResynchronises) {
    vtrx::CommandParser parser;
    vtrx::Channel value{145500000, '4', '0'};
    auto commands = feed(parser, "MR0000;" + vtrx::build_write_command(42, value) + "MR0099;");
    ASSERT_EQ(channels_of(commands), (std::vector<int>{0, 42, 99}));
    EXPECT_EQ(commands[1].kind, vtrx::CommandKind::write);
    EXPECT_EQ(commands[1].value.frequency, 145500000);
    EXPECT_EQ(commands[1].value.mode, '4');

    // Noise, a broken read, a write cut short and a frequency with a letter
    // in it are dropped; the next good command is still found.
    std::string broken_write = vtrx::build_write_command(5, value);
    broken_write[10] = 'x';
    const std::string stream = std::string("\x00zz;M;MRMR0013;", 15) + "MR01;" + "MW0003000" +
                               "MR0014;" + broken_write + "MR0015;" + "MRab00;MR0016;";
    EXPECT_EQ(channels_of(feed(parser, stream)), (std::vector<int>{13, 14, 15, 16}));
}

TEST(VtrxProtocol, SurvivesRandomBytes) {
    vtrx::CommandParser parser;
    std::mt19937 random(12345);
    // Biased towards the protocol's own characters to reach deep states.
    const std::string alphabet = "MRW0123456789; x";
    std::string noise;
    for (int i = 0; i < 200000; ++i)
        noise += i % 3 ? alphabet[random() % alphabet.size()] : static_cast<char>(random());
    for (const vtrx::Command &command : feed(parser, noise)) {
        ASSERT_GE(command.channel, 0);
        ASSERT_LT(command.channel, vtrx::CHANNEL_COUNT);
        ASSERT_LT(command.value.frequency, vtrx::FREQUENCY_MODULUS);
    }
    // Whatever the noise left half-parsed, a terminator clears the way.
    const auto tail = feed(parser, ";MR0077;");
    ASSERT_FALSE(tail.empty());
    EXPECT_EQ(tail.back().channel, 77);
}

TEST(VtrxProtocol, MemFilesRoundTripAndRejectWrongSizes) {
    vtrx::Memory memory;
    memory.channels[3] = {7050000, '3', '2'};
    memory.channels[4] = {vtrx::FREQUENCY_MODULUS - 5, '1', '1'}; // the editor's form of -5
    const vtrx::MemBytes image = memory.to_mem();
    EXPECT_EQ(image[0], 0);
    EXPECT_EQ(image[4], '0');
    EXPECT_EQ(image[18], 0x10); // 7050000 = 0x006B9310, little-endian
    EXPECT_EQ(image[20], 0x6B);
    EXPECT_EQ(image[24], 0xFB); // -5
    vtrx::Memory back;
    back.from_mem(image);
    EXPECT_EQ(back.channels[4].frequency, vtrx::FREQUENCY_MODULUS - 5);
    EXPECT_EQ(back.to_mem(), image);

    const std::string path = testing::TempDir() + "vtrx_" + std::to_string(getpid()) + ".mem";
    ASSERT_TRUE(vtrx::save_mem_file(path, memory));
    vtrx::Memory loaded;
    ASSERT_TRUE(vtrx::load_mem_file(path, loaded));
    EXPECT_EQ(loaded.to_mem(), image);
    for (long size : {599L, 601L}) {
        ASSERT_EQ(truncate(path.c_str(), size), 0);
        EXPECT_FALSE(vtrx::load_mem_file(path, loaded)) << size;
    }
    std::remove(path.c_str());
    EXPECT_FALSE(vtrx::load_mem_file(path, loaded));
}

} // namespace
