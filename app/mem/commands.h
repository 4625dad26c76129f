// The five commands of kalvo-mem. Each tells the user what went wrong on
// standard error and returns the program's exit status.
#pragma once

#include "core/core.h"

#include <optional>

inline constexpr int EXIT_DONE = 0;
inline constexpr int EXIT_FAULT = 1; // a fault of the input or of the radio
inline constexpr int EXIT_USAGE = 2;

int show_channels(const WideText &mem);
// To standard output when no csv is given.
int export_channels(const WideText &mem, const std::optional<WideText> &csv);
int import_channels(const WideText &csv, const WideText &mem);
int read_channels(const WideText &port, const WideText &mem);
int write_channels(const WideText &mem, const WideText &port);
