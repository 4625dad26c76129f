// Hand-over of toolkit calls to the thread that owns the windows. A call from
// any other thread is posted to the post-event window as a small record; the
// owner runs it while it dispatches messages (inside event_wait or a modal
// loop). The owner thus raises and lowers the queue's suspension counter
// itself, around the programmatic change only, and never drops the user's
// own events.
#include "win32_private.h"

#include <memory>

namespace {

// The timer's identifier is the call's record.
void CALLBACK run_later_call(HWND window, UINT, UINT_PTR id, DWORD) {
    KillTimer(window, id);
    const std::unique_ptr<LaterCall> later(reinterpret_cast<LaterCall *>(id));
    later->call(later->context);
}

} // namespace

// Without the event window a post would land in this thread's own queue (a
// null window means the caller's thread) and nobody would ever run it.
bool gui_post_call(GuiCall *call) {
    HWND target = post_event_window();
    return target && IsWindow(target) &&
           PostMessageW(target, WM_KW_CALL, 0, reinterpret_cast<LPARAM>(call));
}

void gui_thread_run_posted(LPARAM posted) {
    auto *call = reinterpret_cast<GuiCall *>(posted);
    gui_call_run(call);
    gui_call_release(call);
}

// A timer belongs to the thread that sets it, so the owner sets it on the
// post-event window when the record arrives there (gui_thread_start_later).
void run_later_on_gui_thread(void (*call)(void *), void *context) {
    HWND target = post_event_window();
    auto *later = new LaterCall{call, context};
    if (!target || !PostMessageW(target, WM_KW_LATER, 0, reinterpret_cast<LPARAM>(later)))
        delete later;
}

void gui_thread_start_later(HWND window, LPARAM posted) {
    if (!SetTimer(window, static_cast<UINT_PTR>(posted), REMOVAL_GRACE_MS, run_later_call))
        delete reinterpret_cast<LaterCall *>(posted);
}
