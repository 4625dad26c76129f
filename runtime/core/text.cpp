// Text operations on WideText values.
#include "core/core.h"
#include "internal/text_units.h"

#include <cstdint>

namespace {

int digit_value(char16_t unit, int base)
{
    int value = 99;
    if (unit >= u'0' && unit <= u'9')
        value = unit - u'0';
    else if (unit >= u'a' && unit <= u'f')
        value = unit - u'a' + 10;
    else if (unit >= u'A' && unit <= u'F')
        value = unit - u'A' + 10;
    return value < base ? value : -1;
}

} // namespace

std::int64_t text_length(const WideText &text)
{
    return static_cast<std::int64_t>(text_units(text).size());
}

int text_equal(const WideText &a, const WideText &b)
{
    return text_units(a) == text_units(b) ? 1 : 0;
}

std::int32_t text_asc(const WideText &text)
{
    std::u16string_view units = text_units(text);
    return units.empty() ? 0 : units.front();
}

WideText text_chr(std::int32_t code)
{
    auto unit = static_cast<char16_t>(static_cast<std::uint32_t>(code) & 0xFFFF);
    return unit ? WideText(1, unit) : WideText();
}

WideText text_str(std::int64_t value)
{
    // The magnitude in unsigned arithmetic, so the most negative value works.
    std::uint64_t magnitude = static_cast<std::uint64_t>(value);
    if (value < 0)
        magnitude = 0 - magnitude;
    char16_t digits[24];
    int count = 0;
    do {
        digits[count++] = static_cast<char16_t>(u'0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude);
    WideText result;
    if (value < 0)
        result.push_back(u'-');
    while (count)
        result.push_back(digits[--count]);
    return result;
}

std::int64_t text_val(const WideText &text)
{
    std::u16string_view units = text_units(text);
    std::size_t at = 0;
    while (at < units.size() && (units[at] == u' ' || units[at] == u'\t'))
        ++at;
    bool negative = false;
    if (at < units.size() && (units[at] == u'-' || units[at] == u'+'))
        negative = units[at++] == u'-';
    int base = 10;
    if (at < units.size() && (units[at] == u'$' || units[at] == u'%'))
        base = units[at++] == u'$' ? 16 : 2;
    // Unsigned accumulation: an overflow wraps instead of being undefined.
    std::uint64_t value = 0;
    for (; at < units.size(); ++at) {
        int digit = digit_value(units[at], base);
        if (digit < 0)
            break;
        value = value * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
    }
    if (negative)
        value = 0 - value;
    return static_cast<std::int64_t>(value);
}

WideText text_right(const WideText &text, std::int32_t n)
{
    std::u16string_view units = text_units(text);
    std::size_t count = n < 0 ? 0 : static_cast<std::size_t>(n);
    if (count > units.size())
        count = units.size();
    return WideText(units.substr(units.size() - count));
}

WideText text_mid(const WideText &text, std::int32_t start, std::int32_t n)
{
    std::u16string_view units = text_units(text);
    std::size_t count = n < 0 ? 0 : static_cast<std::size_t>(n);
    std::size_t from = start <= 1 ? 0 : static_cast<std::size_t>(start) - 1;
    if (from >= units.size())
        return WideText();
    return WideText(units.substr(from, count));
}

std::int64_t text_byte_length(const WideText &text, std::int32_t encoding)
{
    std::u16string_view units = text_units(text);
    if (encoding == TEXT_UTF16)
        return 2 * static_cast<std::int64_t>(units.size());
    if (encoding == TEXT_UTF8)
        return text_encode(CODE_PAGE_UTF8, units.data(), static_cast<std::int64_t>(units.size()), nullptr, 0);
    return text_8bit_length(units);
}
