// Any filter text of a file requester, "Name|pattern;pattern|Name|...".
#include "fuzz_check.h"
#include "gtk_private.h"

#include <algorithm>
#include <cstdint>
#include <string>

namespace {

// The text the filters stand for. A name with no "|" after it makes no
// filter, and "*.*" comes back as "*".
std::string rebuild(const std::vector<FilePattern> &filters, bool ends_in_patterns) {
    std::string text;
    for (std::size_t i = 0; i < filters.size(); ++i) {
        text += filters[i].name + "|";
        for (std::size_t k = 0; k < filters[i].patterns.size(); ++k)
            text += (k ? ";" : "") + filters[i].patterns[k];
        if (i + 1 < filters.size() || !ends_in_patterns)
            text += "|";
    }
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const std::string text(reinterpret_cast<const char *>(data), size);
    const std::vector<FilePattern> filters = parse_file_patterns(text);

    const auto bars = static_cast<std::size_t>(std::count(text.begin(), text.end(), '|'));
    FUZZ_CHECK(filters.size() == (bars + 1) / 2);
    for (const FilePattern &filter : filters) {
        FUZZ_CHECK(filter.name.find('|') == std::string::npos);
        FUZZ_CHECK(!filter.patterns.empty());
        for (const std::string &pattern : filter.patterns) {
            FUZZ_CHECK(pattern.find_first_of("|;") == std::string::npos);
            FUZZ_CHECK(pattern != "*.*");
        }
    }

    if (text.find("*.*") != std::string::npos)
        return 0;
    const bool ends_in_patterns = bars % 2 == 1;
    const std::string parsed = ends_in_patterns ? text : text.substr(0, text.rfind('|') + 1);
    FUZZ_CHECK(rebuild(filters, ends_in_patterns) == parsed);
    return 0;
}
