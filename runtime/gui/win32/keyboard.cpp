// Keyboard handling without a dialog manager: Tab and Shift+Tab arrive as
// accelerator commands and move the focus among the tab-stop controls, and
// the focus cues are shown while the keyboard is in use.
#include "win32_private.h"

#include <vector>

namespace {

bool class_is(HWND hwnd, const wchar_t *name) {
    wchar_t buffer[32] = {};
    GetClassNameW(hwnd, buffer, 32);
    return lstrcmpiW(buffer, name) == 0;
}

bool is_tab_stop(HWND hwnd) {
    return IsWindowEnabled(hwnd) && IsWindowVisible(hwnd) &&
           (GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_TABSTOP);
}

BOOL CALLBACK collect_tab_stop(HWND child, LPARAM list) {
    if (is_tab_stop(child))
        reinterpret_cast<std::vector<HWND> *>(list)->push_back(child);
    return TRUE;
}

std::vector<HWND> tab_stops(HWND window) {
    std::vector<HWND> found;
    EnumChildWindows(window, collect_tab_stop, reinterpret_cast<LPARAM>(&found));
    return found;
}

} // namespace

HACCEL dispatch_accelerators(HWND active) {
    DWORD process = 0;
    if (!active || (GetWindowThreadProcessId(active, &process), process != GetCurrentProcessId()))
        return nullptr;
    const auto number = reinterpret_cast<std::intptr_t>(GetPropW(active, L"KW_WindowID"));
    WindowRecord *record = number ? window_lookup(number - 1) : nullptr;
    if (!record || record->handle != active)
        return nullptr;
    if (GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_SHIFT) < 0 || GetKeyState(VK_MENU) < 0)
        keyboard_cues(active, true);
    return record->accelerator_table;
}

void focus_step(bool backward) {
    HWND active = GetActiveWindow();
    if (!active)
        return;
    HWND focus = GetFocus();
    HWND current = focus && IsChild(active, focus) ? focus : nullptr;
    HWND searched = active;
    // Controls made of several windows take the focus as one.
    for (HWND walk = current; walk && walk != active; walk = GetParent(walk)) {
        if (class_is(walk, L"SysIPAddress32") ||
            (class_is(walk, L"ComboBoxEx32") && (GetWindowLongPtrW(walk, GWL_STYLE) & 0x1))) {
            current = walk;
        } else if (class_is(walk, L"MDI_ChildClass")) {
            searched = walk;
            if (walk == focus)
                current = nullptr;
            break;
        }
    }
    const std::vector<HWND> stops = tab_stops(searched);
    if (stops.empty())
        return;
    std::size_t index = stops.size();
    for (std::size_t i = 0; i < stops.size(); ++i)
        if (stops[i] == current)
            index = i;
    HWND target = nullptr;
    if (!backward) {
        if (!current)
            target = stops.front();
        else if (index < stops.size())
            target = stops[(index + 1) % stops.size()];
    } else {
        target = !current || index == stops.size()
                     ? stops.back()
                     : stops[(index + stops.size() - 1) % stops.size()];
    }
    if (target)
        SetFocus(target);
}

void keyboard_cues(HWND window, bool show) {
    const auto state = static_cast<DWORD>(SendMessageW(window, WM_QUERYUISTATE, 0, 0));
    const DWORD hidden = UISF_HIDEFOCUS | UISF_HIDEACCEL;
    if (show && (state & hidden))
        SendMessageW(window, WM_UPDATEUISTATE, MAKEWPARAM(UIS_CLEAR, hidden), 0);
    else if (!show && (state & hidden) != hidden)
        SendMessageW(window, WM_UPDATEUISTATE, MAKEWPARAM(UIS_SET, hidden), 0);
}
