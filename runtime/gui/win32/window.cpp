// Numbered top-level windows, each with a window class of its own, and the
// window procedure that turns their messages into queued events.
#include "win32_private.h"
#include "internal/numbered.h"
#include "internal/window_native.h"

#include <algorithm>

namespace {

Numbered<WindowRecord> windows;
HICON class_icon = nullptr;
HCURSOR class_cursor = nullptr;

constexpr std::int32_t tool_window = 0x4;
constexpr std::int32_t keep_gadget_list = 0x8;
constexpr std::int32_t show_no_activate = 0x2000000;
// A tool window has neither minimise nor maximise box nor state.
constexpr DWORD tool_window_cleared = WS_MINIMIZE | WS_MAXIMIZE | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
static_assert(tool_window_cleared == 0x21030000);
// The public window flags are the styles they ask for; WINDOW_INVISIBLE
// takes the bit of WS_VISIBLE, which every window gets once it is shown.
static_assert(WINDOW_SYSTEM_MENU == (WS_CAPTION | WS_SYSMENU) &&
              WINDOW_MINIMIZE_GADGET == WS_MINIMIZEBOX && WINDOW_SIZEABLE == WS_THICKFRAME &&
              WINDOW_INVISIBLE == WS_VISIBLE);
static_assert(WINDOW_STATE_MAXIMIZED == WS_MAXIMIZE && WINDOW_STATE_MINIMIZED == WS_MINIMIZE);

std::wstring class_name_of(ObjectId id) { return L"WindowClass_" + std::to_wstring(id); }

// Desktop composition draws a wider frame around sizeable windows.
bool composition_enabled() {
    using IsEnabled = HRESULT(WINAPI *)(BOOL *);
    static IsEnabled is_enabled = [] {
        HMODULE library = LoadLibraryW(L"dwmapi.dll");
        return library ? reinterpret_cast<IsEnabled>(reinterpret_cast<void *>(
                             GetProcAddress(library, "DwmIsCompositionEnabled")))
                       : nullptr;
    }();
    BOOL enabled = FALSE;
    return is_enabled && SUCCEEDED(is_enabled(&enabled)) && enabled;
}

void window_center(HWND hwnd, std::int32_t flags, HWND parent) {
    RECT outer;
    GetWindowRect(hwnd, &outer);
    const int width = outer.right - outer.left;
    const int height = outer.bottom - outer.top;
    int x = 0, y = 0;
    if (flags & WINDOW_SCREEN_CENTERED) {
        const int screen_width = GetSystemMetrics(SM_CXSCREEN);
        const int screen_height = GetSystemMetrics(SM_CYSCREEN);
        x = (screen_width - std::min(screen_width, width)) / 2;
        y = (screen_height - std::min(screen_height, height)) / 2;
    } else {
        if (!parent)
            return;
        RECT area;
        GetWindowRect(parent, &area);
        x = std::max(0, static_cast<int>(area.left + (area.right - area.left - width) / 2));
        y = std::max(0, static_cast<int>(area.top + (area.bottom - area.top - height) / 2));
    }
    SetWindowPos(hwnd, nullptr, x, y, 0, 0, SWP_NOACTIVATE | SWP_NOZORDER | SWP_NOSIZE);
}

DWORD style_of(std::int32_t flags, DWORD *extended) {
    auto style = static_cast<DWORD>(flags);
    if (!(style & ~static_cast<DWORD>(WINDOW_SCREEN_CENTERED | WINDOW_PARENT_CENTERED |
                                      keep_gadget_list | WINDOW_INVISIBLE)))
        style |= WS_CAPTION;
    style &= ~static_cast<DWORD>(keep_gadget_list | WINDOW_INVISIBLE | show_no_activate);
    *extended = 0;
    if (flags & tool_window) {
        *extended = WS_EX_TOOLWINDOW;
        style = (style & ~tool_window_cleared) | WS_CAPTION;
    }
    return style;
}

int show_command(std::int32_t flags) {
    const bool activate = !(flags & show_no_activate);
    if (flags & WS_MAXIMIZE)
        return activate ? SW_SHOWMAXIMIZED : SW_SHOWNA;
    if (flags & WS_MINIMIZE)
        return activate ? SW_SHOWMINIMIZED : SW_SHOWMINNOACTIVE;
    return activate ? SW_SHOWNORMAL : SW_SHOWNOACTIVATE;
}

void build_accelerators(WindowRecord *record) {
    record->accelerator_entries = new ACCEL[2]{
        {FVIRTKEY | FNOINVERT, VK_TAB, COMMAND_FOCUS_NEXT},
        {FVIRTKEY | FNOINVERT | FSHIFT, VK_TAB, COMMAND_FOCUS_PREVIOUS},
    };
    record->accelerator_count = 2;
    record->accelerator_table = CreateAcceleratorTableW(record->accelerator_entries, 2);
}

std::intptr_t open_window(ObjectId number, std::int32_t x, std::int32_t y, std::int32_t width,
                          std::int32_t height, const WideText &title, std::int32_t flags,
                          HWND parent) {
    ObjectId id = 0;
    WindowRecord *record = windows.allocate(number, &id);
    if (!record)
        return 0;
    const std::wstring class_name = class_name_of(id);
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    const WNDCLASSEXW window_class{sizeof(WNDCLASSEXW),
                                   CS_DBLCLKS,
                                   window_procedure,
                                   0,
                                   0,
                                   instance,
                                   class_icon,
                                   class_cursor,
                                   reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1),
                                   nullptr,
                                   class_name.c_str(),
                                   nullptr};
    RegisterClassExW(&window_class);
    DWORD extended = 0;
    const DWORD style = style_of(flags, &extended);
    // width and height are the client size.
    RECT outer{0, 0, width, height};
    AdjustWindowRectEx(&outer, style & ~7u, FALSE, extended);
    if (x == NOT_GIVEN ||
        (y == NOT_GIVEN && !(flags & (WINDOW_SCREEN_CENTERED | WINDOW_PARENT_CENTERED)))) {
        x = y = CW_USEDEFAULT;
    } else if ((style & WS_CAPTION) == WS_CAPTION && (style & WS_THICKFRAME) &&
               composition_enabled()) {
        x -= 5;
    }
    HWND hwnd = CreateWindowExW(extended, class_name.c_str(), wide(title), style & 0xFDFFFFF8u, x,
                                y, outer.right - outer.left, outer.bottom - outer.top, parent,
                                nullptr, instance, nullptr);
    if (!hwnd) {
        UnregisterClassW(class_name.c_str(), instance);
        windows.forget(id);
        return 0;
    }
    record->handle = hwnd;
    record->ready = 0;
    SetPropW(hwnd, WINDOW_ID_PROPERTY, reinterpret_cast<HANDLE>(id + 1));
    if (flags & (WINDOW_SCREEN_CENTERED | WINDOW_PARENT_CENTERED))
        window_center(hwnd, flags, parent);
    if (!(flags & WINDOW_INVISIBLE))
        ShowWindow(hwnd, show_command(flags));
    record->iconic = (flags & (WS_MAXIMIZE | WS_MINIMIZE)) != 0;
    build_accelerators(record);
    if (!(flags & keep_gadget_list))
        gadget_list_use(hwnd);
    record->ready = 1;
    return creation_answer(number, id, hwnd);
}

} // namespace

void window_native_close(ObjectId window) {
    windows.end(window, [&](WindowRecord *record) {
        HWND hwnd = record->handle;
        if (HWND owner = GetWindow(hwnd, GW_OWNER))
            SetActiveWindow(owner);
        DestroyWindow(hwnd);
        // The class outlives its window's last message, so it goes afterwards.
        UnregisterClassW(class_name_of(window).c_str(), GetModuleHandleW(nullptr));
        event_purge_window(window);
    });
}

// The rest of a window's end: everything the window held, and its number.
void window_destroyed(HWND hwnd, WindowRecord *record, ObjectId id) {
    RemovePropW(hwnd, FOCUS_PROPERTY);
    RemovePropW(hwnd, WINDOW_ID_PROPERTY);
    if (record->accelerator_table)
        DestroyAcceleratorTable(record->accelerator_table);
    delete[] record->accelerator_entries;
    window_release_extras(record);
    gadget_list_forget(hwnd);
    windows.forget(id);
    event_purge_window(id);
}

void window_system_init() {
    windows.init(window_close);
    class_icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1));
    class_cursor = LoadCursorW(nullptr, IDC_ARROW);
}

WindowRecord *window_lookup(ObjectId window) { return windows.lookup(window); }

void *window_handle_of(const WindowRecord *record) { return record->handle; }

ObjectId window_number_of(HWND hwnd) {
    for (HWND walk = hwnd; walk; walk = GetParent(walk)) {
        if (auto value = reinterpret_cast<std::intptr_t>(GetPropW(walk, WINDOW_ID_PROPERTY)))
            return value - 1;
    }
    return -1;
}

LRESULT default_window_message(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    SetLastError(0);
    return DefWindowProcW(hwnd, message, wparam, lparam);
}

WideText window_text(HWND hwnd) {
    const int length = GetWindowTextLengthW(hwnd);
    if (length <= 0)
        return WideText();
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(hwnd, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    return from_wide(text.c_str());
}

// A parent handle that names no window is left out rather than passed on.
std::intptr_t window_native_open(ObjectId number, std::int32_t x, std::int32_t y,
                                 std::int32_t width, std::int32_t height, const WideText &title,
                                 std::int32_t flags, void *parent) {
    auto owner = static_cast<HWND>(parent);
    return open_window(number, x, y, width, height, title, flags,
                       owner && IsWindow(owner) ? owner : nullptr);
}

void window_native_set_state(WindowRecord *record, std::int32_t state) {
    if (state & WINDOW_STATE_MAXIMIZED)
        ShowWindow(record->handle, SW_MAXIMIZE);
    else if (state & WINDOW_STATE_MINIMIZED)
        ShowWindow(record->handle, SW_MINIMIZE);
    else
        ShowWindow(record->handle, SW_RESTORE);
}

// The window class's icon goes once no window of it is left.
void window_native_close_all() {
    if (class_icon)
        DestroyIcon(class_icon);
    class_icon = nullptr;
}
