// Text operations that follow the C library's locale on POSIX systems.
#include "core/core.h"
#include "internal/text_units.h"

#include <cwctype>

WideText text_lcase(const WideText &text)
{
    // One unit at a time, as the user's locale maps it; a mapping outside the
    // 16-bit range keeps only its low 16 bits.
    WideText result(text_units(text));
    for (char16_t &unit : result)
        unit = static_cast<char16_t>(std::towlower(static_cast<wint_t>(unit)) & 0xFFFF);
    return result;
}

std::int64_t text_8bit_length(std::u16string_view units)
{
    // Units above 255 have no byte and are left out of the conversion.
    return text_encode(CODE_PAGE_8BIT, units.data(), static_cast<std::int64_t>(units.size()), nullptr, 0);
}
