// Multi-column lists (kind 12) on the "SysListView32" control in report view.
// A row's text arrives as one text with the cells separated by line feeds.
// Grid lines: list_grid.cpp.
#include "win32_private.h"
#include "internal/gadget_create.h"

#include "internal/row_cells.h"

#include <algorithm>
#include <vector>

namespace {

constexpr DWORD list_style =
    WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHAREIMAGELISTS;
static_assert(list_style == 0x50010045);
// The same with multiple selection.
constexpr DWORD multiple_style = list_style & ~static_cast<DWORD>(LVS_SINGLESEL);
static_assert(multiple_style == 0x50010041);
constexpr std::int32_t header_drag_flag = 0x10000000;

const wchar_t last_selected_property[] = L"KW_LastSelected";

std::intptr_t &longest_text(GadgetRecord *record) { return kind_word(record, LIST_LONGEST_WORD); }

// The row of the last selection; -1 once it was lost (stored plus one, so an
// absent property means -1).
std::intptr_t last_selected(HWND list) {
    return reinterpret_cast<std::intptr_t>(GetPropW(list, last_selected_property)) - 1;
}
void set_last_selected(HWND list, std::intptr_t row) {
    SetPropW(list, last_selected_property, reinterpret_cast<HANDLE>(row + 1));
}

int first_selected(HWND list) {
    return static_cast<int>(
        SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void set_cell(HWND list, int row, int column, const std::wstring &text) {
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = const_cast<wchar_t *>(text.c_str());
    SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

} // namespace

// Piece n of the text (split at line feeds) goes to column start + n; a line
// feed at the end clears the next column, an empty text the start column.
// Returns the column after the last piece.
int list_set_cells(GadgetRecord *record, int row, int start, const WideText &text) {
    int column = start;
    for (const std::wstring &piece : split_row_cells(wide(text), SIZE_MAX)) {
        set_cell(record->handle, row, column++, piece);
        longest_text(record) =
            std::max(longest_text(record), static_cast<std::intptr_t>(piece.size()));
    }
    return column;
}

namespace {

WideText header_text(HWND list, std::int32_t column) {
    std::vector<wchar_t> buffer(4096, L'\0');
    HDITEMW item{};
    item.mask = HDI_TEXT;
    item.pszText = buffer.data();
    item.cchTextMax = static_cast<int>(buffer.size());
    HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    if (!header || !SendMessageW(header, HDM_GETITEMW, static_cast<WPARAM>(column),
                                 reinterpret_cast<LPARAM>(&item)))
        return WideText();
    return from_wide(buffer.data());
}

// ---------------------------------------------------------------------------
// Notifications
// ---------------------------------------------------------------------------

void on_item_changed(GadgetRecord *record, const NMLISTVIEW *change) {
    if (!(change->uChanged & LVIF_STATE))
        return;
    const UINT changed = change->uOldState ^ change->uNewState;
    if (!(changed & (LVIS_SELECTED | LVIS_STATEIMAGEMASK)))
        return;
    if ((changed & LVIS_SELECTED) && (change->uNewState & LVIS_SELECTED))
        set_last_selected(record->handle, change->iItem);
    gadget_post_event(record->handle, SUBTYPE_CHANGED);
}

// A click into empty space takes the selection away: reported once.
void note_lost_selection(GadgetRecord *record) {
    if (first_selected(record->handle) < 0 && last_selected(record->handle) != -1) {
        set_last_selected(record->handle, -1);
        gadget_post_event(record->handle, SUBTYPE_CHANGED);
    }
}

LRESULT list_message(GadgetRecord *record, HWND, UINT message, WPARAM, LPARAM lparam) {
    if (message != WM_NOTIFY)
        return NOT_HANDLED;
    auto *header = reinterpret_cast<NMHDR *>(lparam);
    switch (header->code) {
    case LVN_ITEMCHANGED: on_item_changed(record, reinterpret_cast<NMLISTVIEW *>(lparam)); return 0;
    case NM_CLICK:
        note_lost_selection(record);
        if (first_selected(record->handle) >= 0)
            gadget_post_event(record->handle, SUBTYPE_CLICK);
        return 0;
    case NM_RCLICK:
        note_lost_selection(record);
        gadget_post_event(record->handle, SUBTYPE_RIGHT_CLICK);
        return 0;
    case NM_DBLCLK: gadget_post_event(record->handle, SUBTYPE_DOUBLE_CLICK); return 0;
    case NM_RDBLCLK: gadget_post_event(record->handle, SUBTYPE_RIGHT_DOUBLE_CLICK); return 0;
    case LVN_BEGINDRAG: gadget_post_event(record->handle, SUBTYPE_DRAG); return 0;
    case LVN_DELETEITEM: list_row_deleted(reinterpret_cast<NMLISTVIEW *>(lparam)); return 0;
    case NM_CUSTOMDRAW: return list_custom_draw(record, reinterpret_cast<NMLVCUSTOMDRAW *>(lparam));
    default: return NOT_HANDLED;
    }
}

LRESULT CALLBACK list_procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_LBUTTONUP: gadget_post_event(hwnd, SUBTYPE_CLICK); break;
    case WM_SETFONT:
    case WM_NCDESTROY:
        RemovePropW(hwnd, LIST_RECT_TOP_PROPERTY);
        RemovePropW(hwnd, LIST_RECT_BOTTOM_PROPERTY);
        if (message == WM_NCDESTROY)
            RemovePropW(hwnd, last_selected_property);
        break;
    default: break;
    }
    return gadget_procedure(hwnd, message, wparam, lparam);
}

// ---------------------------------------------------------------------------
// Operations
// ---------------------------------------------------------------------------

std::intptr_t list_get_state(GadgetRecord *record) { return first_selected(record->handle); }

void list_set_state(GadgetRecord *record, std::intptr_t row) {
    HWND list = record->handle;
    if (row != -1 && !list_valid_row(list, row))
        return;
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    for (int selected = first_selected(list); selected >= 0; selected = first_selected(list))
        SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(selected),
                     reinterpret_cast<LPARAM>(&item));
    if (row == -1)
        return;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    SendMessageW(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), TRUE);
}

WideText list_get_item_text(GadgetRecord *record, std::intptr_t row, std::int32_t column) {
    HWND list = record->handle;
    if (column < 0 || column >= list_column_count(list))
        return WideText();
    if (row == -1)
        return header_text(list, column);
    if (!list_valid_row(list, row))
        return WideText();
    // No cell holds more than the longest text ever set.
    std::vector<wchar_t> buffer(static_cast<std::size_t>(longest_text(record)) + 1, L'\0');
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = buffer.data();
    item.cchTextMax = static_cast<int>(buffer.size());
    SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return from_wide(buffer.data());
}

WideText list_get_text(GadgetRecord *record) {
    const int row = first_selected(record->handle);
    return row < 0 ? WideText() : list_get_item_text(record, row, 0);
}

void list_set_text(GadgetRecord *record, const WideText &text) {
    const int row = first_selected(record->handle);
    if (row >= 0)
        list_set_cells(record, row, 0, text);
}

std::intptr_t list_add_item(GadgetRecord *record, std::intptr_t position, const WideText &text,
                            HANDLE image) {
    HWND list = record->handle;
    if (position < -1)
        return 0;
    const int rows = list_row_count(list);
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = position == -1 || position > rows ? rows : static_cast<int>(position);
    item.pszText = const_cast<wchar_t *>(L"");
    if (image) {
        item.mask |= LVIF_IMAGE;
        item.iImage = list_image_index(record, image);
    }
    const auto row =
        static_cast<int>(SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    if (row >= 0)
        list_set_cells(record, row, 0, text);
    return 0;
}

// A list hands the focus of a removed row on to a neighbour, selecting and
// scrolling to it; the program's removal leaves the other rows as they are.
void list_remove_item(GadgetRecord *record, std::intptr_t row) {
    HWND list = record->handle;
    if (!list_valid_row(list, row))
        return;
    LVITEMW unfocused{};
    unfocused.stateMask = LVIS_FOCUSED;
    SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                 reinterpret_cast<LPARAM>(&unfocused));
    SendMessageW(list, LVM_DELETEITEM, static_cast<WPARAM>(row), 0);
}

} // namespace

// The row keeps its state (selected, focused) where a removal and insertion
// would drop it; its item data goes back to 0 and the cells without a piece
// are emptied, as on a new row. Only the changed cells are repainted.
bool list_replace_item(GadgetRecord *record, std::intptr_t row, const WideText &text) {
    HWND list = record->handle;
    if (record->gadget_class->kind != GADGET_LIST_ICON || !list_valid_row(list, row))
        return false;
    LVITEMW item{};
    item.mask = LVIF_PARAM;
    item.iItem = static_cast<int>(row);
    SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    NMLISTVIEW old{};
    old.lParam = item.lParam;
    item.lParam = 0;
    SendMessageW(list, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    list_row_deleted(&old); // the row's own data goes, as with a removed row
    const int columns = list_column_count(list);
    for (int column = list_set_cells(record, static_cast<int>(row), 0, text); column < columns;
         ++column)
        set_cell(list, static_cast<int>(row), column, std::wstring());
    return true;
}

namespace {

std::intptr_t list_add_column(GadgetRecord *record, std::int32_t position, const WideText &title,
                              std::int32_t width) {
    const int columns = list_column_count(record->handle);
    if (position < 0 || position > columns)
        position = columns;
    LVCOLUMNW column{};
    column.mask = LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.cx = width;
    column.pszText = const_cast<wchar_t *>(wide(title));
    column.iSubItem = position;
    const bool added =
        SendMessageW(record->handle, LVM_INSERTCOLUMNW, static_cast<WPARAM>(position),
                     reinterpret_cast<LPARAM>(&column)) >= 0;
    if (added)
        list_column_inserted(record, position);
    return added;
}

const GadgetClass *list_class() {
    static const GadgetClass table = [] {
        GadgetClass c{
            .kind = GADGET_LIST_ICON,
            .size = sizeof(GadgetClass),
            .message = list_message,
            .get_state = list_get_state,
            .set_state = list_set_state,
            .get_text = list_get_text,
            .set_text = list_set_text,
            .add_item = list_add_item,
            .remove_item = list_remove_item,
            .get_item_text = list_get_item_text,
            .add_column = list_add_column,
        };
        list_fill_item_slots(c);
        return c;
    }();
    return &table;
}

DWORD extended_list_style(std::int32_t flags) {
    DWORD style = LVS_EX_DOUBLEBUFFER;
    if (flags & LIST_ICON_FULL_ROW_SELECT)
        style |= LVS_EX_FULLROWSELECT;
    if (flags & header_drag_flag)
        style |= LVS_EX_HEADERDRAGDROP;
    if (flags & LIST_ICON_CHECK_BOXES)
        style |= LVS_EX_CHECKBOXES;
    return style;
}

} // namespace

std::intptr_t list_icon_native_create(ObjectId number, std::int32_t x, std::int32_t y,
                                      std::int32_t width, std::int32_t height,
                                      const WideText &title, std::int32_t title_width,
                                      std::int32_t flags) {
    const auto bits = static_cast<DWORD>(flags);
    const DWORD style = flags & LIST_ICON_MULTIPLE_SELECTION ? (bits & ~list_style) | multiple_style
                                                             : bits | list_style;
    ObjectId id = 0;
    GadgetRecord *record = gadget_create(number, &id, list_class(), WC_LISTVIEWW, WideText(), style,
                                         WS_EX_CLIENTEDGE, x, y, width, height);
    if (!record)
        return std::intptr_t{0};
    const DWORD extended = extended_list_style(flags);
    SendMessageW(record->handle, LVM_SETEXTENDEDLISTVIEWSTYLE, extended, extended);
    SetWindowLongPtrW(record->handle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(list_procedure));
    kind_word(record, LIST_GRID_COLOUR_WORD) = -1;
    kind_word(record, LIST_FLAGS_WORD) = flags & LIST_ICON_GRID_LINES ? LIST_HAS_GRID_LINES : 0;
    if ((flags & LIST_ICON_THREE_STATE) == LIST_ICON_THREE_STATE)
        list_add_third_state(record);
    list_add_column(record, 0, title, title_width);
    return gadget_result(number, id, record);
}
