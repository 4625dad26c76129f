// Helpers shared by the text sources of the core library.
#pragma once

#include "core/core.h"

#include <string_view>

// The units of a text up to its first 0 unit: a text ends at its terminator
// even when the string object holds more.
inline std::u16string_view text_units(const WideText &text)
{
    std::u16string_view units(text);
    return units.substr(0, units.find(u'\0'));
}

// Bytes the text takes in the platform's 8-bit encoding.
std::int64_t text_8bit_length(std::u16string_view units);
