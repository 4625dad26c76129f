// Any filter text of a file requester, "Name|pattern;pattern|Name|...".
#include "fuzz_check.h"
#include "gtk/gtk_private.h"

#include <algorithm>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const std::string text(reinterpret_cast<const char *>(data), size);
    const std::vector<FilePattern> filters = parse_file_patterns(text);
    const auto bars = static_cast<std::size_t>(std::count(text.begin(), text.end(), '|'));
    FUZZ_CHECK(filters.size() == (bars + 1) / 2);
    // The text the filters stand for: a name with no "|" after it makes no
    // filter, and "*.*" comes back as "*".
    const bool ends_in_patterns = bars % 2 == 1;
    std::string rebuilt;
    for (std::size_t i = 0; i < filters.size(); ++i) {
        FUZZ_CHECK(filters[i].name.find('|') == std::string::npos && !filters[i].patterns.empty());
        rebuilt += filters[i].name + "|";
        for (std::size_t k = 0; k < filters[i].patterns.size(); ++k) {
            FUZZ_CHECK(filters[i].patterns[k].find_first_of("|;") == std::string::npos);
            FUZZ_CHECK(filters[i].patterns[k] != "*.*");
            rebuilt += (k ? ";" : "") + filters[i].patterns[k];
        }
        if (i + 1 < filters.size() || !ends_in_patterns)
            rebuilt += "|";
    }
    if (text.find("*.*") == std::string::npos)
        FUZZ_CHECK(rebuilt == (ends_in_patterns ? text : text.substr(0, text.rfind('|') + 1)));
    return 0;
}
