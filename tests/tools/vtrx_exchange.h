// The editor's side of the memory exchange over serial port 0, for tests and
// the timing benchmark.
#pragma once

#include "core/core.h"
#include "vtrx_protocol.h"

#include <optional>
#include <string>
#include <vector>

// The ports with_radios.sh started transceivers on (KALVO_TEST_PORTS), in
// the order given; empty when run without it.
std::vector<std::string> test_ports();

// Opens port 0 at 9600 8N1 with DTR and RTS raised, lets the line settle for
// 100 ms and drops stale input; false when the port does not open.
bool open_exchange_port(const std::string &path);

// Writes "MR00nn;" and polls every 1 ms until exactly 50 bytes wait (at most
// poll_limit polls), then reads them; nullopt on time-out.
std::optional<std::string> read_channel(int channel, int poll_limit = 1000);
