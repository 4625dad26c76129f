#include "cell_text.h"

std::vector<std::string> split_row_cells(std::string_view text, std::size_t columns) {
    std::vector<std::string> cells;
    while (cells.size() < columns) {
        const std::size_t end = text.find('\n');
        cells.emplace_back(text.substr(0, end));
        if (end == std::string_view::npos)
            break;
        text.remove_prefix(end + 1);
    }
    return cells;
}
