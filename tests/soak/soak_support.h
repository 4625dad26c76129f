// Shared by the soak and failure suites: whole exchanges driven through the
// editor on the real toolkit, and channel sets as rows and as transceiver
// memory.
#pragma once

#include "tests/app/editor_harness.h"
#include "tests/tools/vtrx_fixture.h"

#include <array>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

// One channel as the test means it: the cells the user sees and the bytes
// the transceiver must hold for it. An empty channel has frequency 0.
struct SetChannel {
    std::int64_t frequency = 0;
    std::string mode;   // a name of the mode combo ("" when empty)
    std::string preatt; // a name of the pre-amp combo ("" when empty)
};
using ChannelRows = std::array<SetChannel, 100>;

// A random channel set, about one channel in five empty, frequencies within
// the editor's range, every mode and pre-amp name that survives a round trip.
ChannelRows random_channel_set(std::mt19937 &random);
// The text of one list row the way the editor shows it: "7|7050000|CW |ATT",
// or "7|||" for an empty channel.
std::string expected_row(int channel, const SetChannel &value);
// The transceiver's memory after every row was written to it.
vtrx::MemBytes expected_memory(const ChannelRows &rows);

// Starts the editor in this process and moves its window off the screen:
// suites that drive the kalvo program with the pointer run beside these and
// click where its window stands, the middle of the screen.
void start_editor_aside();

// Puts the transceiver's terminal into the port list and chooses it. The
// suites reach their transceiver by its own path rather than through a
// /dev/ttyUSB<N> name, which suites running beside them take, restart and
// give up all the time.
bool offer_port(const std::string &path);

// Replaces every row of channel_list with the set, as a load would.
void show_rows(const ChannelRows &rows);
// Row text as expected_row() writes it.
std::string shown_row(int channel);
// Rows that differ from the set, each as "expected -> shown"; empty when all match.
std::vector<std::string> row_differences(const ChannelRows &rows);

struct ExchangeOutcome {
    bool ended = false;                // the worker finished within the time allowed
    bool controls_back = false;        // the seven controls usable again
    double progress = -1;              // the status bar's progress fraction afterwards
    std::vector<std::string> messages; // texts of the requesters shown meanwhile
};
// Clicks "Read TRX" or "Write TRX" and serves events until the exchange ended.
ExchangeOutcome run_exchange(std::intptr_t button, int timeout_ms = 20000);
