// Invariant checks shared by the fuzz targets. A broken invariant names itself
// and aborts, which libFuzzer reports as a crash and keeps the input.
#pragma once

#include "channel_codes.h"

#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(condition)                                                                                 \
    do {                                                                                                      \
        if (!(condition)) {                                                                                   \
            std::fprintf(stderr, "invariant broken: %s (%s:%d)\n", #condition, __FILE__, __LINE__);           \
            std::abort();                                                                                     \
        }                                                                                                     \
    } while (0)

// The list row a loaded or received channel becomes splits, as the list
// splits it into cells, back into its channel number, its frequency and names
// the combos know; saving that row and showing it again gives the same row.
void check_channel_row(int channel, const Channel &record);
bool same_channel(const Channel &a, const Channel &b);
