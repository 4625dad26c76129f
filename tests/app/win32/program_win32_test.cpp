// The program kalvo-win32.exe itself, started as a child process and driven
// through its window's controls from here: it starts, lists the port of the
// transceiver (at 9600 baud: six seconds for a read), and ends at once on the
// close box in the middle of a read. The editor behind the window is the one
// the editor suite drives in process.
#include "tests/app/editor_harness.h"
#include "tests/app/win32/win32_text.h"

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

struct Controls {
    DWORD process = 0;
    HWND window = nullptr, list = nullptr, port_combo = nullptr, read_button = nullptr;
    std::string port;
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

BOOL CALLBACK note_control(HWND child, LPARAM data) {
    auto *found = reinterpret_cast<Controls *>(data);
    wchar_t name[64] = {};
    GetClassNameW(child, name, 64);
    const std::string kind = ascii_text(name);
    if (kind == "SysListView32") found->list = child;
    if (kind == "Button" && shown_text(child) == "Read TRX") found->read_button = child;
    if (kind == "ComboBox" && item_index(child, found->port) >= 0) found->port_combo = child;
    return TRUE;
}

BOOL CALLBACK note_window(HWND window, LPARAM data) {
    auto *found = reinterpret_cast<Controls *>(data);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != found->process || !IsWindowVisible(window) || shown_text(window) != "Kalvo 1.03") return TRUE;
    found->window = window;
    EnumChildWindows(window, note_control, data);
    return FALSE;
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
    Controls program;
    program.process = child.info.dwProcessId;
    program.port = setup.ports[0];
    const Clock::time_point end = Clock::now() + std::chrono::seconds(30);
    while (Clock::now() < end && !(program.list && ask(program.list, LVM_GETITEMCOUNT) == 100 &&
                                   program.port_combo && program.read_button)) {
        Sleep(100);
        EnumWindows(note_window, reinterpret_cast<LPARAM>(&program));
    }
    ASSERT_TRUE(program.port_combo && program.read_button) << "the window was not ready within 30 s";
    EXPECT_LT(item_index(program.port_combo, setup.absent_ports.at(0)), 0);
    EXPECT_EQ(GetWindowLongW(program.window, GWL_STYLE) & WS_THICKFRAME, 0); // fixed size

    ask(program.port_combo, CB_SETCURSEL, static_cast<WPARAM>(item_index(program.port_combo, program.port)));
    ask(program.read_button, BM_CLICK);
    const Clock::time_point started = Clock::now() + std::chrono::seconds(10);
    while (Clock::now() < started && IsWindowEnabled(program.read_button)) Sleep(10);
    ASSERT_FALSE(IsWindowEnabled(program.read_button)) << "the read did not start";
    Sleep(1500);
    // Still reading: the button comes back only when the read has ended.
    EXPECT_FALSE(IsWindowEnabled(program.read_button));
    PostMessageW(program.window, WM_CLOSE, 0, 0);
    ASSERT_EQ(WaitForSingleObject(child.info.hProcess, 2000), WAIT_OBJECT_0) << "still running 2 s after the close";
    DWORD code = 1;
    GetExitCodeProcess(child.info.hProcess, &code);
    EXPECT_EQ(code, 0u);
}
