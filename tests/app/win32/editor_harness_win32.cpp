#include "tests/app/editor_harness.h"

#include "gui/gui.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

// The file dialog's file name box and the message box's text.
constexpr int FILE_NAME_BOX = 0x47C;
constexpr int MESSAGE_TEXT = 0xFFFF;
constexpr const wchar_t *ANSWERED = L"kalvo_test_answered";

std::wstring widen(const std::string &text) {
    return std::wstring(text.begin(), text.end()); // the tests use ASCII only
}

// The tests' texts are ASCII: one byte per unit.
std::string ascii_text(const wchar_t *text) {
    std::string result;
    for (; text && *text; ++text) result += static_cast<char>(*text);
    return result;
}

std::string shown_text(HWND window) {
    wchar_t text[512] = {};
    GetWindowTextW(window, text, 512);
    return ascii_text(text);
}

HWND control(std::intptr_t gadget) {
    return static_cast<HWND>(gadget_native_handle(gadget));
}

void press(HWND dialog, int id) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// File dialogs seen: the name to give and when it was last given. A dialog
// may still be reading its folder when the name arrives, so the answer is
// given again while the dialog stays up.
struct FileDialogAnswer {
    std::wstring name;
    Clock::time_point given;
};
std::map<HWND, FileDialogAnswer> file_dialogs;

void answer_file_dialog(HWND dialog) {
    const Clock::time_point now = Clock::now();
    auto found = file_dialogs.find(dialog);
    if (found == file_dialogs.end() || !GetPropW(dialog, ANSWERED)) {
        // A new dialog (a handle may come back for the next one); answered
        // at a later look, once it has settled.
        SetPropW(dialog, ANSWERED, dialog);
        note_seen({shown_text(dialog), "file chooser"});
        file_dialogs[dialog] = {widen(next_file_answer()), now};
        return;
    }
    if (now - found->second.given < std::chrono::milliseconds(300)) return;
    found->second.given = now + std::chrono::seconds(2); // again in 2.3 s
    if (found->second.name.empty()) return press(dialog, IDCANCEL);
    SendMessageW(GetDlgItem(dialog, FILE_NAME_BOX), WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>(found->second.name.c_str()));
    press(dialog, IDOK);
}

void answer_message_box(HWND box) {
    if (GetPropW(box, ANSWERED)) return;
    SetPropW(box, ANSWERED, box);
    wchar_t text[512] = {};
    GetDlgItemTextW(box, MESSAGE_TEXT, text, 512);
    note_seen({shown_text(box), ascii_text(text)});
    const Answer answer = GetDlgItem(box, IDYES) ? next_answer() : Answer::yes;
    if (!GetDlgItem(box, IDYES))
        press(box, IDOK);
    else if (answer == Answer::neither)
        PostMessageW(box, WM_CLOSE, 0, 0); // the close box
    else
        press(box, answer == Answer::yes ? IDYES : IDNO);
}

// The dialogs of this process, whichever thread shows them.
BOOL CALLBACK answer_our_dialog(HWND window, LPARAM) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    wchar_t name[16] = {};
    GetClassNameW(window, name, 16);
    if (process != GetCurrentProcessId() || !IsWindowVisible(window) || lstrcmpW(name, L"#32770") != 0)
        return TRUE;
    if (GetDlgItem(window, FILE_NAME_BOX))
        answer_file_dialog(window);
    else
        answer_message_box(window);
    return TRUE;
}

} // namespace

void harness_start() {
    static bool started = false;
    if (started) return;
    started = true;
    static char name[] = "kalvo-test";
    static char *argv[] = {name, nullptr};
    runtime_start(1, argv);
    app_start();
    std::thread([] {
        for (;; Sleep(100)) EnumWindows(answer_our_dialog, 0);
    }).detach();
}

void click(std::intptr_t button) {
    SendMessageW(control(button), BM_CLICK, 0, 0);
}

// The selection changes, then the combo tells its parent, as after a pick
// from the drop-down list.
void choose_item(std::intptr_t combo, int index) {
    HWND box = control(combo);
    SendMessageW(box, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageW(GetParent(box), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(box), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(box));
}

void type_text(std::intptr_t field, const std::string &text) {
    SetWindowTextW(control(field), widen(text).c_str());
}

void paste_text(std::intptr_t field, const std::string &text) {
    SetWindowTextW(control(field), L"");
    const std::wstring wide = widen(text);
    if (OpenClipboard(nullptr)) {
        EmptyClipboard();
        HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (wide.size() + 1) * sizeof(wchar_t));
        std::copy_n(wide.c_str(), wide.size() + 1, static_cast<wchar_t *>(GlobalLock(memory)));
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

bool is_enabled(std::intptr_t gadget) {
    return IsWindowEnabled(control(gadget));
}

int selected_row() {
    return static_cast<int>(ListView_GetNextItem(control(app.channel_list), -1, LVNI_SELECTED));
}
