// Text on any bytes and any 16-bit units, through the conversions the
// programs make: UTF-8 and file names both ways, byte lengths, and numbers to
// text and back. The input is read as bytes, as units, and as a number
// followed by a text.
#include "fuzz_check.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace {

// Every leading surrogate has its trailing one; a trailing one alone is a
// character of its own.
bool well_formed(std::u16string_view units) {
    const auto trailing = [](char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; };
    for (std::size_t i = 0; i < units.size(); ++i)
        if (units[i] >= 0xD800 && units[i] <= 0xDBFF &&
            (++i == units.size() || !trailing(units[i])))
            return false;
    return true;
}

void check_units(const WideText &text) {
    // The text forms stop at the first 0 unit.
    const std::u16string_view proper = std::u16string_view(text).substr(0, text.find(u'\0'));
    const auto size = static_cast<std::int64_t>(proper.size());
    FUZZ_CHECK(text_byte_length(text, TEXT_UTF16) == 2 * size);
    // One byte per unit up to 255; the others have no byte.
    FUZZ_CHECK(
        text_byte_length(text, TEXT_8BIT) ==
        std::count_if(proper.begin(), proper.end(), [](char16_t unit) { return unit <= 0xFF; }));
    // text_to_utf8 gives what a conversion into a buffer with room to spare
    // gives, also where a leading surrogate ends that conversion early.
    const std::string utf8 = text_to_utf8(text);
    std::string roomy(4 * proper.size() + 4, '\0');
    const std::int64_t written =
        text_encode(CODE_PAGE_UTF8, proper.data(), size, roomy.data(), 4 * size + 4);
    roomy.resize(static_cast<std::size_t>(written));
    FUZZ_CHECK(utf8 == roomy);
    if (well_formed(proper)) {
        FUZZ_CHECK(static_cast<std::int64_t>(utf8.size()) == text_byte_length(text, TEXT_UTF8));
        FUZZ_CHECK(text_from_utf8(utf8.c_str()) == proper);
    }
}

void check_bytes(const std::string &bytes) {
    // Up to the first 0 byte, as names and the toolkit's texts end there.
    const char *terminated = bytes.c_str();
    // A name from the system converts back to the same bytes, UTF-8 or not.
    FUZZ_CHECK(text_to_file_name(text_from_file_name(terminated)) == terminated);
    // Overlong forms are accepted, so the bytes need not come back; what they
    // decode to does, up to an overlong 0, where the text ends.
    const WideText units = text_from_utf8(terminated).c_str();
    FUZZ_CHECK(!well_formed(units) || text_from_utf8(text_to_utf8(units).c_str()) == units);
}

void check_number(std::int64_t value) {
    const WideText text = text_str(value);
    FUZZ_CHECK(text_val(text) == value && text_val(u" \t" + text + u"x") == value);
    // Negation wraps like the accumulation does.
    const auto negated = static_cast<std::int64_t>(0 - static_cast<std::uint64_t>(value));
    FUZZ_CHECK(value < 0 || (text_val(u"+" + text) == value && text_val(u"-" + text) == negated));
}

WideText units_of(std::string_view bytes) {
    WideText units(bytes.size() / 2, u'\0');
    std::memcpy(units.data(), bytes.data(), units.size() * 2);
    return units;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char *>(data), size);
    check_bytes(bytes);
    check_units(units_of(bytes));
    std::int64_t value = 0;
    std::memcpy(&value, data, std::min(size, sizeof value));
    check_number(value);
    // Any text parses, to a value that prints and parses to itself.
    check_number(text_val(units_of(std::string_view(bytes).substr(std::min(size, sizeof value)))));
    return 0;
}
