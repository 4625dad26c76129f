// The event queue on Win32: window procedures post records to the shared
// queue, the application drains it with event_wait, which runs the thread's
// message loop one message at a time. A hidden message-only window receives
// what other threads send to this thread.
#include "win32_private.h"

namespace {

// A post from another thread, carried by "KW_PostEventMessage" (no operation
// of the toolkit sends it; event_post_full hands its post over instead).
struct ForeignPost {
    std::int32_t type;
    std::intptr_t object;
    std::intptr_t window;
    std::intptr_t subtype;
    void *payload;
};

constexpr wchar_t post_event_class[] = L"PostEventClass";

HWND post_window = nullptr;
UINT post_event_message = 0;

LRESULT CALLBACK post_event_procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_KW_CALL) {
        gui_thread_run_posted(lparam);
        return 0;
    }
    if (message == WM_KW_LATER) {
        gui_thread_start_later(hwnd, lparam);
        return 0;
    }
    if (message == post_event_message && post_event_message) {
        auto *post = reinterpret_cast<ForeignPost *>(lparam);
        event_records_post(post->type, post->object, post->window, post->subtype, post->payload,
                           nullptr, POST_WHILE_SUSPENDED);
        delete post;
        return 0;
    }
    return DefWindowProcW(hwnd, message, wparam, lparam);
}

bool next_message(std::int32_t ms, MSG *msg) {
    if (ms < 0) {
        GetMessageW(msg, nullptr, 0, 0); // 0 for WM_QUIT, which is returned as it is
        return true;
    }
    if (PeekMessageW(msg, nullptr, 0, 0, PM_REMOVE | PM_NOYIELD))
        return true;
    if (ms == 0)
        return false;
    if (MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(ms), QS_ALLINPUT) ==
        WAIT_TIMEOUT)
        return false;
    return PeekMessageW(msg, nullptr, 0, 0, PM_REMOVE | PM_NOYIELD);
}

// The next queued event, else the number of the message dispatched (events
// that message raised come with the following calls), else 0 on time-out.
std::int32_t wait_on_owner_thread(std::int32_t ms) {
    if (std::int32_t code = event_records_fetch())
        return code;
    MSG msg{};
    if (!next_message(ms, &msg))
        return 0;
    HWND active = GetActiveWindow();
    HACCEL table = dispatch_accelerators(active);
    if (table && TranslateAcceleratorW(active, table, &msg)) {
        keyboard_cues(active, true);
    } else {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<std::int32_t>(msg.message);
}

} // namespace

void event_system_init() {
    event_records_reset();
    post_event_message = RegisterWindowMessageW(L"KW_PostEventMessage");
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof window_class;
    window_class.lpfnWndProc = post_event_procedure;
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.lpszClassName = post_event_class;
    RegisterClassExW(&window_class);
    post_window = CreateWindowExW(0, post_event_class, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  window_class.hInstance, nullptr);
}

void event_system_shutdown() {
    if (post_window)
        DestroyWindow(post_window);
    post_window = nullptr;
    UnregisterClassW(post_event_class, GetModuleHandleW(nullptr));
}

HWND post_event_window() { return post_window; }

std::int32_t event_wait_timeout(std::int32_t ms) {
    return on_gui_thread([&] { return wait_on_owner_thread(ms); });
}

void toolkit_flush() {
    on_gui_thread([] {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    });
}
