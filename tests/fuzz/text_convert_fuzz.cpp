// UTF-8 and 8-bit conversions in both directions on any units and any bytes:
// measuring and converting agree, and well-formed input converts back to
// itself.
#include "fuzz_check.h"
#include "fuzz_input.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr std::int32_t CODE_PAGES[] = {CODE_PAGE_UTF8, CODE_PAGE_8BIT};

bool is_leading(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool is_trailing(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// Every leading surrogate has its trailing one; a trailing one alone is a
// character of its own.
bool well_formed(std::u16string_view units) {
    for (std::size_t i = 0; i < units.size(); ++i) {
        if (is_leading(units[i]) && (i + 1 == units.size() || !is_trailing(units[++i])))
            return false;
    }
    return true;
}

std::string encode(std::int32_t code_page, std::u16string_view units) {
    const auto count = static_cast<std::int64_t>(units.size());
    const std::int64_t needed = text_encode(code_page, units.data(), count, nullptr, 0);
    FUZZ_CHECK(needed >= 0);
    std::string bytes(static_cast<std::size_t>(needed), '\0');
    const std::int64_t written = text_encode(code_page, units.data(), count, bytes.data(), needed);
    FUZZ_CHECK(written == needed);
    return bytes;
}

WideText decode(std::int32_t code_page, std::string_view bytes) {
    const auto count = static_cast<std::int64_t>(bytes.size());
    const std::int64_t needed = text_decode(code_page, bytes.data(), count, nullptr, 0);
    FUZZ_CHECK(needed >= 0 && needed <= count);
    WideText units(static_cast<std::size_t>(needed), u'\0');
    const std::int64_t written = text_decode(code_page, bytes.data(), count, units.data(), needed);
    FUZZ_CHECK(written == needed);
    return units;
}

void check_units(std::u16string_view units) {
    for (std::int32_t code_page : CODE_PAGES) {
        const std::string bytes = encode(code_page, units);
        const WideText back = decode(code_page, bytes);
        if (code_page == CODE_PAGE_8BIT) {
            // Units above 255 are left out, the others come back.
            WideText narrow;
            for (char16_t unit : units)
                if (unit <= 0xFF)
                    narrow.push_back(unit);
            FUZZ_CHECK(back == narrow);
        } else if (well_formed(units)) {
            FUZZ_CHECK(back == units);
        }
    }

    // The text forms stop at the first 0 unit.
    const WideText text(units);
    const std::u16string_view proper = units.substr(0, units.find(u'\0'));
    const std::string utf8 = text_to_utf8(text);
    FUZZ_CHECK(text_byte_length(text, TEXT_UTF8) == static_cast<std::int64_t>(encode(CODE_PAGE_UTF8, proper).size()));
    FUZZ_CHECK(text_byte_length(text, TEXT_8BIT) == static_cast<std::int64_t>(encode(CODE_PAGE_8BIT, proper).size()));
    FUZZ_CHECK(text_byte_length(text, TEXT_UTF16) == 2 * static_cast<std::int64_t>(proper.size()));
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
    for (std::int32_t code_page : CODE_PAGES) {
        const WideText units = decode(code_page, bytes);
        if (code_page == CODE_PAGE_8BIT) {
            FUZZ_CHECK(units.size() == bytes.size());
            FUZZ_CHECK(encode(code_page, units) == bytes);
        } else if (well_formed(units)) {
            // Overlong forms are accepted, so the bytes need not come back;
            // what they decode to does.
            FUZZ_CHECK(decode(code_page, encode(code_page, units)) == units);
        }
    }
    // A zero-terminated string decodes up to its first 0 byte.
    const std::string terminated(bytes);
    FUZZ_CHECK(text_from_utf8(terminated.c_str()) ==
               decode(CODE_PAGE_UTF8, std::string_view(terminated.c_str())));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    check_bytes(std::string_view(reinterpret_cast<const char *>(data), size));
    FuzzInput input(data, size);
    const WideText units = input.rest_as_units();
    check_units(units);
    return 0;
}
