// The Win32 part of the toolkit view: input as the controls' own messages,
// read-backs with the controls' messages and what they paint. Requesters are
// answered by a helper thread.
#include "toolkit_view.h"
#include "start/start.h"
#include "win32/win32_private.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <mutex>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

class ToolkitEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        static char name[] = "gui_win32_test";
        static char *args[] = {name, nullptr};
        runtime_start(1, args);
    }
};

[[maybe_unused]] ::testing::Environment *const environment =
    ::testing::AddGlobalTestEnvironment(new ToolkitEnvironment);

HWND control(ObjectId gadget) { return static_cast<HWND>(gadget_native_handle(gadget)); }
HWND window_of(ObjectId window) { return static_cast<HWND>(window_native_handle(window)); }
std::string utf8(const wchar_t *text) { return text_to_utf8(from_wide(text)); }
std::string text_of(HWND hwnd) { return text_to_utf8(window_text(hwnd)); }
LRESULT send(HWND hwnd, UINT message, WPARAM wparam = 0, LPARAM lparam = 0) {
    return SendMessageW(hwnd, message, wparam, lparam);
}

std::wstring class_of(HWND hwnd) {
    wchar_t name[64] = {};
    GetClassNameW(hwnd, name, 64);
    return name;
}

HWND status_bar(ObjectId window) {
    return FindWindowExW(window_of(window), nullptr, STATUSCLASSNAMEW, nullptr);
}

// Share of the field's width painted in the highlight colour.
double filled_share(HWND status) {
    RECT part{};
    send(status, SB_GETRECT, 0, reinterpret_cast<LPARAM>(&part));
    RedrawWindow(status, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    HDC dc = GetDC(status);
    int filled = 0;
    for (int x = part.left + 2; x < part.right - 2; ++x)
        filled += GetPixel(dc, x, (part.top + part.bottom) / 2) == GetSysColor(COLOR_HIGHLIGHT);
    ReleaseDC(status, dc);
    return static_cast<double>(filled) / (part.right - part.left - 4);
}

int column_count(ObjectId list) {
    return static_cast<int>(
        send(reinterpret_cast<HWND>(send(control(list), LVM_GETHEADER)), HDM_GETITEMCOUNT));
}

// A requester of this process on screen, whichever thread shows it.
bool is_our_dialog(HWND window) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    return process == GetCurrentProcessId() && IsWindowVisible(window) &&
           class_of(window) == L"#32770";
}

BOOL CALLBACK count_dialog(HWND window, LPARAM count) {
    *reinterpret_cast<int *>(count) += is_our_dialog(window);
    return TRUE;
}

DialogSeen what_shows(HWND dialog) {
    DialogSeen seen;
    seen.title = text_of(dialog);
    seen.text = text_of(GetDlgItem(dialog, 0xFFFF));
    seen.yes_no = GetDlgItem(dialog, IDYES) != nullptr;
    seen.file_requester = GetDlgItem(dialog, 0x47C) != nullptr;
    seen.file_name = text_of(GetDlgItem(dialog, 0x47C));
    seen.filter = text_of(GetDlgItem(dialog, 0x470));
    seen.in_front = GetWindowLongPtrW(dialog, GWL_EXSTYLE) & WS_EX_TOPMOST;
    return seen;
}

// Requesters being answered, by a helper thread of their own. A dialog still
// setting itself up or reading its folder may turn the answer down, so it is
// given again while the dialog stays up.
struct Answering {
    DialogAnswer answer;
    DialogSeen seen;
    Clock::time_point next_try;
};
std::mutex decide_lock;
std::function<std::optional<DialogAnswer>(const DialogSeen &)> decide;
std::map<HWND, Answering> answering; // the helper's
constexpr const wchar_t *ANSWERED = L"kalvo_test_answered";

void give(HWND dialog, const DialogAnswer &answer) {
    if (!answer.file.empty())
        SetWindowTextW(GetDlgItem(dialog, 0x47C), wide(text_from_utf8(answer.file.c_str())));
    const Reply reply = answer.reply;
    if (reply == Reply::cancel && !GetDlgItem(dialog, IDCANCEL))
        return (void)PostMessageW(dialog, WM_CLOSE, 0, 0); // the close box
    const int id = reply == Reply::ok    ? IDOK
                   : reply == Reply::yes ? IDYES
                   : reply == Reply::no  ? IDNO
                                         : IDCANCEL;
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// Takes up a requester not answered yet.
BOOL CALLBACK take_dialog(HWND window, LPARAM) {
    if (!is_our_dialog(window) || GetPropW(window, ANSWERED))
        return TRUE;
    const DialogSeen seen = what_shows(window);
    std::optional<DialogAnswer> answer;
    {
        std::lock_guard lock(decide_lock);
        if (decide)
            answer = decide(seen);
    }
    if (!answer)
        return TRUE;
    // A handle may come back for the next dialog: the mark goes with the window.
    SetPropW(window, ANSWERED, window);
    const auto first_try =
        Clock::now() + std::chrono::milliseconds(std::max(answer->after_ms, 300));
    answering[window] = {*answer, seen, first_try};
    return TRUE;
}

void answer_dialogs() {
    for (;; Sleep(50)) {
        EnumWindows(take_dialog, 0);
        for (auto a = answering.begin(); a != answering.end();) {
            if (!IsWindow(a->first) || !IsWindowVisible(a->first) ||
                !GetPropW(a->first, ANSWERED)) {
                dialog_answered(a->second.seen);
                a = answering.erase(a);
                continue;
            }
            if (Clock::now() >= a->second.next_try) {
                give(a->first, a->second.answer);
                a->second.next_try = Clock::now() + std::chrono::seconds(2);
            }
            ++a;
        }
    }
}

} // namespace

bool is_toolkit_event(std::int32_t code) { return code >= EVENT_GADGET && code <= EVENT_RESIZED; }

void click(ObjectId button) { send(control(button), BM_CLICK); }

void type_into(ObjectId field, const std::string &text) {
    send(control(field), EM_SETSEL, 0x7FFF, 0x7FFF);
    for (char16_t c : text_from_utf8(text.c_str()))
        send(control(field), WM_CHAR, c);
}

void click_row(ObjectId list, int row) {
    HWND view = control(list);
    RECT bounds{};
    bounds.left = LVIR_BOUNDS;
    send(view, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&bounds));
    const LPARAM at = MAKELPARAM(40, (bounds.top + bounds.bottom) / 2);
    SetFocus(view);
    PostMessageW(view, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(view, WM_LBUTTONUP, 0, at);
}

void press_close_box(ObjectId window) { send(window_of(window), WM_CLOSE); }

WindowLook look_of(ObjectId window) {
    HWND hwnd = window_of(window);
    RECT frame{}, client{};
    GetWindowRect(hwnd, &frame);
    GetClientRect(hwnd, &client);
    const auto style = GetWindowLongPtrW(hwnd, GWL_STYLE);
    return {text_of(hwnd),
            {frame.left, frame.top, frame.right - frame.left, frame.bottom - frame.top},
            client.right,
            client.bottom,
            (style & WS_THICKFRAME) != 0,
            (style & WS_MINIMIZEBOX) != 0,
            (style & WS_MAXIMIZEBOX) != 0};
}

Rect screen_size() { return {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}; }

bool window_usable(ObjectId window) {
    return IsWindowVisible(window_of(window)) && IsWindowEnabled(window_of(window));
}

// A combo with images keeps its items' texts out of its window text.
std::string shown_text(ObjectId gadget) {
    HWND hwnd = control(gadget);
    if (class_of(hwnd) != WC_COMBOBOXEXW)
        return text_of(hwnd);
    wchar_t text[256] = {};
    COMBOBOXEXITEMW item{};
    item.mask = CBEIF_TEXT;
    item.iItem = send(hwnd, CB_GETCURSEL);
    item.pszText = text;
    item.cchTextMax = 256;
    return item.iItem >= 0 && send(hwnd, CBEM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))
               ? utf8(text)
               : "";
}

// Windows names an edit or combo box after the static text just before it
// among its siblings.
std::string name_read_aloud(ObjectId gadget) {
    HWND before = GetWindow(control(gadget), GW_HWNDPREV);
    return before && class_of(before) == L"Static" ? text_of(before) : "";
}

bool is_enabled(ObjectId gadget) { return IsWindowEnabled(control(gadget)); }

std::string shown_row(ObjectId list, int row) {
    if (row < 0 || row >= send(control(list), LVM_GETITEMCOUNT))
        return "";
    std::string cells;
    for (int column = 0; column < column_count(list); ++column) {
        wchar_t text[256] = {};
        LVITEMW item{};
        item.iSubItem = column;
        item.pszText = text;
        item.cchTextMax = 256;
        send(control(list), LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
             reinterpret_cast<LPARAM>(&item));
        cells += (column ? "|" : "") + utf8(text);
    }
    return cells;
}

void *test_image() {
    static const HBITMAP dot = [] {
        HDC screen = GetDC(nullptr);
        HBITMAP made = CreateCompatibleBitmap(screen, 16, 16);
        ReleaseDC(nullptr, screen);
        return made;
    }();
    return dot;
}

// The row's image is one of the list's small images.
bool row_shows_image(ObjectId list, int row) {
    LVITEMW item{};
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    send(control(list), LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    const auto images =
        reinterpret_cast<HIMAGELIST>(send(control(list), LVM_GETIMAGELIST, LVSIL_SMALL));
    return item.iImage >= 0 && item.iImage < ImageList_GetImageCount(images);
}

std::vector<int> selected_rows(ObjectId list) {
    std::vector<int> rows;
    for (int row = -1;
         (row = static_cast<int>(send(control(list), LVM_GETNEXTITEM, row, LVNI_SELECTED))) >= 0;)
        rows.push_back(row);
    return rows;
}

std::pair<int, int> rows_in_view(ObjectId list) {
    const int top = static_cast<int>(send(control(list), LVM_GETTOPINDEX));
    return {top, top + static_cast<int>(send(control(list), LVM_GETCOUNTPERPAGE)) - 1};
}

// Themed, the field holds a progress control; otherwise the toolkit paints the bar itself.
double progress_shown(ObjectId window) {
    HWND status = status_bar(window);
    HWND bar = FindWindowExW(status, nullptr, PROGRESS_CLASSW, nullptr);
    if (!bar)
        return filled_share(status);
    PBRANGE range{};
    send(bar, PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
    return static_cast<double>(send(bar, PBM_GETPOS) - range.iLow) /
           std::max(1, range.iHigh - range.iLow);
}

void answer_every_dialog(std::function<std::optional<DialogAnswer>(const DialogSeen &)> answer) {
    [[maybe_unused]] static const bool started = (std::thread(answer_dialogs).detach(), true);
    std::lock_guard lock(decide_lock);
    decide = std::move(answer);
}

int dialogs_showing() {
    int count = 0;
    EnumWindows(count_dialog, reinterpret_cast<LPARAM>(&count));
    return count;
}

std::string scratch_path(const std::string &name, bool create) {
    static const std::wstring folder = [] {
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        const std::wstring made =
            std::wstring(temp) + L"kalvo_gui_" + std::to_wstring(GetCurrentProcessId());
        CreateDirectoryW(made.c_str(), nullptr);
        return made;
    }();
    const std::string path = utf8(folder.c_str()) + "\\" + name;
    if (create)
        CloseHandle(CreateFileW(wide(text_from_utf8(path.c_str())), GENERIC_WRITE, 0, nullptr,
                                CREATE_ALWAYS, 0, nullptr));
    return path;
}

std::string unusual_file_name() { return "caf\xC3\xA9.mem"; }
WideText native_name(const std::string &path) { return text_from_utf8(path.c_str()); }
std::string from_native_name(const WideText &name) { return text_to_utf8(name); }
