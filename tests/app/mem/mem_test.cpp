// kalvo-mem as users meet it: the program itself, run with arguments, its
// output and exit status read back, its files compared byte for byte, and
// its exchanges against the virtual transceivers with_radios.sh started
// (see CMakeLists.txt): one answering at once, one falling silent and one
// hanging up after five commands, one taking no byte, one port mapped to no
// device. Ctrl+C is
// pressed in interrupt.sh.
#include "child_process.h"
#include "program_path.h"
#include "radios.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

namespace fs = std::filesystem;

std::string program() { return program_path(KALVO_MEM_PATH); }

// A set the editor can make: every mode and pre-amp name (mode "0" is what a
// radio's code without a name is saved as), both ends of the range, empty
// channels.
std::string editor_set() {
    std::string bytes;
    for (int c = 0; c < 100; ++c) {
        std::uint32_t frequency = c == 99 ? 56000000 : 100000 + c * 559595;
        bytes +=
            c % 9 == 4 ? record(0, '0', '0') : record(frequency, "2137540"[c % 7], "012"[c % 3]);
    }
    return bytes;
}

std::vector<std::string> lines_of(const std::string &text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start - (end > start && text[end - 1] == '\r')));
    return lines;
}

class MemTest : public testing::Test {
protected:
    void SetUp() override {
        setup = radio_setup();
        folder = (setup.folder.empty() ? fs::temp_directory_path() : setup.folder) / "mem";
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    std::string path(const char *name) const { return (folder / name).string(); }
    Outcome mem(const std::vector<std::string> &arguments) const {
        return run_program(program(), arguments, folder);
    }
    void need_radios() const {
        if (setup.ports.size() < 4 || setup.absent_ports.empty())
            GTEST_SKIP() << "run through with_radios.sh";
    }

    RadioSetup setup;
    fs::path folder;
};

TEST_F(MemTest, ShowsExportsAndImportsBackByteForByte) {
    write_file(path("set.mem"), editor_set());
    Outcome shown = mem({"show", path("set.mem")});
    ASSERT_EQ(shown.status, 0) << shown.err;
    std::vector<std::string> table = lines_of(shown.out);
    ASSERT_EQ(table.size(), 101u);
    EXPECT_EQ(table[0], "NumCh  Freq (Hz)  Mode  PreAtt");
    EXPECT_EQ(table[3], "    2    1219190  CW    ATT");
    EXPECT_EQ(table[5], "    4");

    ASSERT_EQ(mem({"export", path("set.mem"), path("set.csv")}).status, 0);
    const std::string csv = read_file(path("set.csv"));
    EXPECT_EQ(mem({"export", path("set.mem")}).out, csv);
    EXPECT_EQ(csv.find("Channel,Frequency,Mode,PreAtt\r\n0,100000,USB,---\r\n1,659595,LSB,PRE\r\n"
                       "2,1219190,CW,ATT\r\n"),
              0u);
    for (const char *line :
         {"\r\n4,,,\r\n", "\r\n6,3457570,,---\r\n", "\r\n99,56000000,LSB,---\r\n"})
        EXPECT_NE(csv.find(line), std::string::npos) << line;

    Outcome imported = mem({"import", path("set.csv"), path("back.mem")});
    EXPECT_EQ(imported.status, 0) << imported.err;
    EXPECT_EQ(read_file(path("back.mem")), editor_set());
}

// A file as other tools write it, made from that layout's public column
// list: a byte order mark, CR LF, quoted fields with commas, quotes and a
// line end, locations in any order, frequencies in MHz, digital modes.
TEST_F(MemTest, ImportsTheGenericLayout) {
    const std::string header =
        "Location,Name,Frequency,Duplex,Offset,Tone,rToneFreq,cToneFreq,DtcsCode,DtcsPolarity,"
        "RxDtcsCode,CrossMode,Mode,TStep,Skip,Power,Comment,URCALL,RPT1CALL,RPT2CALL,DVCODE";
    auto row = [](const char *location, const char *name, const char *mhz, const char *mode,
                  const char *comment) {
        return std::string(location) + "," + name + "," + mhz +
               ",,0.000000,,88.5,88.5,023,NN,023,Tone->Tone," + mode + ",5.00,,50W," + comment +
               ",,,,\r\n";
    };
    write_file(path("generic.csv"),
               "\xEF\xBB\xBF" + header + "\r\n" +
                   row("12", "40m FT8", "7.074000", "PKT", "\"FT8, 40 m\"") +
                   row("0", "Top band", "1.840", "LSB", "") +
                   row("5", "\"CW \"\"QRS\"\"\"", "10.116", "CW", "\"two\r\nlines\"") +
                   row("99", "10m FM", "29.6", "FM", "") + row("3", "LW", "0.1", "AM", "") +
                   row("7", "RTTY", "14.080000", "RTTY", "") + row("8", "", "56", "CWR", "") +
                   row("9", "DV", "50.000001", "DV", ""));
    Outcome imported = mem({"import", path("generic.csv"), path("generic.mem")});
    ASSERT_EQ(imported.status, 0) << imported.err;
    std::string expected;
    for (int c = 0; c < 100; ++c)
        expected += record(0, '0', '0');
    for (auto [channel, bytes] : {std::pair{12, record(7074000, '2', '0')},
                                  {0, record(1840000, '1', '0')},
                                  {5, record(10116000, '3', '0')},
                                  {99, record(29600000, '4', '0')},
                                  {3, record(100000, '5', '0')},
                                  {7, record(14080000, '2', '0')},
                                  {8, record(56000000, '7', '0')},
                                  {9, record(50000001, '2', '0')}})
        expected.replace(channel * 6, 6, bytes);
    EXPECT_EQ(read_file(path("generic.mem")), expected);
}

// Every fault with its line, in line order, and nothing written: the file
// that was there stays as it was.
TEST_F(MemTest, ReportsEveryImportFaultAndWritesNothing) {
    write_file(path("out.mem"), "old");
    write_file(path("in.csv"),
               "Channel,Frequency,Mode,PreAtt\n"
               "0,7050000,CW,---\n1,99999,USB,PRE\n2,56000001,usb,PRE\n3,7.05,LSB,pre\n"
               "\n0,7050000,LSB,---\n100,,,\n4,\"705\"0,LSB,---\n5,7x,\x1b[2J,ATT\n"
               "6,7050000,DIG,\"PRE\n");
    Outcome imported = mem({"import", path("in.csv"), path("out.mem")});
    EXPECT_EQ(imported.status, 1);
    const std::string at = path("in.csv") + ":";
    EXPECT_EQ(lines_of(imported.err),
              (std::vector<std::string>{
                  at + "3: frequency \"99999\" is out of range (100 kHz ... 56 MHz)",
                  at + "4: frequency \"56000001\" is out of range (100 kHz ... 56 MHz)",
                  at + "4: mode \"usb\" is not one of USB, LSB, CW, CWR, DIG, AM, FM",
                  at + "5: frequency \"7.05\" is not a whole number of hertz",
                  at + "5: pre-amp \"pre\" is not one of ---, PRE, ATT",
                  at + "7: channel 0 is already on line 2",
                  at + "8: channel \"100\" is not a channel number from 0 to 99",
                  at + "9: text after the closing quote of a field",
                  at + "10: frequency \"7x\" is not a whole number of hertz",
                  at + "10: mode \"?[2J\" is not one of USB, LSB, CW, CWR, DIG, AM, FM",
                  at + "11: a quoted field is not closed"}));
    EXPECT_EQ(read_file(path("out.mem")), "old");

    write_file(path("in.csv"), "Chan;Freq;Mode\n");
    imported = mem({"import", path("in.csv"), path("out.mem")});
    EXPECT_EQ(
        lines_of(imported.err),
        (std::vector<std::string>{at + "1: the header names no \"Channel\" or \"Location\" column",
                                  at + "1: the header names no \"Frequency\" column",
                                  at + "1: the header names no \"Mode\" column"}));
    EXPECT_EQ(read_file(path("out.mem")), "old");
}

TEST_F(MemTest, TellsUsageFaultsAndHelpApart) {
    for (std::vector<std::string> wrong : {std::vector<std::string>{},
                                           {"bogus"},
                                           {"show"},
                                           {"read", "COM1"},
                                           {"export", "a", "b", "c"},
                                           {"show", "--verbose", "a.mem"}}) {
        Outcome outcome = mem(wrong);
        EXPECT_EQ(outcome.status, 2) << outcome.err;
        EXPECT_NE(outcome.err.find("Usage: kalvo-mem"), std::string::npos) << outcome.err;
    }
    Outcome help = mem({"read", "--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.substr(0, 33), "Usage: kalvo-mem read PORT OUT.me");
    EXPECT_EQ(mem({"--help"}).status, 0);

    write_file(path("short.mem"), std::string(599, '0'));
    Outcome short_file = mem({"show", path("short.mem")});
    EXPECT_EQ(short_file.status, 1);
    EXPECT_EQ(short_file.err, "kalvo-mem: " + path("short.mem") + ": May not load the file!\n");
}

// A read gives the file the editor would save after its own read; a write
// leaves the radio holding the file's channels. No progress line when the
// output is not a terminal.
TEST_F(MemTest, ReadsAndWritesTheRadio) {
    need_radios();
    const std::string port = setup.ports[0];
    Outcome read = mem({"read", port, path("radio.mem")});
    EXPECT_EQ(read.status, 0);
    EXPECT_EQ(read.err, "");
    EXPECT_EQ(read_file(path("radio.mem")), as_saved(read_file(setup.folder / "radio.mem")));

    write_file(path("set.mem"), editor_set());
    Outcome written = mem({"write", path("set.mem"), port});
    EXPECT_EQ(written.status, 0);
    EXPECT_EQ(written.err, "");
    EXPECT_TRUE(wait_for_file(setup.memory_of(port), editor_set(), 5000));
}

TEST_F(MemTest, ReportsASilentAHungUpARefusingAndAnAbsentRadio) {
    need_radios();
    write_file(path("set.mem"), editor_set());
    for (auto [command, port] : {std::pair{"read", setup.ports[1]},
                                 {"read", setup.ports[2]},
                                 {"write", setup.ports[3]},
                                 {"read", setup.absent_ports[0]}}) {
        Outcome outcome = command == std::string("read") ? mem({command, port, path("out.mem")})
                                                         : mem({command, path("set.mem"), port});
        EXPECT_EQ(outcome.status, 1) << port;
        const char *message =
            port == setup.absent_ports[0] ? "Can't open port!" : "TRX not responding!";
        EXPECT_EQ(outcome.err, "kalvo-mem: " + port + ": " + message + "\n");
        EXPECT_FALSE(fs::exists(path("out.mem"))) << port;
    }
}

} // namespace
