#include "fuzz_check.h"
#include "gui/gtk/cell_text.h"

#include "app/channel_codes.h"

namespace {
constexpr std::size_t LIST_COLUMNS = 4;
}

std::vector<std::string> row_cells(const WideText &row) {
    return split_row_cells(text_to_utf8(row), LIST_COLUMNS);
}
