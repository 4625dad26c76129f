// Any text as a list row: the split into cells, and rows the editor builds
// from four cells split back into those cells.
#include "fuzz_check.h"
#include "fuzz_input.h"
#include "gui/gtk/cell_text.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

constexpr std::size_t MAX_COLUMNS = 8;

std::string join_cells(const std::vector<std::string> &cells) {
    std::string joined;
    for (std::size_t i = 0; i < cells.size(); ++i)
        joined += (i ? "\n" : "") + cells[i];
    return joined;
}

void check_split(std::string_view text, std::size_t columns) {
    const std::vector<std::string> cells = split_row_cells(text, columns);
    const auto pieces = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1;
    FUZZ_CHECK(cells.size() == std::min(pieces, columns));
    for (const std::string &cell : cells)
        FUZZ_CHECK(cell.find('\n') == std::string::npos);
    // The cells are the text from its start; only dropped pieces are missing.
    const std::string joined = join_cells(cells);
    FUZZ_CHECK(text.substr(0, joined.size()) == joined);
    if (cells.size() == pieces)
        FUZZ_CHECK(joined == text);
}

// Four cells as the editor's fields give them (valid UTF-8 without line
// feeds) make a row that the list splits back into the same four cells.
void check_editor_row(std::string_view text) {
    const std::vector<std::string> cells = split_row_cells(text, 4);
    if (cells.size() != 4)
        return;
    WideText wide[4];
    for (std::size_t i = 0; i < 4; ++i) {
        wide[i] = text_from_utf8(cells[i].c_str());
        // Overlong forms and stray bytes never leave the toolkit.
        if (text_to_utf8(wide[i]) != cells[i])
            return;
    }
    FUZZ_CHECK(row_cells(join_row(wide[0], wide[1], wide[2], wide[3])) == cells);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    FuzzInput input(data, size);
    const std::size_t columns = input.take<std::uint8_t>() % (MAX_COLUMNS + 1);
    const std::string_view text(reinterpret_cast<const char *>(input.data()), input.size());
    check_split(text, columns);
    check_editor_row(text);
    return 0;
}
