// The three forms of a channel and the conversions between them: the row text
// of channel_list, the one-character mode and pre-amp codes of the radio and
// of the .mem file, and the names shown in the list and the two combos.
#pragma once

#include "core/core.h"

#include <cstdint>

inline constexpr int CHANNEL_COUNT = 100;
inline constexpr char16_t ROW_SEPARATOR = u'\n';

// Combo contents in item order; the index of a name is its combo index.
inline constexpr int MODE_NAME_COUNT = 7;
inline constexpr int PREATT_NAME_COUNT = 3;
extern const char16_t *const MODE_NAMES[MODE_NAME_COUNT];
extern const char16_t *const PREATT_NAMES[PREATT_NAME_COUNT];

// A channel as the radio and the file carry it; frequency 0 means empty.
struct Channel {
    std::int64_t frequency;
    std::int32_t mode_code;   // ASCII digit character, e.g. '2'
    std::int32_t preatt_code; // ASCII digit character
};

std::int32_t mode_text_to_code(const WideText &name);
// code is a received or read byte taken as a signed 8-bit value.
WideText mode_code_to_text(std::int32_t code);
std::int32_t preatt_text_to_code(const WideText &name);
WideText preatt_code_to_text(std::int32_t code);

// Combo index for the text of a list cell, -1 when the cell names nothing.
int mode_combo_index(const WideText &name);
int preatt_combo_index(const WideText &name);

// Four cells joined by line feeds.
WideText join_row(const WideText &number, const WideText &frequency, const WideText &mode,
                  const WideText &preatt);
// The row a received or loaded channel becomes: the channel number alone when
// the frequency is 0, otherwise all four cells with the names of the codes.
WideText channel_row_text(int channel, const Channel &record);
// The channel the cells of a row stand for (frequency cell through text_val).
Channel channel_from_cells(const WideText &frequency, const WideText &mode, const WideText &preatt);
// What a received or loaded channel is once it has been a row: the channel
// that row is saved as and sent as (codes without a name become "0", an
// empty channel loses its codes).
Channel listed_channel(const Channel &record);
