// Splitting a list row's text into its cells. Kept free of GTK so it can be
// exercised on its own.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// The pieces of text between line feeds, one per column, at most columns of
// them: extra pieces are dropped and a text without a line feed is one piece.
std::vector<std::string> split_row_cells(std::string_view text, std::size_t columns);
