// Numbers to text and back, and the clamps of text_mid and text_right, on any
// values and any text.
#include "fuzz_check.h"
#include "fuzz_input.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

namespace {

// The units of a text up to its terminator.
std::u16string_view units_of(const WideText &text) {
    std::u16string_view units(text);
    return units.substr(0, units.find(u'\0'));
}

void check_number(std::int64_t value) {
    const WideText text = text_str(value);
    FUZZ_CHECK(text_val(text) == value);
    FUZZ_CHECK(text_val(u" \t" + text + u"x") == value);
    if (value >= 0) {
        FUZZ_CHECK(text_val(u"+" + text) == value);
        // Negation wraps like the accumulation does.
        FUZZ_CHECK(text_val(u"-" + text) == static_cast<std::int64_t>(0 - static_cast<std::uint64_t>(value)));
    }
    FUZZ_CHECK(text_length(text) == static_cast<std::int64_t>(text.size()));
}

void check_clamps(const WideText &text, std::int32_t start, std::int32_t n) {
    const std::u16string_view units = units_of(text);
    const auto length = static_cast<std::int64_t>(units.size());
    FUZZ_CHECK(text_length(text) == length);
    const std::int64_t count = std::clamp<std::int64_t>(n, 0, length);

    const WideText right = text_right(text, n);
    FUZZ_CHECK(static_cast<std::int64_t>(right.size()) == count);
    FUZZ_CHECK(units.substr(units.size() - right.size()) == right);

    const WideText mid = text_mid(text, start, n);
    const std::int64_t from = start <= 1 ? 0 : std::int64_t{start} - 1;
    if (from >= length) {
        FUZZ_CHECK(mid.empty());
    } else {
        const std::int64_t expected = std::min(count, length - from);
        FUZZ_CHECK(static_cast<std::int64_t>(mid.size()) == expected);
        FUZZ_CHECK(units.substr(static_cast<std::size_t>(from), mid.size()) == mid);
    }

    // A text ends at its terminator, whatever follows it.
    FUZZ_CHECK(text_equal(text, WideText(units)) == 1);
    FUZZ_CHECK(text_val(text) == text_val(WideText(units)));
    FUZZ_CHECK(text_length(text_lcase(text)) == length);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    FuzzInput input(data, size);
    check_number(input.take<std::int64_t>());
    const auto start = input.take<std::int32_t>();
    const auto n = input.take<std::int32_t>();
    const WideText text = input.rest_as_units();
    check_clamps(text, start, n);
    // Any text parses; the value it gives prints and parses to itself.
    check_number(text_val(text));
    return 0;
}
