// Lists: item state and check boxes, cell texts and colours, item data and
// images, columns. A row's data and cell colours live in a record its
// lParam points to, made on first use and freed when the list deletes the row.
#include "win32_private.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace {

// Item data, then per column a text and a background colour, each kept as
// colour + 1 (0 = the list's own).
struct RowRecord {
    std::int32_t data = 0;
    std::vector<std::pair<std::int32_t, std::int32_t>> colours;
};

bool valid_column(HWND list, std::int32_t column) {
    return column >= 0 && column < list_column_count(list);
}

RowRecord *row_record(HWND list, int row) {
    LVITEMW item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    if (!SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)))
        return nullptr;
    return reinterpret_cast<RowRecord *>(item.lParam);
}

RowRecord *row_record_made(HWND list, int row) {
    if (RowRecord *existing = row_record(list, row))
        return existing;
    auto *made = new RowRecord{};
    LVITEMW item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    item.lParam = reinterpret_cast<LPARAM>(made);
    if (!SendMessageW(list, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item))) {
        delete made;
        return nullptr;
    }
    return made;
}

// Row n, or every row for -1.
template <class Fn> void for_rows(HWND list, Item item, Fn &&fn) {
    if (item != -1) {
        if (list_valid_row(list, item))
            fn(static_cast<int>(item));
        return;
    }
    const int rows = list_row_count(list);
    for (int row = 0; row < rows; ++row)
        fn(row);
}

void set_item_state_bits(HWND list, int row, UINT state, UINT mask) {
    LVITEMW item{};
    item.state = state;
    item.stateMask = mask;
    SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

void set_header_text(HWND list, std::int32_t column, const WideText &text) {
    HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    HDITEMW item{};
    item.mask = HDI_TEXT;
    item.pszText = const_cast<wchar_t *>(wide(text));
    if (header)
        SendMessageW(header, HDM_SETITEMW, static_cast<WPARAM>(column),
                     reinterpret_cast<LPARAM>(&item));
}

std::int32_t list_get_color(GadgetRecord *record, std::int32_t type) {
    if (type == GADGET_COLOR_TEXT && (list_flags(record) & LIST_TEXT_COLOUR_SET))
        return static_cast<std::int32_t>(SendMessageW(record->handle, LVM_GETTEXTCOLOR, 0, 0));
    if (type == GADGET_COLOR_BACKGROUND && (list_flags(record) & LIST_BACKGROUND_SET))
        return static_cast<std::int32_t>(SendMessageW(record->handle, LVM_GETBKCOLOR, 0, 0));
    return GADGET_COLOR_DEFAULT;
}

std::int32_t &colour_of(RowRecord *row, std::int32_t column, std::int32_t type) {
    if (row->colours.size() <= static_cast<std::size_t>(column))
        row->colours.resize(static_cast<std::size_t>(column) + 1);
    auto &pair = row->colours[static_cast<std::size_t>(column)];
    return type == GADGET_COLOR_TEXT ? pair.first : pair.second;
}

void remove_one_column(GadgetRecord *record, int column) {
    HWND list = record->handle;
    SendMessageW(list, LVM_DELETECOLUMN, static_cast<WPARAM>(column), 0);
    for_rows(list, -1, [&](int row) {
        RowRecord *extra = row_record(list, row);
        if (extra && extra->colours.size() > static_cast<std::size_t>(column))
            extra->colours.erase(extra->colours.begin() + column);
    });
}

void list_release(GadgetRecord *record) { gadget_images_release(record); }

} // namespace

void list_clear(GadgetRecord *record) {
    SendMessageW(record->handle, LVM_DELETEALLITEMS, 0, 0);
    kind_word(record, LIST_LONGEST_WORD) = 0; // longest text
}

std::intptr_t list_count(GadgetRecord *record) { return list_row_count(record->handle); }

// The check box is the row's state image: 1 clear, 2 checked, 3 the third state.
std::intptr_t list_get_item_state(GadgetRecord *record, Item item) {
    if (!list_valid_row(record->handle, item))
        return 0;
    const auto state =
        static_cast<UINT>(SendMessageW(record->handle, LVM_GETITEMSTATE, static_cast<WPARAM>(item),
                                       LVIS_SELECTED | LVIS_STATEIMAGEMASK));
    std::intptr_t result = state & LVIS_SELECTED ? ITEM_SELECTED : 0;
    const UINT box = (state & LVIS_STATEIMAGEMASK) >> 12;
    if (box == 2)
        result |= ITEM_CHECKED;
    else if (box == 3)
        result |= ITEM_INCONSISTENT;
    return result;
}

void list_set_item_state(GadgetRecord *record, Item item, std::intptr_t state) {
    HWND list = record->handle;
    if (!list_valid_row(list, item))
        return;
    const int row = static_cast<int>(item);
    set_item_state_bits(list, row, state & ITEM_SELECTED ? LVIS_SELECTED : 0, LVIS_SELECTED);
    if (!(SendMessageW(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_CHECKBOXES))
        return;
    UINT box = state & ITEM_CHECKED ? 2 : 1;
    if ((list_flags(record) & LIST_THREE_STATE) && (state & ITEM_INCONSISTENT))
        box = 3;
    set_item_state_bits(list, row, INDEXTOSTATEIMAGEMASK(box), LVIS_STATEIMAGEMASK);
}

std::intptr_t list_add_item_flags(GadgetRecord *record, Item position, const WideText &text,
                                  HANDLE image, std::int32_t flags) {
    const int rows = list_row_count(record->handle);
    const Item row = position == -1 || position > rows ? rows : position;
    const std::intptr_t result = record->gadget_class->add_item(record, position, text, image);
    if (flags && position >= -1)
        list_set_item_state(record, row, flags);
    return result;
}

void list_set_item_text(GadgetRecord *record, Item item, const WideText &text,
                        std::int32_t column) {
    HWND list = record->handle;
    if (!valid_column(list, column))
        return;
    if (item == -1)
        set_header_text(list, column, text);
    else if (list_valid_row(list, item))
        list_set_cells(record, static_cast<int>(item), column, text);
}

void list_set_item_data(GadgetRecord *record, Item item, std::int32_t data) {
    if (!list_valid_row(record->handle, item))
        return;
    if (RowRecord *row = row_record_made(record->handle, static_cast<int>(item)))
        row->data = data;
}

std::int32_t list_get_item_data(GadgetRecord *record, Item item) {
    RowRecord *row = list_valid_row(record->handle, item)
                         ? row_record(record->handle, static_cast<int>(item))
                         : nullptr;
    return row ? row->data : 0;
}

void list_set_item_image(GadgetRecord *record, Item item, HANDLE image) {
    if (!list_valid_row(record->handle, item))
        return;
    LVITEMW entry{};
    entry.mask = LVIF_IMAGE;
    entry.iItem = static_cast<int>(item);
    entry.iImage = list_image_index(record, image);
    SendMessageW(record->handle, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&entry));
}

void list_set_color(GadgetRecord *record, std::int32_t type, std::int32_t colour) {
    HWND list = record->handle;
    const bool given = colour != GADGET_COLOR_DEFAULT;
    if (type == GADGET_COLOR_TEXT) {
        const COLORREF value =
            given ? static_cast<COLORREF>(colour & 0xFFFFFF) : GetSysColor(COLOR_WINDOWTEXT);
        SendMessageW(list, LVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(value));
        list_flags(record) = given ? list_flags(record) | LIST_TEXT_COLOUR_SET
                                   : list_flags(record) & ~LIST_TEXT_COLOUR_SET;
    } else if (type == GADGET_COLOR_BACKGROUND) {
        const COLORREF value =
            given ? static_cast<COLORREF>(colour & 0xFFFFFF) : GetSysColor(COLOR_WINDOW);
        SendMessageW(list, LVM_SETBKCOLOR, 0, static_cast<LPARAM>(value));
        SendMessageW(list, LVM_SETTEXTBKCOLOR, 0, static_cast<LPARAM>(value));
        list_flags(record) = given ? list_flags(record) | LIST_BACKGROUND_SET
                                   : list_flags(record) & ~LIST_BACKGROUND_SET;
    } else {
        return;
    }
    InvalidateRect(list, nullptr, TRUE);
}

void list_set_item_color(GadgetRecord *record, Item item, std::int32_t type, std::int32_t colour,
                         std::int32_t column) {
    HWND list = record->handle;
    if ((type != GADGET_COLOR_TEXT && type != GADGET_COLOR_BACKGROUND) ||
        (column != -1 && !valid_column(list, column)))
        return;
    const std::int32_t kept = colour == GADGET_COLOR_DEFAULT ? 0 : (colour & 0xFFFFFF) + 1;
    const int first = column == -1 ? 0 : column;
    const int last = column == -1 ? list_column_count(list) - 1 : column;
    for_rows(list, item, [&](int row) {
        if (RowRecord *extra = row_record_made(list, row))
            for (int c = first; c <= last; ++c)
                colour_of(extra, c, type) = kept;
    });
    InvalidateRect(list, nullptr, FALSE);
}

std::int32_t list_get_item_color(GadgetRecord *record, Item item, std::int32_t type,
                                 std::int32_t column) {
    HWND list = record->handle;
    if ((type != GADGET_COLOR_TEXT && type != GADGET_COLOR_BACKGROUND) ||
        !valid_column(list, column) || !list_valid_row(list, item))
        return GADGET_COLOR_DEFAULT;
    RowRecord *row = row_record(list, static_cast<int>(item));
    return row ? colour_of(row, column, type) - 1 : GADGET_COLOR_DEFAULT;
}

std::intptr_t list_get_attribute(GadgetRecord *record, std::int32_t attribute) {
    return attribute == LIST_ATTRIBUTE_COLUMN_COUNT ? list_column_count(record->handle) : 0;
}

std::intptr_t list_get_item_attribute(GadgetRecord *record, Item, std::int32_t attribute,
                                      std::int32_t column) {
    if (attribute != LIST_ATTRIBUTE_COLUMN_WIDTH || !valid_column(record->handle, column))
        return 0;
    return SendMessageW(record->handle, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0);
}

// A width below 1 hides the column (width 0).
void list_set_item_attribute(GadgetRecord *record, Item, std::int32_t attribute,
                             std::intptr_t value, std::int32_t column) {
    if (attribute != LIST_ATTRIBUTE_COLUMN_WIDTH || !valid_column(record->handle, column))
        return;
    const auto width = static_cast<int>(std::clamp<std::intptr_t>(value, 0, 0x7FFF));
    SendMessageW(record->handle, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column),
                 MAKELPARAM(width, 0));
}

// -1 removes every column.
void list_remove_column(GadgetRecord *record, std::int32_t column) {
    if (column == -1) {
        for (int last = list_column_count(record->handle) - 1; last >= 0; --last)
            remove_one_column(record, last);
    } else if (valid_column(record->handle, column)) {
        remove_one_column(record, column);
    }
}

int list_image_index(GadgetRecord *record, HANDLE image) {
    const bool first = !gadget_images(record);
    const int index = gadget_image_add(record, image);
    if (first && gadget_images(record))
        SendMessageW(record->handle, LVM_SETIMAGELIST, LVSIL_SMALL,
                     reinterpret_cast<LPARAM>(gadget_images(record)));
    return index;
}

void list_row_deleted(const NMLISTVIEW *row) { delete reinterpret_cast<RowRecord *>(row->lParam); }

void list_column_inserted(GadgetRecord *record, int column) {
    HWND list = record->handle;
    for_rows(list, -1, [&](int row) {
        RowRecord *extra = row_record(list, row);
        if (extra && extra->colours.size() > static_cast<std::size_t>(column))
            extra->colours.insert(extra->colours.begin() + column, {0, 0});
    });
}

// Rows with colours of their own are drawn cell by cell in them.
LRESULT list_colour_draw(GadgetRecord *record, NMLVCUSTOMDRAW *draw) {
    auto *row = reinterpret_cast<RowRecord *>(draw->nmcd.lItemlParam);
    if (draw->nmcd.dwDrawStage == CDDS_ITEMPREPAINT)
        return row ? CDRF_NOTIFYSUBITEMDRAW : CDRF_DODEFAULT;
    if (draw->nmcd.dwDrawStage != (CDDS_SUBITEM | CDDS_ITEMPREPAINT))
        return CDRF_DODEFAULT;
    const auto column = static_cast<std::size_t>(draw->iSubItem);
    const auto colours =
        row && column < row->colours.size() ? row->colours[column] : std::pair{0, 0};
    draw->clrText =
        colours.first ? static_cast<COLORREF>(colours.first - 1)
                      : static_cast<COLORREF>(SendMessageW(record->handle, LVM_GETTEXTCOLOR, 0, 0));
    draw->clrTextBk =
        colours.second
            ? static_cast<COLORREF>(colours.second - 1)
            : static_cast<COLORREF>(SendMessageW(record->handle, LVM_GETTEXTBKCOLOR, 0, 0));
    return CDRF_NEWFONT;
}

// The third state needs a third image in the check boxes' state image list:
// a checked box drawn greyed.
void list_add_third_state(GadgetRecord *record) {
    list_flags(record) |= LIST_THREE_STATE;
    auto states = reinterpret_cast<HIMAGELIST>(
        SendMessageW(record->handle, LVM_GETIMAGELIST, LVSIL_STATE, 0));
    int width = 0, height = 0;
    if (!states || !ImageList_GetIconSize(states, &width, &height))
        return;
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP image = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(dc, image);
    RECT box{0, 0, width, height};
    FillRect(dc, &box, GetSysColorBrush(COLOR_WINDOW));
    InflateRect(&box, -1, -1);
    DrawFrameControl(dc, &box, DFC_BUTTON,
                     DFCS_BUTTONCHECK | DFCS_CHECKED | DFCS_INACTIVE | DFCS_FLAT);
    SelectObject(dc, old);
    ImageList_Add(states, image, nullptr);
    DeleteObject(image);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
}

// A Win32 list keeps its colours in the control and its item images apart.
void list_fill_own_slots(GadgetClass &c) {
    c.release = list_release;
    c.get_color = list_get_color;
}
