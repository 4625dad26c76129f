// Conversions between WideText and byte strings: UTF-8 for paths and the
// toolkit, one byte per unit for the serial line.
#include "core/core.h"
#include "internal/text_units.h"

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

constexpr std::int64_t FORMAT_LIMIT = 536870911;

bool is_leading(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool is_trailing(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// Length of a zero-terminated text including its terminator.
template <typename Unit> std::int64_t terminated_count(const Unit *text)
{
    std::int64_t count = 0;
    while (text[count])
        ++count;
    return count + 1;
}

int utf8_sequence(std::uint32_t code, unsigned char *out)
{
    if (code < 0x80) {
        out[0] = static_cast<unsigned char>(code);
        return 1;
    }
    if (code < 0x800) {
        out[0] = static_cast<unsigned char>(0xC0 | (code >> 6));
        out[1] = static_cast<unsigned char>(0x80 | (code & 0x3F));
        return 2;
    }
    if (code < 0x10000) {
        out[0] = static_cast<unsigned char>(0xE0 | (code >> 12));
        out[1] = static_cast<unsigned char>(0x80 | ((code >> 6) & 0x3F));
        out[2] = static_cast<unsigned char>(0x80 | (code & 0x3F));
        return 3;
    }
    out[0] = static_cast<unsigned char>(0xF0 | (code >> 18));
    out[1] = static_cast<unsigned char>(0x80 | ((code >> 12) & 0x3F));
    out[2] = static_cast<unsigned char>(0x80 | ((code >> 6) & 0x3F));
    out[3] = static_cast<unsigned char>(0x80 | (code & 0x3F));
    return 4;
}

std::int64_t encode_utf8(const char16_t *text, std::int64_t count, bool terminated, char *buffer,
                         std::int64_t size)
{
    std::int64_t written = 0;
    for (std::int64_t i = 0; i < count; ++i) {
        if (buffer && written >= size)
            break;
        std::uint32_t code = text[i];
        if (is_leading(text[i])) {
            // The last unit of the text proper (just before the terminator
            // when converting through it) is dropped.
            bool last = i + 1 == count || (terminated && i + 2 == count);
            if (last)
                continue;
            if (!is_trailing(text[i + 1]))
                return buffer ? 0 : written;
            code = 0x10000 + ((code - 0xD800) << 10) + (text[++i] - 0xDC00u);
        }
        unsigned char bytes[4];
        int n = utf8_sequence(code, bytes);
        if (buffer) {
            // Never split a sequence at the end of the buffer.
            if (written + n > size)
                break;
            std::memcpy(buffer + written, bytes, static_cast<std::size_t>(n));
        }
        written += n;
    }
    return written;
}

// Decodes one sequence at bytes[0..count); 0 when the conversion must end.
int utf8_decode_one(const unsigned char *bytes, std::int64_t count, std::uint32_t *code)
{
    unsigned char lead = bytes[0];
    int length = 1;
    std::uint32_t value = lead;
    if (lead >= 0x80 && lead < 0xC0)
        return 0;
    if (lead >= 0xF8)
        return 0;
    if (lead >= 0xF0) {
        length = 4;
        value = lead & 0x07u;
    } else if (lead >= 0xE0) {
        length = 3;
        value = lead & 0x0Fu;
    } else if (lead >= 0xC0) {
        length = 2;
        value = lead & 0x1Fu;
    }
    if (length > count)
        return 0;
    for (int k = 1; k < length; ++k) {
        if ((bytes[k] & 0xC0) != 0x80)
            return 0;
        value = (value << 6) | (bytes[k] & 0x3Fu);
    }
    if (value > 0x10FFFF)
        return 0;
    *code = value;
    return length;
}

std::int64_t decode_utf8(const unsigned char *bytes, std::int64_t count, char16_t *buffer,
                         std::int64_t size)
{
    std::int64_t written = 0;
    for (std::int64_t i = 0; i < count;) {
        std::uint32_t code = 0;
        int length = utf8_decode_one(bytes + i, count - i, &code);
        if (length == 0)
            break;
        int units = code > 0xFFFF ? 2 : 1;
        if (buffer) {
            if (written + units > size)
                break;
            if (units == 2) {
                buffer[written] = static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
                buffer[written + 1] = static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
            } else {
                buffer[written] = static_cast<char16_t>(code);
            }
        }
        written += units;
        i += length;
    }
    return written;
}

std::int64_t encode_8bit(const char16_t *text, std::int64_t count, char *buffer, std::int64_t size)
{
    std::int64_t written = 0;
    for (std::int64_t i = 0; i < count; ++i) {
        if (text[i] > 0xFF)
            continue;
        if (buffer) {
            if (written >= size)
                break;
            buffer[written] = static_cast<char>(static_cast<unsigned char>(text[i]));
        }
        ++written;
    }
    return written;
}

std::int64_t decode_8bit(const unsigned char *bytes, std::int64_t count, char16_t *buffer,
                         std::int64_t size)
{
    if (!buffer)
        return count;
    std::int64_t written = count < size ? count : size;
    for (std::int64_t i = 0; i < written; ++i)
        buffer[i] = bytes[i];
    return written;
}

} // namespace

std::int64_t text_encode(std::int32_t code_page, const char16_t *text, std::int64_t units,
                         char *buffer, std::int64_t size)
{
    if (!text || (buffer && size <= 0))
        return 0;
    bool terminated = units < 0;
    if (terminated)
        units = terminated_count(text);
    if (code_page == CODE_PAGE_UTF8)
        return encode_utf8(text, units, terminated, buffer, size);
    return encode_8bit(text, units, buffer, size);
}

std::int64_t text_decode(std::int32_t code_page, const char *bytes, std::int64_t count,
                         char16_t *buffer, std::int64_t size)
{
    if (!bytes || (buffer && size <= 0))
        return 0;
    if (count < 0)
        count = terminated_count(bytes);
    const auto *data = reinterpret_cast<const unsigned char *>(bytes);
    if (code_page == CODE_PAGE_UTF8)
        return decode_utf8(data, count, buffer, size);
    return decode_8bit(data, count, buffer, size);
}

std::string text_to_utf8(const WideText &text)
{
    std::u16string_view units = text_units(text);
    auto count = static_cast<std::int64_t>(units.size());
    std::int64_t needed = text_encode(CODE_PAGE_UTF8, units.data(), count, nullptr, 0);
    // Room for the terminator too, so the conversion reaches (and refuses) a
    // leading surrogate that measuring stopped at.
    std::string result(static_cast<std::size_t>(needed) + 1, '\0');
    std::int64_t written = text_encode(CODE_PAGE_UTF8, units.data(), count, result.data(), needed + 1);
    result.resize(static_cast<std::size_t>(written));
    return result;
}

WideText text_from_utf8(const char *utf8)
{
    if (!utf8)
        return WideText();
    auto count = static_cast<std::int64_t>(std::strlen(utf8));
    std::int64_t needed = text_decode(CODE_PAGE_UTF8, utf8, count, nullptr, 0);
    WideText result(static_cast<std::size_t>(needed), u'\0');
    std::int64_t written = text_decode(CODE_PAGE_UTF8, utf8, count, result.data(), needed);
    result.resize(static_cast<std::size_t>(written));
    return result;
}

WideText text_format(const char16_t *format, ...)
{
    if (!format)
        return WideText();
    std::string pattern = text_to_utf8(format);
    std::va_list args;
    va_start(args, format);
    std::va_list measure;
    va_copy(measure, args);
    int needed = std::vsnprintf(nullptr, 0, pattern.c_str(), measure);
    va_end(measure);
    std::string formatted;
    if (needed > 0) {
        formatted.resize(static_cast<std::size_t>(needed));
        std::vsnprintf(formatted.data(), formatted.size() + 1, pattern.c_str(), args);
    }
    va_end(args);
    WideText result = text_from_utf8(formatted.c_str());
    if (static_cast<std::int64_t>(result.size()) > FORMAT_LIMIT)
        result.resize(static_cast<std::size_t>(FORMAT_LIMIT));
    return result;
}

namespace {

constexpr char16_t ESCAPED_BYTE = 0xDC00;

bool is_escaped_byte(char16_t unit) { return unit >= ESCAPED_BYTE + 0x80 && unit <= ESCAPED_BYTE + 0xFF; }

// A leading surrogate without its trailing one, which UTF-8 drops (at the end)
// or refuses together with everything around it.
bool has_lone_leading(std::u16string_view units)
{
    for (std::size_t i = 0; i < units.size(); ++i)
        if (is_leading(units[i]) && (i + 1 == units.size() || !is_trailing(units[i + 1])))
            return true;
    return false;
}

} // namespace

std::string text_to_file_name(const WideText &text)
{
    std::u16string_view units = text_units(text);
    std::string name;
    std::size_t run = 0; // start of the units not yet converted
    for (std::size_t i = 0; i <= units.size(); ++i) {
        bool paired = i > 0 && is_leading(units[i - 1]);
        if (i < units.size() && (paired || !is_escaped_byte(units[i])))
            continue;
        // A piece that does not convert whole spoils the name: what would be
        // left of it names some other file.
        const std::u16string_view piece = units.substr(run, i - run);
        if (has_lone_leading(piece))
            return std::string();
        name += text_to_utf8(WideText(piece));
        if (i < units.size())
            name += static_cast<char>(units[i] - ESCAPED_BYTE);
        run = i + 1;
    }
    return name;
}

WideText text_from_file_name(const char *bytes)
{
    WideText name;
    if (!bytes)
        return name;
    const auto *data = reinterpret_cast<const unsigned char *>(bytes);
    auto count = static_cast<std::int64_t>(std::strlen(bytes));
    for (std::int64_t i = 0; i < count;) {
        std::uint32_t code = 0;
        int length = utf8_decode_one(data + i, count - i, &code);
        // Encoded surrogates and overlong forms are no UTF-8 either: kept as
        // bytes, they convert back to what they were.
        unsigned char shortest[4];
        if (length == 0 || (code >= 0xD800 && code <= 0xDFFF) || utf8_sequence(code, shortest) != length) {
            name += static_cast<char16_t>(ESCAPED_BYTE + data[i]);
            ++i;
            continue;
        }
        char16_t pair[2];
        int units = static_cast<int>(decode_utf8(data + i, length, pair, 2));
        name.append(pair, static_cast<std::size_t>(units));
        i += length;
    }
    return name;
}
