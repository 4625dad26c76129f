// Hand-over of toolkit calls to the thread that owns the windows. A call from
// any other thread is posted to the post-event window as a small record; the
// owner runs it while it dispatches messages (inside event_wait or a modal
// loop), and the caller sleeps until it has run. The owner thus raises and
// lowers the queue's suspension counter itself, around the programmatic
// change only, and never drops the user's own events. Once shut-down begins,
// waiting callers are woken and later calls return at once.
#include "win32_private.h"

#include <memory>

namespace {

DWORD owner_thread = 0; // written before any worker exists

SRWLOCK handover_lock = SRWLOCK_INIT;
CONDITION_VARIABLE handover_signal = CONDITION_VARIABLE_INIT;
bool shutting_down = false; // guarded by handover_lock

enum class CallState { queued, running, done, dropped };

// Shared by the caller and the posted message; whoever lets go last frees it.
struct GuiCall {
    void (*call)(void *);
    void *context;
    CallState state; // guarded by handover_lock
    int references;  // guarded by handover_lock
};

// Drops one reference; the caller holds the lock. True when it was the last.
bool release(GuiCall *call) { return --call->references == 0; }

} // namespace

void gui_thread_bind() {
    owner_thread = GetCurrentThreadId();
    held_removal_init();
}

bool gui_thread_is_current() {
    // Before start-up there is no message loop to hand anything to.
    return owner_thread == 0 || GetCurrentThreadId() == owner_thread;
}

DWORD gui_thread_id() { return owner_thread; }

void gui_thread_shutdown_begin() {
    {
        SlimLock lock(handover_lock);
        shutting_down = true;
    }
    WakeAllConditionVariable(&handover_signal);
}

bool gui_thread_shutting_down() {
    SlimLock lock(handover_lock);
    return shutting_down;
}

bool run_on_gui_thread(void (*call)(void *), void *context) {
    if (gui_thread_shutting_down())
        return false;
    // Without the event window a post would land in this thread's own queue
    // (a null window means the caller's thread) and nobody would ever run it.
    HWND target = post_event_window();
    if (!target || !IsWindow(target))
        return false;
    auto *record = new GuiCall{call, context, CallState::queued, 2};
    if (!PostMessageW(target, WM_KW_CALL, 0, reinterpret_cast<LPARAM>(record))) {
        delete record;
        return false;
    }
    bool done = false;
    bool last = false;
    {
        SlimLock lock(handover_lock);
        while (record->state != CallState::done &&
               !(shutting_down && record->state == CallState::queued))
            SleepConditionVariableSRW(&handover_signal, &handover_lock, INFINITE, 0);
        done = record->state == CallState::done;
        if (!done)
            record->state = CallState::dropped;
        last = release(record);
    }
    if (last)
        delete record;
    return done;
}

void gui_thread_run_posted(LPARAM posted) {
    auto *record = reinterpret_cast<GuiCall *>(posted);
    bool run = false;
    {
        SlimLock lock(handover_lock);
        run = record->state == CallState::queued; // else its caller gave up at shut-down
        if (run)
            record->state = CallState::running;
    }
    if (run)
        record->call(record->context);
    bool last = false;
    {
        SlimLock lock(handover_lock);
        if (run)
            record->state = CallState::done;
        last = release(record);
    }
    WakeAllConditionVariable(&handover_signal);
    if (last)
        delete record;
}

namespace {

struct LaterCall {
    void (*call)(void *);
    void *context;
};

// The timer's identifier is the call's record.
void CALLBACK run_later_call(HWND window, UINT, UINT_PTR id, DWORD) {
    KillTimer(window, id);
    const std::unique_ptr<LaterCall> later(reinterpret_cast<LaterCall *>(id));
    later->call(later->context);
}

} // namespace

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
