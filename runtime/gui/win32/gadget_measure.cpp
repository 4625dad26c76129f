// Gadget sizes as placed and as their content needs them, and the window a
// control lies in.
#include "win32_private.h"
#include "internal/gadget_size.h"

#include <algorithm>
#include <vector>

namespace {

SIZE placed_size(HWND control) {
    RECT outer;
    GetWindowRect(control, &outer);
    return {outer.right - outer.left, outer.bottom - outer.top};
}

// The size of one line of text in the control's font.
SIZE text_extent(HWND control, const std::wstring &text) {
    HDC dc = GetDC(control);
    HGDIOBJ old =
        SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)));
    RECT bounds{0, 0, 0, 0};
    DrawTextW(dc, text.empty() ? L" " : text.c_str(), -1, &bounds,
              DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    if (text.empty())
        bounds.right = 0;
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return {bounds.right, bounds.bottom};
}

// The frame a client edge adds on each side.
SIZE edge_of(HWND control) {
    if (!(GetWindowLongPtrW(control, GWL_EXSTYLE) & WS_EX_CLIENTEDGE))
        return {0, 0};
    return {2 * GetSystemMetrics(SM_CXEDGE), 2 * GetSystemMetrics(SM_CYEDGE)};
}

SIZE longest_item(HWND combo) {
    SIZE widest{0, 0};
    const auto count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT item = 0; item < count; ++item) {
        const auto length = SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(item), 0);
        if (length < 0)
            continue;
        std::vector<wchar_t> text(static_cast<std::size_t>(length) + 1, L'\0');
        SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(item),
                     reinterpret_cast<LPARAM>(text.data()));
        widest.cx = std::max(widest.cx, text_extent(combo, text.data()).cx);
    }
    return widest;
}

SIZE needed_extent(GadgetRecord *record) {
    HWND control = record->handle;
    const std::wstring text = wide(window_text(control));
    const SIZE edge = edge_of(control);
    switch (record->gadget_class->kind) {
    case GADGET_BUTTON: {
        SIZE ideal{0, 0};
        if (SendMessageW(control, BCM_GETIDEALSIZE, 0, reinterpret_cast<LPARAM>(&ideal)) &&
            ideal.cx > 0)
            return ideal;
        const SIZE size = text_extent(control, text);
        return {size.cx + 16, size.cy + 10};
    }
    case GADGET_TEXT: {
        const SIZE size = text_extent(control, text);
        return {size.cx + edge.cx, size.cy + edge.cy};
    }
    case GADGET_STRING: return {STRING_NEEDED_WIDTH, text_extent(control, L"Ag").cy + edge.cy + 2};
    case GADGET_COMBO:
        return {longest_item(control).cx + GetSystemMetrics(SM_CXVSCROLL) + 8,
                placed_size(control).cy};
    default: return placed_size(control);
    }
}

} // namespace

GadgetSize gadget_needed_size(GadgetRecord *record) {
    const SIZE size = needed_extent(record);
    return {size.cx, size.cy};
}

GadgetSize gadget_placed_size(GadgetRecord *record) {
    const SIZE size = placed_size(record->handle);
    return {size.cx, size.cy};
}

ObjectId gadget_window_of(void *native) {
    return on_gui_thread([&]() -> ObjectId {
        auto hwnd = static_cast<HWND>(native);
        return hwnd && IsWindow(hwnd) ? window_number_of(hwnd) : -1;
    });
}
