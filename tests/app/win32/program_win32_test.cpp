// The program kalvo-win32.exe itself, started as a child process and driven
// through its window's controls from here: its start-up, and how it ends on
// the close box, also in the middle of a read from a transceiver at 9600 baud.
#include "tests/app/editor_harness.h"
#include "tests/app/win32/win32_text.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

// The program's controls, told apart by class and place in the window.
struct ProgramWindow {
    HWND window = nullptr;
    HWND port_combo = nullptr, mode_combo = nullptr, preatt_combo = nullptr;
    HWND channel_field = nullptr, frequency_field = nullptr;
    HWND read_button = nullptr, list = nullptr;
};

std::string class_of(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return ascii_text(name);
}

POINT client_place(HWND child) {
    RECT rect{};
    GetWindowRect(child, &rect);
    POINT place{rect.left, rect.top};
    ScreenToClient(GetParent(child), &place);
    return place;
}

BOOL CALLBACK note_control(HWND child, LPARAM data) {
    auto *found = reinterpret_cast<ProgramWindow *>(data);
    const std::string name = class_of(child);
    const POINT at = client_place(child);

    if (name == "ComboBox") {
        (at.x == 440 ? found->port_combo : at.y == 120 ? found->mode_combo : found->preatt_combo) = child;
    } else if (name == "Edit" && at.x == 400) {
        (at.y == 60 ? found->channel_field : found->frequency_field) = child;
    } else if (name == "Button" && at.x == 10 && at.y == 10) {
        found->read_button = child;
    } else if (name == "SysListView32") {
        found->list = child;
    }
    return TRUE;
}

struct WindowSearch {
    DWORD process;
    HWND found;
};

BOOL CALLBACK match_program_window(HWND window, LPARAM data) {
    auto *search = reinterpret_cast<WindowSearch *>(data);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == search->process && IsWindowVisible(window) && shown_text(window) == "Kalvo 1.03") {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

// A message to the program that gives up when its thread is not serving
// messages (it is still starting up); -1 then.
LRESULT ask(HWND control, UINT message, WPARAM wparam = 0, LPARAM lparam = 0) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(control, message, wparam, lparam, SMTO_ABORTIFHUNG, 1000, &result))
        return -1;
    return static_cast<LRESULT>(result);
}

std::string combo_item(HWND combo, LRESULT index) {
    wchar_t text[64] = {};
    if (index < 0 || ask(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index)) >= 64) return "";
    ask(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
    return ascii_text(text);
}

std::string field_text(HWND field) {
    wchar_t text[64] = {};
    ask(field, WM_GETTEXT, 64, reinterpret_cast<LPARAM>(text));
    return ascii_text(text);
}

std::wstring program_path() {
    std::string path = KALVO_WIN32_PATH;
    if (!path.empty() && path.front() == '/') { // a cross build: the unix path, seen from wine
        for (char &c : path) c = c == '/' ? '\\' : c;
        path = "Z:" + path;
    }
    return std::wstring(path.begin(), path.end());
}

class Program : public ::testing::Test {
protected:
    void SetUp() override {
        setup_ = radio_setup();
        if (setup_.ports.empty()) GTEST_SKIP() << "no transceiver on a COM port (with_radios.sh)";
    }
    void TearDown() override {
        if (process_.hProcess) {
            TerminateProcess(process_.hProcess, 1);
            CloseHandle(process_.hProcess);
            CloseHandle(process_.hThread);
        }
    }
    // Starts the program and waits (at most 30 s) until its start-up is done:
    // 100 rows and the edit controls set.
    void start() {
        std::wstring path = program_path();
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        ASSERT_TRUE(CreateProcessW(path.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr,
                                   nullptr, &startup, &process_));
        const Clock::time_point end = Clock::now() + std::chrono::seconds(30);
        WindowSearch search{process_.dwProcessId, nullptr};
        while (Clock::now() < end) {
            if (!search.found) EnumWindows(match_program_window, reinterpret_cast<LPARAM>(&search));
            if (search.found) {
                program_ = {search.found};
                EnumChildWindows(search.found, note_control, reinterpret_cast<LPARAM>(&program_));
                if (program_.list && ask(program_.list, LVM_GETITEMCOUNT) == 100 &&
                    program_.preatt_combo && ask(program_.preatt_combo, CB_GETCURSEL) == 0)
                    return;
            }
            Sleep(100);
        }
        FAIL() << "the program's window was not ready within 30 s";
    }
    // Asks the window to close; the exit code, or -1 when the process did not
    // end within two seconds.
    long close_and_wait() {
        PostMessageW(program_.window, WM_CLOSE, 0, 0);
        if (WaitForSingleObject(process_.hProcess, 2000) != WAIT_OBJECT_0) return -1;
        DWORD code = 0;
        GetExitCodeProcess(process_.hProcess, &code);
        return static_cast<long>(code);
    }

    RadioSetup setup_;
    PROCESS_INFORMATION process_{};
    ProgramWindow program_;
};

} // namespace

TEST_F(Program, StartsWithItsPortsAndEmptyChannelsAndEndsOnTheCloseBox) {
    ASSERT_NO_FATAL_FAILURE(start());
    std::vector<std::string> ports;
    for (LRESULT index = 0; index < ask(program_.port_combo, CB_GETCOUNT); ++index)
        ports.push_back(combo_item(program_.port_combo, index));
    for (const std::string &port : setup_.ports)
        EXPECT_NE(std::find(ports.begin(), ports.end(), port), ports.end()) << port;
    for (const std::string &port : setup_.absent_ports)
        EXPECT_EQ(std::find(ports.begin(), ports.end(), port), ports.end()) << port;
    EXPECT_EQ(ask(program_.port_combo, CB_GETCURSEL), CB_ERR);
    EXPECT_EQ(field_text(program_.channel_field), "0");
    EXPECT_EQ(field_text(program_.frequency_field), "");
    EXPECT_EQ(combo_item(program_.mode_combo, ask(program_.mode_combo, CB_GETCURSEL)), "USB");
    EXPECT_EQ(combo_item(program_.preatt_combo, ask(program_.preatt_combo, CB_GETCURSEL)), "---");
    EXPECT_EQ(GetWindowLongW(program_.window, GWL_STYLE) & WS_THICKFRAME, 0); // fixed size
    EXPECT_EQ(close_and_wait(), 0);
}

TEST_F(Program, ClosingDuringAReadEndsTheProgramAtOnce) {
    ASSERT_NO_FATAL_FAILURE(start());
    const std::wstring port_name(setup_.ports[0].begin(), setup_.ports[0].end());
    const LRESULT port = ask(program_.port_combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                             reinterpret_cast<LPARAM>(port_name.c_str()));
    ASSERT_GE(port, 0);
    ask(program_.port_combo, CB_SETCURSEL, static_cast<WPARAM>(port));
    ask(program_.read_button, BM_CLICK);
    // A read at 9600 baud takes six seconds; close a little way into it.
    const Clock::time_point end = Clock::now() + std::chrono::seconds(10);
    while (Clock::now() < end && IsWindowEnabled(program_.read_button)) Sleep(10);
    ASSERT_FALSE(IsWindowEnabled(program_.read_button)) << "the read did not start";
    Sleep(1500);
    // Still reading: the button comes back only when the read has ended.
    EXPECT_FALSE(IsWindowEnabled(program_.read_button));
    const Clock::time_point closed = Clock::now();
    EXPECT_EQ(close_and_wait(), 0);
    EXPECT_LT(Clock::now() - closed, std::chrono::seconds(2));
}
