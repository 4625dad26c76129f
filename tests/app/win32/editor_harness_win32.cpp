#include "tests/app/editor_harness.h"
#include "tests/app/win32/win32_text.h"

#include "gui/gui.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <deque>
#include <fstream>
#include <iterator>
#include <map>
#include <mutex>
#include <sstream>
#include <thread>
#include <utility>

namespace {

using Clock = std::chrono::steady_clock;

// The file dialog's file name box and the message box's text.
constexpr int FILE_NAME_BOX = 0x47C;
constexpr int MESSAGE_TEXT = 0xFFFF;
constexpr const wchar_t *ANSWERED = L"kalvo_test_answered";

std::wstring widen(const std::string &text) {
    return std::wstring(text.begin(), text.end()); // the tests use ASCII only
}

HWND control(std::intptr_t gadget) {
    return static_cast<HWND>(gadget_native_handle(gadget));
}

// Shared with the helper thread.
std::mutex answers_lock;
std::deque<std::string> file_answers;
std::deque<Answer> question_answers;
std::vector<Seen> seen;
bool messages_held = false;

// File dialogs seen: the name to give and when it was last given.
struct FileDialogAnswer {
    std::wstring name;
    Clock::time_point given;
};
std::map<HWND, FileDialogAnswer> file_dialogs;

void press(HWND dialog, int id) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// A file dialog may still be reading its folder when the name arrives, so
// the answer is given again while the dialog stays up.
void answer_file_dialog(HWND dialog) {
    const Clock::time_point now = Clock::now();
    auto found = file_dialogs.find(dialog);
    if (found == file_dialogs.end() || !GetPropW(dialog, ANSWERED)) {
        // A new dialog (a handle may come back for the next one).
        SetPropW(dialog, ANSWERED, dialog);
        seen.push_back({shown_text(dialog), "file chooser"});
        std::wstring name;
        if (!file_answers.empty()) {
            name = widen(file_answers.front());
            file_answers.pop_front();
        }
        file_dialogs[dialog] = {name, now};
        return; // answered at a later look, once the dialog has settled
    }
    if (now - found->second.given < std::chrono::milliseconds(300)) return;
    found->second.given = now + std::chrono::seconds(2); // again in 2.3 s
    const std::wstring &name = found->second.name;
    if (name.empty()) {
        press(dialog, IDCANCEL);
        return;
    }
    SendMessageW(GetDlgItem(dialog, FILE_NAME_BOX), WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>(name.c_str()));
    press(dialog, IDOK);
}

void answer_message_box(HWND box) {
    if (messages_held || GetPropW(box, ANSWERED)) return;
    SetPropW(box, ANSWERED, box);
    wchar_t text[512] = {};
    GetDlgItemTextW(box, MESSAGE_TEXT, text, 512);
    seen.push_back({shown_text(box), ascii_text(text)});
    if (!GetDlgItem(box, IDYES)) {
        press(box, IDOK);
        return;
    }
    Answer answer = Answer::yes;
    if (!question_answers.empty()) {
        answer = question_answers.front();
        question_answers.pop_front();
    }
    if (answer == Answer::neither)
        PostMessageW(box, WM_CLOSE, 0, 0); // the close box
    else
        press(box, answer == Answer::yes ? IDYES : IDNO);
}

BOOL CALLBACK note_our_dialog(HWND window, LPARAM list) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    wchar_t name[16] = {};
    GetClassNameW(window, name, 16);
    if (process == GetCurrentProcessId() && IsWindowVisible(window) &&
        lstrcmpW(name, L"#32770") == 0)
        reinterpret_cast<std::vector<HWND> *>(list)->push_back(window);
    return TRUE;
}

// The dialogs of this process, whichever thread shows them.
std::vector<HWND> our_dialogs() {
    std::vector<HWND> found;
    EnumWindows(note_our_dialog, reinterpret_cast<LPARAM>(&found));
    return found;
}

void answer_dialogs() {
    for (;;) {
        Sleep(100);
        std::lock_guard lock(answers_lock);
        for (HWND dialog : our_dialogs()) {
            if (GetDlgItem(dialog, FILE_NAME_BOX))
                answer_file_dialog(dialog);
            else
                answer_message_box(dialog);
        }
    }
}

HWND find_child(HWND parent, const wchar_t *class_name) {
    return FindWindowExW(parent, nullptr, class_name, nullptr);
}

} // namespace

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

void harness_start() {
    static bool started = false;
    if (started) return;
    started = true;
    static char name[] = "kalvo-test";
    static char *argv[] = {name, nullptr};
    runtime_start(1, argv);
    app_start();
    std::thread(answer_dialogs).detach();
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

// A click on a row: it becomes the selected one; clicking the row already
// selected changes nothing but still reports the click.
void select_row(int r) {
    HWND list = control(app.channel_list);
    const bool already = ListView_GetItemState(list, r, LVIS_SELECTED) != 0;
    ListView_SetItemState(list, r, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_EnsureVisible(list, r, FALSE);
    if (already) {
        NMITEMACTIVATE notice{};
        notice.hdr.hwndFrom = list;
        notice.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(list));
        notice.hdr.code = NM_CLICK;
        notice.iItem = r;
        SendMessageW(GetParent(list), WM_NOTIFY, notice.hdr.idFrom,
                     reinterpret_cast<LPARAM>(&notice));
    }
}

std::vector<std::string> combo_items(std::intptr_t combo) {
    HWND box = control(combo);
    std::vector<std::string> items;
    const auto count = SendMessageW(box, CB_GETCOUNT, 0, 0);
    for (LRESULT index = 0; index < count; ++index) {
        wchar_t text[256] = {};
        SendMessageW(box, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
        items.push_back(ascii_text(text));
    }
    return items;
}

std::string text_of(std::intptr_t gadget) {
    HWND window = control(gadget);
    wchar_t name[16] = {};
    GetClassNameW(window, name, 16);
    if (lstrcmpiW(name, L"ComboBox") != 0) return shown_text(window);
    const auto index = SendMessageW(window, CB_GETCURSEL, 0, 0);
    return index < 0 ? "" : combo_items(gadget).at(static_cast<std::size_t>(index));
}

bool is_enabled(std::intptr_t gadget) {
    return IsWindowEnabled(control(gadget));
}

std::string window_title() {
    return shown_text(static_cast<HWND>(window_native_handle(app.main_window)));
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

int selected_row() {
    return static_cast<int>(ListView_GetNextItem(control(app.channel_list), -1, LVNI_SELECTED));
}

std::string row(int r) {
    std::string text;
    for (int column = 0; column < 4; ++column) {
        wchar_t cell[256] = {};
        ListView_GetItemText(control(app.channel_list), r, column, cell, 256);
        text += (column ? "|" : "") + ascii_text(cell);
    }
    return text;
}

namespace {

int progress_percent(HWND status) {
    if (HWND bar = find_child(status, PROGRESS_CLASSW))
        return static_cast<int>(SendMessageW(bar, PBM_GETPOS, 0, 0));
    // Drawn by the program: the share of the field in the highlight colour.
    RedrawWindow(status, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    RECT field{};
    GetClientRect(status, &field);
    field.right = std::min<LONG>(field.right, 530);
    HDC dc = GetDC(status);
    const int y = (field.top + field.bottom) / 2;
    int filled = 0;
    for (int x = field.left + 2; x < field.right - 2; ++x)
        filled += GetPixel(dc, x, y) == GetSysColor(COLOR_HIGHLIGHT);
    ReleaseDC(status, dc);
    return filled * 100 / std::max<int>(1, field.right - field.left - 4);
}

} // namespace

double progress() {
    return progress_percent(find_child(static_cast<HWND>(window_native_handle(app.main_window)),
                                       STATUSCLASSNAMEW)) / 100.0;
}

void queue_file_answer(const std::string &name) {
    std::lock_guard lock(answers_lock);
    file_answers.push_back(name);
}

void queue_answer(Answer answer) {
    std::lock_guard lock(answers_lock);
    question_answers.push_back(answer);
}

std::vector<Seen> take_seen() {
    std::lock_guard lock(answers_lock);
    return std::exchange(seen, {});
}

void hold_messages(bool hold) {
    std::lock_guard lock(answers_lock);
    messages_held = hold;
}

bool message_on_screen(const std::string &text) {
    std::lock_guard lock(answers_lock);
    for (HWND box : our_dialogs()) {
        wchar_t shown[512] = {};
        GetDlgItemTextW(box, MESSAGE_TEXT, shown, 512);
        if (ascii_text(shown) == text) return true;
    }
    return false;
}
