// Message requesters on MessageBoxW, with the program's other windows kept
// out of reach while one is up. A requester asked for by a worker thread is
// shown on that thread and blocks only it; at shut-down it is ended.
#include "win32_private.h"

#include <algorithm>
#include <functional>
#include <vector>

// The requester flags are MessageBoxW's own, and so are its answers.
static_assert(REQUESTER_ERROR == (MB_OK | MB_ICONERROR) && REQUESTER_QUESTION == (MB_YESNO | MB_ICONWARNING));
static_assert(REQUESTER_ANSWER_YES == IDYES && REQUESTER_ANSWER_NO == IDNO);

namespace {

// One visible top-level window of a thread that shows a requester.
struct ModalEntry {
    DWORD thread;
    HWND window;
    bool was_topmost;
    bool disabled;
};

SRWLOCK requester_lock = SRWLOCK_INIT;
std::vector<ModalEntry> modal_entries; // guarded by requester_lock
std::vector<DWORD> waiting_threads;    // guarded by requester_lock: workers in a message box

BOOL CALLBACK note_window(HWND window, LPARAM found) {
    if (IsWindowVisible(window))
        reinterpret_cast<std::vector<HWND> *>(found)->push_back(window);
    return TRUE;
}

// A worker thread needs a message queue before anyone can post to it.
void ensure_message_queue() {
    MSG msg;
    PeekMessageW(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
}

// Puts the message box this thread opens in front of every other window as
// it is activated (not every system honours MB_TOPMOST).
LRESULT CALLBACK keep_box_in_front(int code, WPARAM window, LPARAM detail) {
    if (code == HCBT_ACTIVATE) {
        wchar_t class_name[16] = {};
        HWND box = reinterpret_cast<HWND>(window);
        if (GetClassNameW(box, class_name, 16) && lstrcmpW(class_name, L"#32770") == 0)
            SetWindowPos(box, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    return CallNextHookEx(nullptr, code, window, detail);
}

std::intptr_t message_on_worker(const WideText &title, const WideText &text, std::int32_t flags) {
    std::intptr_t answer = 0;
    const bool answered = run_modal_on_worker([&] {
        // No owner: an owner on the main thread would tie this box to that
        // thread's message loop, which no longer runs at exit. Topmost
        // instead, so activating the main window never hides the box behind
        // it while the controls wait for its answer.
        HHOOK in_front = SetWindowsHookExW(WH_CBT, keep_box_in_front, nullptr, GetCurrentThreadId());
        answer = MessageBoxW(nullptr, wide(text), wide(title),
                             static_cast<UINT>(flags) | MB_SETFOREGROUND | MB_TOPMOST);
        if (in_front)
            UnhookWindowsHookEx(in_front);
    });
    return answered ? answer : 0;
}

} // namespace

bool run_modal_on_worker(const std::function<void()> &show) {
    const DWORD self = GetCurrentThreadId();
    ensure_message_queue();
    {
        SlimLock lock(requester_lock);
        waiting_threads.push_back(self);
    }
    // Registered first, checked second: a shut-down from now on ends the
    // dialog even when it has not appeared yet (the quit message waits in
    // our queue).
    if (!gui_thread_shutting_down()) {
        modal_begin();
        show();
        modal_end();
    }
    {
        SlimLock lock(requester_lock);
        std::erase(waiting_threads, self);
    }
    MSG quit;
    PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
    return !gui_thread_shutting_down();
}

HWND requester_owner() {
    HWND foreground = GetForegroundWindow();
    DWORD process = 0;
    if (foreground)
        GetWindowThreadProcessId(foreground, &process);
    return process == GetCurrentProcessId() ? foreground : nullptr;
}

void modal_begin() {
    const DWORD self = GetCurrentThreadId();
    std::vector<HWND> windows;
    EnumThreadWindows(self, note_window, reinterpret_cast<LPARAM>(&windows));
    HWND foreground = GetForegroundWindow();
    SlimLock lock(requester_lock);
    for (HWND window : windows) {
        ModalEntry entry{self, window,
                         (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0, false};
        if (window != foreground && IsWindowEnabled(window)) {
            EnableWindow(window, FALSE);
            entry.disabled = true;
        }
        modal_entries.push_back(entry);
    }
    for (const ModalEntry &entry : modal_entries)
        if (entry.thread == self && entry.was_topmost)
            SetWindowPos(entry.window, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void modal_end() {
    const DWORD self = GetCurrentThreadId();
    SlimLock lock(requester_lock);
    for (const ModalEntry &entry : modal_entries) {
        if (entry.thread != self)
            continue;
        if (entry.disabled)
            EnableWindow(entry.window, TRUE);
        if (entry.was_topmost)
            SetWindowPos(entry.window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    }
    std::erase_if(modal_entries, [&](const ModalEntry &entry) { return entry.thread == self; });
}

void requester_system_init() {
    common_controls_register();
    CoInitialize(nullptr);
}

void requester_dismiss_pending() {
    // A message box's loop ends when it meets a quit message.
    SlimLock lock(requester_lock);
    for (DWORD thread : waiting_threads)
        PostThreadMessageW(thread, WM_QUIT, 0, 0);
}

std::intptr_t requester_message(const WideText &title, const WideText &text, std::int32_t flags) {
    if (!gui_thread_is_current())
        return message_on_worker(title, text, flags);
    HWND owner = requester_owner();
    modal_begin();
    const int answer = MessageBoxW(owner, wide(text), wide(title), static_cast<UINT>(flags));
    modal_end();
    return answer;
}
