// The program kalvo-win32.exe itself, started as a child process and driven
// through its window's controls from here: it starts, lists the port of the
// transceiver (at 9600 baud: six seconds for a read), and ends at once on the
// close box in the middle of a read. The editor behind the window is the one
// the editor suite drives in process.
#include "tests/app/editor_harness.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <chrono>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

// The program, ended (if it is still running) when the test ends.
struct Child {
    PROCESS_INFORMATION info{};
    ~Child() {
        if (!info.hProcess) return;
        TerminateProcess(info.hProcess, 1);
        CloseHandle(info.hProcess);
        CloseHandle(info.hThread);
    }
};

// A message to the program that gives up when its thread is not serving
// messages (it is still starting up); -1 then.
LRESULT ask(HWND control, UINT message, WPARAM wparam = 0, LPARAM lparam = 0) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(control, message, wparam, lparam, SMTO_ABORTIFHUNG, 1000, &result)) return -1;
    return static_cast<LRESULT>(result);
}

// The item's index in the combo's list, -1 when it is not listed.
LRESULT item_index(HWND combo, const std::string &item) {
    const std::wstring wide(item.begin(), item.end());
    return ask(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(wide.c_str()));
}

// The combo among the window's controls that lists the port.
HWND port_combo(HWND window, const std::string &port) {
    HWND combo = nullptr;
    while ((combo = FindWindowExW(window, combo, L"ComboBox", nullptr)) && item_index(combo, port) < 0) {
    }
    return combo;
}

std::wstring program_path() {
    std::string path = KALVO_WIN32_PATH;
    if (!path.empty() && path.front() == '/') { // a cross build: the unix path, seen from wine
        for (char &c : path) c = c == '/' ? '\\' : c;
        path = "Z:" + path;
    }
    return std::wstring(path.begin(), path.end());
}

} // namespace

TEST(Program, StartsAndEndsAtOnceOnTheCloseBoxDuringARead) {
    const RadioSetup setup = radio_setup();
    if (setup.ports.empty()) GTEST_SKIP() << "no transceiver on a COM port (with_radios.sh)";
    Child child;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    const std::wstring path = program_path();
    ASSERT_TRUE(CreateProcessW(path.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                               &child.info));
    // Ready once the window shows its 100 rows and the port list is filled in.
    HWND window = nullptr, list = nullptr, combo = nullptr, read_button = nullptr;
    const Clock::time_point end = Clock::now() + std::chrono::seconds(30);
    while (Clock::now() < end && !(combo && read_button && ask(list, LVM_GETITEMCOUNT) == 100)) {
        Sleep(100);
        if (!(window = FindWindowW(nullptr, L"Kalvo 1.03"))) continue;
        list = FindWindowExW(window, nullptr, WC_LISTVIEWW, nullptr);
        read_button = FindWindowExW(window, nullptr, L"Button", L"Read TRX");
        combo = port_combo(window, setup.ports[0]);
    }
    ASSERT_TRUE(combo && read_button) << "the window was not ready within 30 s";
    EXPECT_LT(item_index(combo, setup.absent_ports.at(0)), 0);
    EXPECT_EQ(GetWindowLongW(window, GWL_STYLE) & WS_THICKFRAME, 0); // fixed size

    ask(combo, CB_SETCURSEL, static_cast<WPARAM>(item_index(combo, setup.ports[0])));
    ask(read_button, BM_CLICK);
    const Clock::time_point started = Clock::now() + std::chrono::seconds(10);
    while (Clock::now() < started && IsWindowEnabled(read_button)) Sleep(10);
    ASSERT_FALSE(IsWindowEnabled(read_button)) << "the read did not start";
    Sleep(1500);
    // Still reading: the button comes back only when the read has ended.
    EXPECT_FALSE(IsWindowEnabled(read_button));
    PostMessageW(window, WM_CLOSE, 0, 0);
    ASSERT_EQ(WaitForSingleObject(child.info.hProcess, 2000), WAIT_OBJECT_0) << "still running 2 s after the close";
    DWORD code = 1;
    GetExitCodeProcess(child.info.hProcess, &code);
    EXPECT_EQ(code, 0u);
}
