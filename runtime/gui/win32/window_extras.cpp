// What a program may add to a toolkit window: a hook that sees its messages
// first (its own, else the one every window shares), a background colour and
// client-size limits for resizing.
#include "win32_private.h"
#include "internal/window_native.h"

#include <algorithm>

namespace {

WindowCallback shared_callback = nullptr;

// Adds the frame the window's styles put around a client area of this size.
SIZE outer_size(HWND hwnd, int width, int height) {
    RECT rect{0, 0, width, height};
    AdjustWindowRectEx(&rect, static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_EXSTYLE)));
    return {rect.right - rect.left, rect.bottom - rect.top};
}

} // namespace

WindowCallback window_callback_of(WindowRecord *record) {
    return record->callback ? record->callback : shared_callback;
}

bool window_paint_background(WindowRecord *record, HDC dc) {
    if (!record->background)
        return false;
    RECT client;
    GetClientRect(record->handle, &client);
    FillRect(dc, &client, record->background);
    return true;
}

void window_track_limits(WindowRecord *record, MINMAXINFO *limits) {
    HWND hwnd = record->handle;
    if (record->min_width || record->min_height) {
        const SIZE least = outer_size(hwnd, record->min_width, record->min_height);
        if (record->min_width)
            limits->ptMinTrackSize.x = least.cx;
        if (record->min_height)
            limits->ptMinTrackSize.y = least.cy;
    } else if (GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) {
        limits->ptMinTrackSize.x = 1;
    }
    if (record->max_width || record->max_height) {
        const SIZE most = outer_size(hwnd, record->max_width, record->max_height);
        if (record->max_width)
            limits->ptMaxTrackSize.x = most.cx;
        if (record->max_height)
            limits->ptMaxTrackSize.y = most.cy;
    }
}

void window_release_extras(WindowRecord *record) {
    if (record->background)
        DeleteObject(record->background);
    record->background = nullptr;
}

void window_set_callback(ObjectId window, WindowCallback callback) {
    on_gui_thread([&] {
        if (window == ANY) {
            shared_callback = callback;
        } else if (WindowRecord *record = window_lookup(window)) {
            record->callback = callback;
        }
    });
}

void window_native_set_color(WindowRecord *record, std::int32_t colour) {
    window_release_extras(record);
    if (colour != -1)
        record->background = CreateSolidBrush(static_cast<COLORREF>(colour & 0xFFFFFF));
    InvalidateRect(record->handle, nullptr, TRUE);
}

// Negative limits count as none; the next resize applies them.
void window_native_set_size_limits(WindowRecord *record, std::int32_t min_width,
                                   std::int32_t min_height, std::int32_t max_width,
                                   std::int32_t max_height) {
    record->min_width = std::max(min_width, 0);
    record->min_height = std::max(min_height, 0);
    record->max_width = std::max(max_width, 0);
    record->max_height = std::max(max_height, 0);
}
