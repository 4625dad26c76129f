// kalvo-win32.exe itself as a child process, driven through its window's
// controls: it starts with the transceiver's port listed (9600 baud: six
// seconds for a read) and ends at once, cleanly, on the close box mid-read.
#include "tests/app/radios.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>

namespace {

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

} // namespace

TEST(Program, StartsAndEndsAtOnceOnTheCloseBoxDuringARead) {
    const RadioSetup setup = radio_setup();
    if (setup.ports.empty()) GTEST_SKIP() << "no transceiver on a COM port (with_radios.sh)";
    std::string path = KALVO_WIN32_PATH;
    if (path.front() == '/') path = "Z:" + path; // a cross build: the unix path, seen from wine
    std::replace(path.begin(), path.end(), '/', '\\');
    const std::wstring program(path.begin(), path.end()), port(setup.ports[0].begin(), setup.ports[0].end());
    Child child;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    ASSERT_TRUE(CreateProcessW(program.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                               &child.info));
    // Ready once the window shows its 100 rows and the port combo lists the port.
    HWND window = nullptr, combo = nullptr, read_button = nullptr;
    LRESULT item = -1;
    ASSERT_TRUE(poll_until([&] {
        window = FindWindowW(nullptr, L"Kalvo 1.03");
        read_button = window ? FindWindowExW(window, nullptr, L"Button", L"Read TRX") : nullptr;
        for (combo = nullptr; window && (combo = FindWindowExW(window, combo, L"ComboBox", nullptr));)
            if ((item = ask(combo, CB_FINDSTRINGEXACT, -1, reinterpret_cast<LPARAM>(port.c_str()))) >= 0) break;
        HWND list = window ? FindWindowExW(window, nullptr, WC_LISTVIEWW, nullptr) : nullptr;
        return combo && read_button && ask(list, LVM_GETITEMCOUNT) == 100;
    }, 30000)) << "the window was not ready within 30 s";
    EXPECT_EQ(GetWindowLongW(window, GWL_STYLE) & WS_THICKFRAME, 0); // fixed size

    ask(combo, CB_SETCURSEL, static_cast<WPARAM>(item));
    ask(read_button, BM_CLICK);
    ASSERT_TRUE(poll_until([&] { return !IsWindowEnabled(read_button); }, 10000)) << "the read did not start";
    Sleep(1500);
    EXPECT_FALSE(IsWindowEnabled(read_button)) << "the read ended early";
    PostMessageW(window, WM_CLOSE, 0, 0);
    ASSERT_EQ(WaitForSingleObject(child.info.hProcess, 2000), WAIT_OBJECT_0) << "still running 2 s after the close";
    DWORD code = 1;
    GetExitCodeProcess(child.info.hProcess, &code);
    EXPECT_EQ(code, 0u);
}
