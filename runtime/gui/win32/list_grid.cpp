// Grid lines of lists, drawn by the list itself after each paint so they look
// the same with and without visual styles.
#include "win32_private.h"

#include <vector>

namespace {

std::intptr_t grid_colour(GadgetRecord *record) { return kind_word(record, LIST_GRID_COLOUR_WORD); }

// Top and bottom of row 0; on an empty list those of a row inserted for the
// measurement, kept until the font changes.
bool row_geometry(HWND list, int *top, int *bottom) {
    RECT row{};
    if (list_row_count(list) > 0) {
        row.left = LVIR_BOUNDS;
        SendMessageW(list, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row));
        *top = row.top;
        *bottom = row.bottom;
        return *bottom > *top;
    }
    if (GetPropW(list, LIST_RECT_BOTTOM_PROPERTY)) {
        *top = static_cast<int>(reinterpret_cast<std::intptr_t>(GetPropW(list, LIST_RECT_TOP_PROPERTY)));
        *bottom =
            static_cast<int>(reinterpret_cast<std::intptr_t>(GetPropW(list, LIST_RECT_BOTTOM_PROPERTY)));
        return *bottom > *top;
    }
    LVITEMW probe{};
    probe.mask = LVIF_TEXT;
    probe.pszText = const_cast<wchar_t *>(L" ");
    const auto index = SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&probe));
    if (index < 0)
        return false;
    row.left = LVIR_BOUNDS;
    SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&row));
    SendMessageW(list, LVM_DELETEITEM, static_cast<WPARAM>(index), 0);
    *top = row.top;
    *bottom = row.bottom;
    SetPropW(list, LIST_RECT_TOP_PROPERTY,
             reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(row.top)));
    SetPropW(list, LIST_RECT_BOTTOM_PROPERTY,
             reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(row.bottom)));
    return *bottom > *top;
}

// x of every column boundary after horizontal scrolling: the left edge of
// each later column that has a width, and the right edge of the whole row.
std::vector<int> column_edges(HWND list) {
    std::vector<int> edges;
    const int columns = list_column_count(list);
    if (list_row_count(list) > 0) {
        RECT bounds{};
        bounds.left = LVIR_BOUNDS;
        SendMessageW(list, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&bounds));
        for (int column = 1; column < columns; ++column) {
            if (SendMessageW(list, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0) <= 0)
                continue;
            RECT cell{};
            cell.top = column;
            cell.left = LVIR_BOUNDS;
            SendMessageW(list, LVM_GETSUBITEMRECT, 0, reinterpret_cast<LPARAM>(&cell));
            edges.push_back(cell.left);
        }
        edges.push_back(bounds.right);
        return edges;
    }
    int x = -GetScrollPos(list, SB_HORZ);
    for (int column = 0; column < columns; ++column) {
        const auto width = static_cast<int>(
            SendMessageW(list, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0));
        if (column > 0 && width > 0)
            edges.push_back(x);
        x += width;
    }
    edges.push_back(x);
    return edges;
}

void line(HDC dc, int x1, int y1, int x2, int y2) {
    MoveToEx(dc, x1, y1, nullptr);
    LineTo(dc, x2, y2);
}

int header_bottom(HWND list) {
    HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    if (!header || !IsWindowVisible(header))
        return 0;
    RECT rect;
    GetWindowRect(header, &rect);
    MapWindowPoints(nullptr, list, reinterpret_cast<POINT *>(&rect), 2);
    return rect.bottom;
}

void draw_grid(GadgetRecord *record, HDC dc) {
    HWND list = record->handle;
    int top = 0, bottom = 0;
    if (!row_geometry(list, &top, &bottom))
        return;
    RECT client;
    GetClientRect(list, &client);
    const int below_header = header_bottom(list);
    const COLORREF colour = grid_colour(record) == -1 ? GetSysColor(COLOR_BTNFACE)
                                                      : static_cast<COLORREF>(grid_colour(record));
    HPEN pen = CreatePen(PS_SOLID, 0, colour);
    HGDIOBJ old_pen = SelectObject(dc, pen);
    const int height = bottom - top;
    int y = bottom - 1;
    if (y < below_header)
        y += (below_header - y + height - 1) / height * height; // rows scrolled out of view
    for (; y < client.bottom; y += height)
        line(dc, 0, y, client.right, y);
    for (int x : column_edges(list))
        line(dc, x - 1, below_header, x - 1, client.bottom);
    if (common_controls_check().version < 0x60000) {
        // Older lists draw a line of their own under the header; cover it.
        HPEN background =
            CreatePen(PS_SOLID, 0, static_cast<COLORREF>(SendMessageW(list, LVM_GETBKCOLOR, 0, 0)));
        SelectObject(dc, background);
        line(dc, 0, below_header, client.right, below_header);
        line(dc, 0, below_header + 1, client.right, below_header + 1);
        SelectObject(dc, pen);
        DeleteObject(background);
    }
    SelectObject(dc, old_pen);
    DeleteObject(pen);
}

} // namespace

LRESULT list_custom_draw(GadgetRecord *record, NMLVCUSTOMDRAW *draw) {
    const bool grid = list_flags(record) & LIST_HAS_GRID_LINES;
    switch (draw->nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
        if (!IsWindowEnabled(record->handle))
            return CDRF_DODEFAULT;
        return CDRF_NOTIFYITEMDRAW | (grid ? CDRF_NOTIFYPOSTPAINT : 0);
    case CDDS_POSTPAINT:
        if (grid)
            draw_grid(record, draw->nmcd.hdc);
        return CDRF_DODEFAULT;
    default:
        return list_colour_draw(record, draw);
    }
}
