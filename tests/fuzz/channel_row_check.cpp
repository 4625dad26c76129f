#include "fuzz_check.h"
#include "gui/gtk/cell_text.h"

namespace {

constexpr std::size_t LIST_COLUMNS = 4;
constexpr const char16_t *UNKNOWN_MODE = u"   ";

WideText cell_text(const std::string &cell) { return text_from_utf8(cell.c_str()); }

} // namespace

std::vector<std::string> row_cells(const WideText &row) {
    return split_row_cells(text_to_utf8(row), LIST_COLUMNS);
}

void check_channel_row(int channel, const Channel &record) {
    const WideText row = channel_row_text(channel, record);
    const std::vector<std::string> cells = row_cells(row);
    FUZZ_CHECK(!cells.empty() && text_val(cell_text(cells[0])) == channel);
    if (record.frequency == 0) {
        FUZZ_CHECK(cells.size() == 1);
        return;
    }
    FUZZ_CHECK(cells.size() == LIST_COLUMNS);
    const WideText frequency = cell_text(cells[1]);
    const WideText mode = cell_text(cells[2]);
    const WideText preatt = cell_text(cells[3]);
    FUZZ_CHECK(text_val(frequency) == record.frequency);
    FUZZ_CHECK(mode_combo_index(mode) >= 0 || mode == UNKNOWN_MODE);
    FUZZ_CHECK(preatt_combo_index(preatt) >= 0);

    // What "Update Channel" and "Save File" take from these cells.
    const Channel saved = channel_from_cells(frequency, mode, preatt);
    FUZZ_CHECK(saved.frequency == record.frequency);
    FUZZ_CHECK(mode == UNKNOWN_MODE || saved.mode_code == record.mode_code);
    FUZZ_CHECK(preatt == PREATT_NAMES[0] || saved.preatt_code == record.preatt_code);
    FUZZ_CHECK(channel_row_text(channel, saved) == row);
}
