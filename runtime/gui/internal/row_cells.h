// Splitting a list row's text into its cells, on both back-ends: the pieces
// between line feeds, one per column. Free of any toolkit, so it can be
// exercised on its own.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// At most columns pieces: extra pieces are dropped, a text without a line
// feed is one piece and a line feed at the end gives an empty last piece.
template <class Char>
std::vector<std::basic_string<Char>> split_cells(std::basic_string_view<Char> text, std::size_t columns) {
    std::vector<std::basic_string<Char>> cells;
    while (cells.size() < columns) {
        const std::size_t end = text.find(Char('\n'));
        cells.emplace_back(text.substr(0, end));
        if (end == std::basic_string_view<Char>::npos)
            break;
        text.remove_prefix(end + 1);
    }
    return cells;
}

inline std::vector<std::string> split_row_cells(std::string_view text, std::size_t columns) {
    return split_cells(text, columns);
}

inline std::vector<std::wstring> split_row_cells(std::wstring_view text, std::size_t columns) {
    return split_cells(text, columns);
}
