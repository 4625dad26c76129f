#include "tests/app/win32/editor_driver.h"

#include "gui/gui.h"

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

std::vector<std::string> words(const char *text) {
    std::vector<std::string> found;
    std::istringstream in(text ? text : "");
    for (std::string word; in >> word;) found.push_back(word);
    return found;
}

// Shared with the helper thread.
std::mutex answers_lock;
std::deque<std::string> file_answers;
std::deque<int> question_answers;
std::vector<SeenDialog> seen;
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
        seen.push_back({shown_text(dialog), "file dialog"});
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
    int answer = IDOK;
    if (GetDlgItem(box, IDYES)) {
        answer = IDYES;
        if (!question_answers.empty()) {
            answer = question_answers.front();
            question_answers.pop_front();
        }
    }
    press(box, answer);
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

RadioSetup radio_setup() {
    RadioSetup setup;
    if (const char *folder = std::getenv("KALVO_TEST_FOLDER")) setup.folder = folder;
    setup.ports = words(std::getenv("KALVO_TEST_PORTS"));
    setup.absent_ports = words(std::getenv("KALVO_TEST_ABSENT"));
    return setup;
}

std::string read_file(const std::filesystem::path &path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

bool wait_for_file(const std::filesystem::path &path, const std::string &bytes, int timeout_ms) {
    const Clock::time_point end = Clock::now() + std::chrono::milliseconds(timeout_ms);
    while (read_file(path) != bytes) {
        if (Clock::now() > end) return false;
        Sleep(50);
    }
    return true;
}

MemRecord record_at(const std::string &mem, int channel) {
    const auto *bytes = reinterpret_cast<const unsigned char *>(mem.data()) + 6 * channel;
    const std::uint32_t value = bytes[0] | bytes[1] << 8 | bytes[2] << 16 |
                                static_cast<std::uint32_t>(bytes[3]) << 24;
    return {static_cast<std::int32_t>(value), static_cast<char>(bytes[4]),
            static_cast<char>(bytes[5])};
}

std::string shown_row(int channel, const MemRecord &record) {
    static const std::map<char, std::string> modes = {{'1', "LSB"}, {'2', "USB"}, {'3', "CW "},
                                                      {'4', "FM "}, {'5', "AM "}, {'7', "CWR"}};
    static const std::map<char, std::string> preamps = {{'1', "PRE"}, {'2', "ATT"}};
    const std::string number = std::to_string(channel);
    if (record.frequency == 0) return number + "|||";
    auto mode = modes.find(record.mode);
    auto preatt = preamps.find(record.preatt);
    return number + "|" + std::to_string(record.frequency) + "|" +
           (mode != modes.end() ? mode->second : "   ") + "|" +
           (preatt != preamps.end() ? preatt->second : "---");
}

std::string mem_bytes(const std::vector<MemRecord> &records) {
    std::string bytes;
    for (const MemRecord &record : records) {
        const auto value = static_cast<std::uint32_t>(record.frequency);
        for (int shift = 0; shift < 32; shift += 8) bytes += static_cast<char>(value >> shift);
        bytes += record.mode;
        bytes += record.preatt;
    }
    return bytes;
}

void driver_start() {
    static bool started = false;
    if (started) return;
    started = true;
    static char name[] = "kalvo-test";
    static char *argv[] = {name, nullptr};
    runtime_start(1, argv);
    app_start();
    std::thread(answer_dialogs).detach();
}

bool run_events_until(const std::function<bool()> &done, int timeout_ms) {
    const Clock::time_point end = Clock::now() + std::chrono::milliseconds(timeout_ms);
    while (!done()) {
        if (Clock::now() > end) return false;
        if (!dispatch_event(event_wait_timeout(5))) return false;
    }
    return true;
}

void run_events_for(int ms) {
    run_events_until([] { return false; }, ms);
}

HWND control(std::intptr_t gadget) {
    return static_cast<HWND>(gadget_native_handle(gadget));
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

bool choose_port(const std::string &name) {
    const std::vector<std::string> items = combo_items(app.port_combo);
    for (std::size_t index = 0; index < items.size(); ++index) {
        if (items[index] == name) {
            choose_item(app.port_combo, static_cast<int>(index));
            return true;
        }
    }
    return false;
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

std::string shown_text(HWND window) {
    wchar_t text[512] = {};
    GetWindowTextW(window, text, 512);
    return ascii_text(text);
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

int combo_selection(std::intptr_t combo) {
    return static_cast<int>(SendMessageW(control(combo), CB_GETCURSEL, 0, 0));
}

std::string combo_text(std::intptr_t combo) {
    const int index = combo_selection(combo);
    return index < 0 ? "" : combo_items(combo).at(static_cast<std::size_t>(index));
}

int row_count() {
    return static_cast<int>(ListView_GetItemCount(control(app.channel_list)));
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

int progress_position() {
    return progress_percent(find_child(static_cast<HWND>(window_native_handle(app.main_window)),
                                       STATUSCLASSNAMEW));
}

bool run_exchange(std::intptr_t button, int timeout_ms) {
    click(button);
    if (!run_events_until([] { return app.exchange_running.load(); }, 2000)) return false;
    const bool ended = run_events_until([] { return !app.exchange_running; }, timeout_ms);
    run_events_for(100);
    return ended;
}

void queue_file_answer(const std::string &name) {
    std::lock_guard lock(answers_lock);
    file_answers.push_back(name);
}

void queue_question_answer(int answer) {
    std::lock_guard lock(answers_lock);
    question_answers.push_back(answer);
}

std::vector<SeenDialog> take_seen_dialogs() {
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
