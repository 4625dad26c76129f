#include "fuzz_check.h"
#include "internal/row_cells.h"

namespace {

constexpr const char16_t *UNKNOWN_MODE = u"   ";

} // namespace

bool same_channel(const Channel &a, const Channel &b) {
    return a.frequency == b.frequency && a.mode_code == b.mode_code && a.preatt_code == b.preatt_code;
}

void check_channel_row(int channel, const Channel &record) {
    const WideText row = channel_row_text(channel, record);
    std::vector<WideText> cells;
    for (const std::string &cell : split_row_cells(text_to_utf8(row), 4))
        cells.push_back(text_from_utf8(cell.c_str()));
    FUZZ_CHECK(!cells.empty() && text_val(cells[0]) == channel);
    if (record.frequency == 0) {
        FUZZ_CHECK(cells.size() == 1);
        return;
    }
    FUZZ_CHECK(cells.size() == 4);
    const WideText &mode = cells[2], &preatt = cells[3];
    FUZZ_CHECK(text_val(cells[1]) == record.frequency);
    FUZZ_CHECK(mode_combo_index(mode) >= 0 || mode == UNKNOWN_MODE);
    FUZZ_CHECK(preatt_combo_index(preatt) >= 0);

    // What "Update Channel" and "Save File" take from these cells.
    const Channel saved = channel_from_cells(cells[1], mode, preatt);
    FUZZ_CHECK(saved.frequency == record.frequency);
    FUZZ_CHECK(mode == UNKNOWN_MODE || saved.mode_code == record.mode_code);
    FUZZ_CHECK(preatt == PREATT_NAMES[0] || saved.preatt_code == record.preatt_code);
    FUZZ_CHECK(channel_row_text(channel, saved) == row);
}
