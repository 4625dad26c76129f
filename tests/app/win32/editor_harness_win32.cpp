#include "editor_harness.h"

#include "win32/win32_private.h"

#include <algorithm>

namespace {

HWND control(std::intptr_t gadget) { return static_cast<HWND>(gadget_native_handle(gadget)); }

} // namespace

// The selection changes, then the combo tells its parent, as after a pick
// from the drop-down list.
void choose_item(std::intptr_t combo, int index) {
    HWND box = control(combo);
    SendMessageW(box, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageW(GetParent(box), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(box), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(box));
}

void type_text(std::intptr_t field, const std::string &text) {
    SetWindowTextW(control(field), wide(text_from_utf8(text.c_str())));
}

void paste_text(std::intptr_t field, const std::string &text) {
    SetWindowTextW(control(field), L"");
    const WideText pasted = text_from_utf8(text.c_str());
    if (OpenClipboard(nullptr)) {
        EmptyClipboard();
        HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (pasted.size() + 1) * sizeof(wchar_t));
        std::copy_n(pasted.c_str(), pasted.size() + 1, static_cast<char16_t *>(GlobalLock(memory)));
        GlobalUnlock(memory);
        SetClipboardData(CF_UNICODETEXT, memory);
        CloseClipboard();
    }
    SendMessageW(control(field), WM_PASTE, 0, 0);
}

// A click on a row: it becomes the selected one; clicking the row already
// selected changes nothing but still reports the click.
void select_row(int r) {
    HWND list = control(app.channel_list);
    const bool already = ListView_GetItemState(list, r, LVIS_SELECTED) != 0;
    ListView_SetItemState(list, r, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_EnsureVisible(list, r, FALSE);
    if (!already) return;
    NMITEMACTIVATE notice{};
    notice.hdr = {list, static_cast<UINT_PTR>(GetDlgCtrlID(list)), static_cast<UINT>(NM_CLICK)};
    notice.iItem = r;
    SendMessageW(GetParent(list), WM_NOTIFY, notice.hdr.idFrom, reinterpret_cast<LPARAM>(&notice));
}
