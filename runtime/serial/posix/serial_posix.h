// Private to the POSIX serial back-end.
#pragma once

#include <cstdint>
#include <termios.h>

// Builds the complete terminal settings for the given line parameters from
// zeros. false when the rate, the data bits or the handshake code is not
// accepted; odd parity codes and stop bits other than 1.0 fall back as the
// line rules say (no parity, two stop bits).
bool serial_make_termios(std::int32_t baud, std::int32_t parity, std::int32_t data_bits,
                         float stop_bits, std::int32_t handshake, termios &settings);
