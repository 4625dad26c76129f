// Text operations that follow the system's language settings on Windows.
#include "core/core.h"
#include "internal/text_units.h"

#include <windows.h>

WideText text_lcase(const WideText &text)
{
    WideText result(text_units(text));
    if (!result.empty())
        CharLowerBuffW(reinterpret_cast<LPWSTR>(result.data()), static_cast<DWORD>(result.size()));
    return result;
}

std::int64_t text_8bit_length(std::u16string_view units)
{
    if (units.empty())
        return 0;
    // Bytes in the ANSI code page; a unit without a mapping takes the one
    // byte of the default character.
    return WideCharToMultiByte(CP_ACP, 0, reinterpret_cast<LPCWSTR>(units.data()), static_cast<int>(units.size()),
                               nullptr, 0, nullptr, nullptr);
}
