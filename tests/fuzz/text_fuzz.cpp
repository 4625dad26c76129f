// Text on any bytes and any 16-bit units: UTF-8 and 8-bit conversions both
// ways (measuring and converting agree, well-formed input converts back to
// itself), and numbers to text and back. The input is read as bytes, as
// units, and as a number followed by a text.
#include "fuzz_check.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr std::int32_t CODE_PAGES[] = {CODE_PAGE_UTF8, CODE_PAGE_8BIT};

// Every leading surrogate has its trailing one; a trailing one alone is a
// character of its own.
bool well_formed(std::u16string_view units) {
    const auto trailing = [](char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; };
    for (std::size_t i = 0; i < units.size(); ++i)
        if (units[i] >= 0xD800 && units[i] <= 0xDBFF && (++i == units.size() || !trailing(units[i])))
            return false;
    return true;
}

std::string encode(std::int32_t code_page, std::u16string_view units) {
    const auto count = static_cast<std::int64_t>(units.size());
    const std::int64_t needed = text_encode(code_page, units.data(), count, nullptr, 0);
    FUZZ_CHECK(needed >= 0);
    std::string bytes(static_cast<std::size_t>(needed), '\0');
    FUZZ_CHECK(text_encode(code_page, units.data(), count, bytes.data(), needed) == needed);
    return bytes;
}

WideText decode(std::int32_t code_page, std::string_view bytes) {
    const auto count = static_cast<std::int64_t>(bytes.size());
    const std::int64_t needed = text_decode(code_page, bytes.data(), count, nullptr, 0);
    FUZZ_CHECK(needed >= 0 && needed <= count);
    WideText units(static_cast<std::size_t>(needed), u'\0');
    FUZZ_CHECK(text_decode(code_page, bytes.data(), count, units.data(), needed) == needed);
    return units;
}

void check_units(const WideText &text) {
    const std::u16string_view units(text);
    for (std::int32_t code_page : CODE_PAGES) {
        const WideText back = decode(code_page, encode(code_page, units));
        WideText narrow; // 8-bit: units above 255 are left out, the others come back
        std::copy_if(units.begin(), units.end(), std::back_inserter(narrow), [](char16_t unit) { return unit <= 0xFF; });
        FUZZ_CHECK(code_page == CODE_PAGE_UTF8 ? !well_formed(units) || back == units : back == narrow);
    }
    // The text forms stop at the first 0 unit.
    const std::u16string_view proper = units.substr(0, units.find(u'\0'));
    FUZZ_CHECK(text_byte_length(text, TEXT_UTF8) == static_cast<std::int64_t>(encode(CODE_PAGE_UTF8, proper).size()));
    FUZZ_CHECK(text_byte_length(text, TEXT_8BIT) == static_cast<std::int64_t>(encode(CODE_PAGE_8BIT, proper).size()));
    FUZZ_CHECK(text_byte_length(text, TEXT_UTF16) == 2 * static_cast<std::int64_t>(proper.size()));
    // text_to_utf8 gives what a conversion into a buffer with room to spare
    // gives, also where a leading surrogate ends that conversion early.
    const std::string utf8 = text_to_utf8(text);
    std::string roomy(4 * proper.size() + 4, '\0');
    roomy.resize(static_cast<std::size_t>(text_encode(CODE_PAGE_UTF8, proper.data(),
                                                      static_cast<std::int64_t>(proper.size()), roomy.data(),
                                                      static_cast<std::int64_t>(roomy.size()))));
    FUZZ_CHECK(utf8 == roomy);
    if (well_formed(proper)) {
        FUZZ_CHECK(static_cast<std::int64_t>(utf8.size()) == text_byte_length(text, TEXT_UTF8));
        FUZZ_CHECK(text_from_utf8(utf8.c_str()) == proper);
    }
    // Through the terminator: the terminator is counted and written too.
    const std::int64_t needed = text_encode(CODE_PAGE_UTF8, text.c_str(), -1, nullptr, 0);
    std::vector<char> buffer(static_cast<std::size_t>(needed) + 1);
    FUZZ_CHECK(text_encode(CODE_PAGE_UTF8, text.c_str(), -1, buffer.data(), needed) == needed);
}

void check_bytes(std::string_view bytes) {
    const WideText wide = decode(CODE_PAGE_8BIT, bytes);
    FUZZ_CHECK(wide.size() == bytes.size() && encode(CODE_PAGE_8BIT, wide) == bytes);
    // Overlong forms are accepted, so the bytes need not come back; what they decode to does.
    const WideText units = decode(CODE_PAGE_UTF8, bytes);
    FUZZ_CHECK(!well_formed(units) || decode(CODE_PAGE_UTF8, encode(CODE_PAGE_UTF8, units)) == units);
    // A zero-terminated string decodes up to its first 0 byte.
    const std::string terminated(bytes);
    FUZZ_CHECK(text_from_utf8(terminated.c_str()) == decode(CODE_PAGE_UTF8, std::string_view(terminated.c_str())));
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
    const std::string_view bytes(reinterpret_cast<const char *>(data), size);
    check_bytes(bytes);
    check_units(units_of(bytes));
    std::int64_t value = 0;
    std::memcpy(&value, data, std::min(size, sizeof value));
    check_number(value);
    // Any text parses, to a value that prints and parses to itself.
    check_number(text_val(units_of(bytes.substr(std::min(size, sizeof value)))));
    return 0;
}
