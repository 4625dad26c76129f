// kalvo-win32.exe itself as a child process, used as a person uses it: every
// control shows on screen, ports, modes and pre-amp settings are chosen with
// the mouse and the keyboard at the controls' places on the screen, buttons
// are clicked, and the program ends at once, cleanly, on the close box in
// the middle of a read. COM60 reads at 9600 baud (six seconds for all
// channels), COM61 answers at once.
#include "program_path.h"
#include "radios.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

// The program, ended (if it is still running) when the test ends.
struct Child {
    PROCESS_INFORMATION info{};
    ~Child() {
        if (!info.hProcess)
            return;
        TerminateProcess(info.hProcess, 1);
        CloseHandle(info.hProcess);
        CloseHandle(info.hThread);
    }
};

// A message to the program that gives up when its thread is not serving
// messages (it is still starting up); -1 then.
LRESULT ask(HWND control, UINT message, WPARAM wparam = 0, LPARAM lparam = 0) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(control, message, wparam, lparam, SMTO_ABORTIFHUNG, 1000, &result))
        return -1;
    return static_cast<LRESULT>(result);
}

// A record in the program's own memory, for the list view's messages, which
// take pointers and are not carried between processes.
template <typename T> struct Remote {
    HANDLE process;
    void *at;
    Remote(HANDLE process, const T &value) : process(process) {
        at = VirtualAllocEx(process, nullptr, sizeof(T) + 512, MEM_COMMIT, PAGE_READWRITE);
        WriteProcessMemory(process, at, &value, sizeof value, nullptr);
    }
    ~Remote() { VirtualFreeEx(process, at, 0, MEM_RELEASE); }
    T get() const {
        T value{};
        ReadProcessMemory(process, at, &value, sizeof value, nullptr);
        return value;
    }
    LPARAM param() const { return reinterpret_cast<LPARAM>(at); }
};

std::string narrow(const std::wstring &text) { return std::string(text.begin(), text.end()); }

// Where the process's common controls were loaded from, in lower case.
std::wstring common_controls_of(HANDLE process) {
    HMODULE modules[1024];
    DWORD size = 0;
    if (!EnumProcessModules(process, modules, sizeof modules, &size))
        return L"";
    for (DWORD i = 0; i < std::min<DWORD>(size / sizeof(HMODULE), 1024); ++i) {
        wchar_t path[MAX_PATH] = {};
        GetModuleFileNameExW(process, modules[i], path, MAX_PATH);
        std::wstring lower(path);
        std::transform(lower.begin(), lower.end(), lower.begin(), towlower);
        if (lower.ends_with(L"\\comctl32.dll"))
            return lower;
    }
    return L"";
}

POINT centre_of(const RECT &rect) {
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

POINT centre_of(HWND control) {
    RECT rect;
    GetWindowRect(control, &rect);
    return centre_of(rect);
}

// A left click at a point of the screen, through the input queue, as the
// mouse makes it.
void click(POINT at) {
    INPUT input[3]{};
    for (INPUT &one : input)
        one.type = INPUT_MOUSE;
    input[0].mi.dx = MulDiv(at.x, 65536, GetSystemMetrics(SM_CXSCREEN));
    input[0].mi.dy = MulDiv(at.y, 65536, GetSystemMetrics(SM_CYSCREEN));
    input[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    input[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    input[2].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(3, input, sizeof(INPUT));
    Sleep(300);
}

void press(std::initializer_list<WORD> keys) {
    for (WORD key : keys) {
        INPUT input[2]{};
        input[0].type = input[1].type = INPUT_KEYBOARD;
        input[0].ki.wVk = input[1].ki.wVk = key;
        input[1].ki.dwFlags = KEYEVENTF_KEYUP;
        SendInput(2, input, sizeof(INPUT));
        Sleep(60);
    }
    Sleep(200);
}

void type(const std::wstring &digits) {
    for (wchar_t digit : digits)
        press({static_cast<WORD>(digit)});
}

// The main window's controls, in creation order; the status bar is the
// window's own and no control of the editor.
std::vector<HWND> controls_of(HWND window) {
    std::vector<HWND> found;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t name[64] = {};
        GetClassNameW(child, name, 64);
        if (std::wstring(name) != STATUSCLASSNAMEW)
            found.push_back(child);
    }
    return found;
}

// The pixels of the screen, as the X server shows them.
struct Screen {
    int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    std::vector<COLORREF> pixels = std::vector<COLORREF>(static_cast<size_t>(width) * height);
    Screen() {
        HDC screen = GetDC(nullptr), copy = CreateCompatibleDC(screen);
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void *bits = nullptr;
        HBITMAP bitmap = CreateDIBSection(copy, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        HGDIOBJ old = SelectObject(copy, bitmap);
        BitBlt(copy, 0, 0, width, height, screen, 0, 0, SRCCOPY);
        std::copy_n(static_cast<const COLORREF *>(bits), pixels.size(), pixels.begin());
        SelectObject(copy, old);
        DeleteObject(bitmap);
        DeleteDC(copy);
        ReleaseDC(nullptr, screen);
    }
    COLORREF at(POINT p) const { return pixels[static_cast<size_t>(p.y) * width + p.x] & 0xFFFFFF; }
    // Pixels inside the control that differ from the background.
    int drawn(HWND control, COLORREF background) const {
        RECT rect;
        GetWindowRect(control, &rect);
        int count = 0;
        for (LONG y = std::max(rect.top, 0L); y < std::min(rect.bottom, LONG(height)); ++y)
            for (LONG x = std::max(rect.left, 0L); x < std::min(rect.right, LONG(width)); ++x)
                count += at({x, y}) != background;
        return count;
    }
};

struct Program {
    Child child;
    HWND window = nullptr, read_button = nullptr, write_button = nullptr, update_button = nullptr;
    HWND list = nullptr, frequency_field = nullptr, port_combo = nullptr, mode_combo = nullptr,
         preatt_combo = nullptr;

    HWND button(const wchar_t *caption) const {
        return FindWindowExW(window, nullptr, L"Button", caption);
    }

    // Ready once the window shows its 100 rows and lists the ports.
    bool ready(const std::vector<std::string> &ports) {
        window = FindWindowW(nullptr, L"Kalvo 1.03");
        if (!window || ask(list = FindWindowExW(window, nullptr, WC_LISTVIEWW, nullptr),
                           LVM_GETITEMCOUNT) != 100)
            return false;
        std::vector<HWND> combos;
        for (HWND combo = nullptr; (combo = FindWindowExW(window, combo, L"ComboBox", nullptr));)
            combos.push_back(combo);
        const auto listed = [&](const std::string &port) { return find(combos[0], port) >= 0; };
        if (combos.size() != 3 || !std::all_of(ports.begin(), ports.end(), listed))
            return false;
        port_combo = combos[0], mode_combo = combos[1], preatt_combo = combos[2];
        read_button = button(L"Read TRX"), write_button = button(L"Write TRX");
        update_button = button(L"Update Channel");
        frequency_field = FindWindowExW(window, FindWindowExW(window, nullptr, L"Edit", nullptr),
                                        L"Edit", nullptr);
        return read_button && write_button && update_button && frequency_field;
    }

    static LRESULT find(HWND combo, const std::string &text) {
        const std::wstring wide(text.begin(), text.end());
        return ask(combo, CB_FINDSTRINGEXACT, -1, reinterpret_cast<LPARAM>(wide.c_str()));
    }

    static std::wstring text_of(HWND control) {
        wchar_t text[64] = {};
        ask(control, WM_GETTEXT, 64, reinterpret_cast<LPARAM>(text));
        return text;
    }

    static void drop(HWND combo) {
        click(centre_of(combo));
        ASSERT_TRUE(poll_until([&] { return ask(combo, CB_GETDROPPEDSTATE) == TRUE; }, 3000))
            << "no list dropped";
    }

    // Opens the combo with a click and clicks the item in its drop-down list,
    // a window of its own on top of everything.
    void choose_with_mouse(HWND combo, LRESULT item) const {
        drop(combo);
        HWND list = nullptr;
        while ((list = FindWindowExW(nullptr, list, L"ComboLBox", nullptr)) &&
               !IsWindowVisible(list)) {}
        ASSERT_TRUE(list);
        RECT dropped;
        GetClientRect(list, &dropped);
        MapWindowPoints(list, nullptr, reinterpret_cast<POINT *>(&dropped), 2);
        const LRESULT height = ask(list, LB_GETITEMHEIGHT, 0);
        const LRESULT top = ask(list, LB_GETTOPINDEX);
        click({(dropped.left + dropped.right) / 2,
               LONG(dropped.top + (item - top) * height + height / 2)});
    }

    // Opens the combo with a click and moves to the item with the arrow keys.
    void choose_with_keys(HWND combo, LRESULT item) const {
        drop(combo);
        press({VK_HOME});
        for (LRESULT i = 0; i < item; ++i)
            press({VK_DOWN});
        press({VK_RETURN});
    }

    RECT row_rect(int row) const {
        Remote<RECT> rect(child.info.hProcess, RECT{LVIR_BOUNDS, 0, 0, 0});
        ask(list, LVM_GETITEMRECT, row, rect.param());
        RECT inside = rect.get();
        MapWindowPoints(list, nullptr, reinterpret_cast<POINT *>(&inside), 2);
        return inside;
    }

    std::wstring cell(int row, int column) const {
        struct {
            LVITEMW item;
            wchar_t text[64];
        } remote_item{};
        Remote<decltype(remote_item)> remote(child.info.hProcess, remote_item);
        LVITEMW item{};
        item.iSubItem = column;
        item.cchTextMax = 64;
        item.pszText = reinterpret_cast<wchar_t *>(static_cast<char *>(remote.at) +
                                                   offsetof(decltype(remote_item), text));
        WriteProcessMemory(child.info.hProcess, remote.at, &item, sizeof item, nullptr);
        ask(list, LVM_GETITEMTEXTW, row, remote.param());
        return remote.get().text;
    }
};

} // namespace

TEST(Program, ChosenWithMouseAndKeysEditsWritesAndEndsAtOnceOnTheCloseBox) {
    const RadioSetup setup = radio_setup();
    ASSERT_EQ(setup.ports, (std::vector<std::string>{"COM60", "COM61"}))
        << "started through with_radios.sh";
    const std::string path = program_path(KALVO_WIN32_PATH);
    const std::wstring program(path.begin(), path.end());
    Program kalvo;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    ASSERT_TRUE(CreateProcessW(program.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &startup, &kalvo.child.info));
    ASSERT_TRUE(poll_until([&] { return kalvo.ready(setup.ports); }, 30000))
        << "the window was not ready within 30 s";
    EXPECT_EQ(GetWindowLongW(kalvo.window, GWL_STYLE) & WS_THICKFRAME, 0); // fixed size
    SetForegroundWindow(kalvo.window);
    Sleep(500);

    // Every control is on screen: visible, and something of it drawn where
    // it stands (the background shows at the client area's corner).
    const std::vector<HWND> controls = controls_of(kalvo.window);
    ASSERT_EQ(controls.size(), 17u);
    POINT corner{1, 1};
    ClientToScreen(kalvo.window, &corner);
    const Screen screen;
    for (HWND control : controls) {
        wchar_t name[64] = {};
        GetClassNameW(control, name, 64);
        SCOPED_TRACE(testing::Message()
                     << "control of class " << std::string(name, name + wcslen(name)));
        EXPECT_TRUE(IsWindowVisible(control));
        EXPECT_GT(screen.drawn(control, screen.at(corner)), 20);
    }
    // The program's manifest binds common controls 6, which come from the
    // side-by-side store; a manifest that binds nothing (one for another
    // processor, say) leaves the system folder's old ones.
    EXPECT_NE(common_controls_of(kalvo.child.info.hProcess).find(L"\\winsxs\\"), std::wstring::npos)
        << "common controls: " << narrow(common_controls_of(kalvo.child.info.hProcess));

    // COM61, chosen with the mouse, is read; its channel 2 (ATT), chosen with
    // a click on its row, becomes 7.05 MHz with the last mode, FM (mouse),
    // and the first pre-amp setting (keys), and goes back to COM61 alone.
    kalvo.choose_with_mouse(kalvo.port_combo, Program::find(kalvo.port_combo, "COM61"));
    ASSERT_EQ(kalvo.text_of(kalvo.port_combo), L"COM61");
    click(centre_of(kalvo.read_button));
    ASSERT_TRUE(poll_until([&] { return kalvo.cell(99, 1) == L"55442287"; }, 10000))
        << "COM61 was not read";
    ASSERT_TRUE(poll_until([&] { return IsWindowEnabled(kalvo.read_button); }, 5000))
        << "the read did not end";
    click(centre_of(kalvo.row_rect(2)));
    ASSERT_TRUE(
        poll_until([&] { return kalvo.text_of(kalvo.frequency_field) == L"1218026"; }, 3000));
    click(centre_of(kalvo.frequency_field));
    press({VK_END});
    for (int i = 0; i < 7; ++i)
        press({VK_BACK});
    type(L"7050000");
    kalvo.choose_with_mouse(kalvo.mode_combo, 6);
    kalvo.choose_with_keys(kalvo.preatt_combo, 0);
    EXPECT_EQ(kalvo.text_of(kalvo.mode_combo) + L"," + kalvo.text_of(kalvo.preatt_combo),
              L"FM ,---");
    click(centre_of(kalvo.update_button));
    EXPECT_EQ(kalvo.cell(2, 1) + L"," + kalvo.cell(2, 2) + L"," + kalvo.cell(2, 3),
              L"7050000,FM ,---");
    click(centre_of(kalvo.write_button));
    EXPECT_TRUE(poll_until(
        [&] {
            return read_file(setup.memory_of("COM61")).substr(2 * 6, 6) ==
                   record(7050000, '4', '0');
        },
        10000))
        << "COM61 did not take the edited channel";
    ASSERT_TRUE(poll_until([&] { return IsWindowEnabled(kalvo.read_button); }, 10000))
        << "the write did not end";
    EXPECT_EQ(read_file(setup.memory_of("COM60")), read_file(setup.folder / "radio.mem"));

    // COM60, chosen with the keys, reads at 9600 baud: still reading after
    // 1.5 s, when the close box ends the program at once.
    kalvo.choose_with_keys(kalvo.port_combo, Program::find(kalvo.port_combo, "COM60"));
    ASSERT_EQ(kalvo.text_of(kalvo.port_combo), L"COM60");
    click(centre_of(kalvo.read_button));
    ASSERT_TRUE(poll_until([&] { return !IsWindowEnabled(kalvo.read_button); }, 10000))
        << "the read did not start";
    Sleep(1500);
    EXPECT_FALSE(IsWindowEnabled(kalvo.read_button)) << "the read ended early";
    TITLEBARINFO title{};
    title.cbSize = sizeof title;
    ASSERT_TRUE(GetTitleBarInfo(kalvo.window, &title));
    RECT window_rect;
    GetWindowRect(kalvo.window, &window_rect);
    const int button = GetSystemMetrics(SM_CYCAPTION);
    POINT close_box{window_rect.right - GetSystemMetrics(SM_CXFRAME) - button / 2,
                    (title.rcTitleBar.top + title.rcTitleBar.bottom) / 2};
    ASSERT_EQ(ask(kalvo.window, WM_NCHITTEST, 0, MAKELPARAM(close_box.x, close_box.y)), HTCLOSE);
    click(close_box);
    ASSERT_EQ(WaitForSingleObject(kalvo.child.info.hProcess, 2000), WAIT_OBJECT_0)
        << "still running 2 s after the close";
    DWORD exit_code = 1;
    GetExitCodeProcess(kalvo.child.info.hProcess, &exit_code);
    EXPECT_EQ(exit_code, 0u);
}
