// The window procedure of every numbered window: its messages become window
// events in the queue, and those of its gadgets go to their kinds.
#include "win32_private.h"

namespace {

void on_size(WindowRecord *record, ObjectId id, WPARAM kind) {
    switch (kind) {
    case SIZE_MINIMIZED:
        record->iconic = 1;
        window_post(EVENT_MINIMIZED, 0, id);
        return;
    case SIZE_MAXIMIZED:
        record->iconic = 1;
        window_post(EVENT_MAXIMIZED, 0, id);
        window_post(EVENT_RESIZED, 0, id);
        return;
    case SIZE_RESTORED:
        if (record->iconic) {
            record->iconic = 0;
            window_post(EVENT_RESTORED, 0, id);
        }
        break;
    default:
        break;
    }
    // Only the newest size matters: one resize event however many came.
    event_purge(EVENT_RESIZED, -1, id, -1);
    window_post(EVENT_RESIZED, 0, id);
}

void on_activate(HWND hwnd, ObjectId id, WPARAM state) {
    if (LOWORD(state) != WA_INACTIVE) {
        auto focus = static_cast<HWND>(GetPropW(hwnd, FOCUS_PROPERTY));
        if (focus && IsWindow(focus) && IsChild(hwnd, focus))
            SetFocus(focus);
        window_post(EVENT_ACTIVATED, 0, id);
        return;
    }
    SetPropW(hwnd, FOCUS_PROPERTY, GetFocus());
    keyboard_cues(hwnd, false);
    window_post(EVENT_DEACTIVATED, 0, id);
}

void on_command(HWND hwnd, ObjectId id, WPARAM wparam, LPARAM lparam) {
    auto control = reinterpret_cast<HWND>(lparam);
    if (control) {
        if (gadget_message(control, hwnd, WM_COMMAND, wparam, lparam) != NOT_HANDLED)
            return;
        const auto identifier = static_cast<std::intptr_t>(GetWindowLongPtrW(control, GWLP_ID));
        if (identifier == -10000)
            window_post(EVENT_MENU, LOWORD(wparam), id);
        else if (identifier != -1)
            event_records_post(EVENT_GADGET, identifier, id, HIWORD(wparam), nullptr, nullptr, 0);
        return;
    }
    if (HIWORD(wparam) == 0) {
        window_post(EVENT_MENU, static_cast<std::intptr_t>(wparam), id);
    } else if (LOWORD(wparam) == COMMAND_FOCUS_NEXT || LOWORD(wparam) == COMMAND_FOCUS_PREVIOUS) {
        focus_step(LOWORD(wparam) == COMMAND_FOCUS_PREVIOUS);
    } else {
        window_post(EVENT_MENU, LOWORD(wparam), id);
    }
}

// A message gadgets send their window to be handed back to them.
constexpr UINT gadget_private_message = 13120;

// Clicks on a notification icon; the null message afterwards makes a menu
// the program opens in answer close properly.
void post_tray_click(HWND hwnd, ObjectId id, WPARAM icon, LPARAM mouse) {
    std::intptr_t subtype = -1;
    switch (mouse) {
    case WM_LBUTTONDOWN: subtype = 0; break;
    case WM_RBUTTONDOWN: subtype = 1; break;
    case WM_LBUTTONDBLCLK: subtype = 2; break;
    case WM_RBUTTONDBLCLK: subtype = 3; break;
    default: return;   // moves and releases are not reported
    }
    event_records_post(EVENT_TRAY_ICON, static_cast<std::intptr_t>(icon), id, subtype, nullptr, nullptr, 0);
    PostMessageW(hwnd, WM_NULL, 0, 0);
}

BOOL CALLBACK pass_colour_change(HWND child, LPARAM) {
    SendMessageW(child, WM_SYSCOLORCHANGE, 0, 0);
    return TRUE;
}

LRESULT forward_to_gadget(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    const LRESULT result =
        gadget_message(reinterpret_cast<HWND>(lparam), hwnd, message, wparam, lparam);
    return result != NOT_HANDLED ? result : default_window_message(hwnd, message, wparam, lparam);
}

} // namespace

LRESULT CALLBACK window_procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    const ObjectId id = window_number_of(hwnd);
    WindowRecord *record = id != -1 ? window_lookup(id) : nullptr;
    if (!record || record->handle != hwnd)
        return default_window_message(hwnd, message, wparam, lparam);
    if (WindowCallback callback = window_callback_of(record)) {
        const std::intptr_t answer = callback(hwnd, message, wparam, lparam);
        if (answer != WINDOW_CALLBACK_PASS)
            return answer;
    }
    LRESULT status_result = 0;
    switch (message) {
    case WM_MOVE:
        if (record->ready)
            window_post(EVENT_MOVED, id, id);
        return 0;
    case WM_SIZE:
        statusbar_parent_message(hwnd, message, wparam, lparam, &status_result);
        if (!record->ready)
            return default_window_message(hwnd, message, wparam, lparam);
        on_size(record, id, wparam);
        return 0;
    case WM_ACTIVATE:
        on_activate(hwnd, id, wparam);
        return 1;
    case WM_CLOSE:
        window_post(EVENT_CLOSE_WINDOW, id, id); // the application decides when the window goes
        return 0;
    case WM_ERASEBKGND:
        window_post(EVENT_REPAINT, 0, id);
        if (window_paint_background(record, reinterpret_cast<HDC>(wparam)))
            return 1;
        break;
    case WM_GETMINMAXINFO:
        window_track_limits(record, reinterpret_cast<MINMAXINFO *>(lparam));
        return 0;
    case WM_SYSCOLORCHANGE:
        EnumChildWindows(hwnd, pass_colour_change, 0);
        break;
    case WM_DRAWITEM:
        statusbar_parent_message(hwnd, message, wparam, lparam, &status_result);
        if (status_result)
            return status_result;
        break;
    case WM_NOTIFY: {
        const auto *header = reinterpret_cast<const NMHDR *>(lparam);
        const LRESULT result = gadget_message(header->hwndFrom, hwnd, message, wparam, lparam);
        if (result != NOT_HANDLED)
            return result;
        break;
    }
    case WM_NCDESTROY:
        window_destroyed(hwnd, record, id);
        break;
    case WM_COMMAND:
        on_command(hwnd, id, wparam, lparam);
        return 0;
    case WM_TIMER:
        window_post(EVENT_TIMER, static_cast<std::intptr_t>(wparam), id);
        return 0;
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC:
    case gadget_private_message:
        return forward_to_gadget(hwnd, message, wparam, lparam);
    case WM_TRAY_ICON:
        post_tray_click(hwnd, id, wparam, lparam);
        return 0;
    case WM_LBUTTONUP:
        window_post(EVENT_LEFT_CLICK, 0, id);
        return 0;
    case WM_LBUTTONDBLCLK:
        window_post(EVENT_LEFT_DOUBLE_CLICK, 0, id);
        return 0;
    case WM_RBUTTONUP:
        window_post(EVENT_RIGHT_CLICK, 0, id);
        return 0;
    default:
        break;
    }
    return default_window_message(hwnd, message, wparam, lparam);
}

