// The hand-over of toolkit calls to the event-loop thread, shared by both
// back-ends: a call from any other thread becomes a record the back-end
// carries to its event loop (gui_post_call), and its caller sleeps until the
// loop has run it. Once shut-down begins, waiting callers are woken and later
// calls return at once; a call still queued then is dropped, never run late.
#include "internal/gui_handover.h"

#include <condition_variable>
#include <mutex>
#include <thread>

enum class CallState { queued, running, done, dropped };

// Shared by the caller and the back-end's posted message or source; whoever
// lets go last frees it.
struct GuiCall {
    void (*call)(void *);
    void *context;
    CallState state; // guarded by handover_lock
    int references;  // guarded by handover_lock
};

namespace {

std::thread::id gui_thread;
bool gui_thread_bound = false; // written before any worker exists

// Never destroyed: a worker may still be waiting when the process exits, and
// destroying a condition variable that has a waiter blocks for ever.
std::mutex &handover_lock = *new std::mutex;
std::condition_variable &handover_signal = *new std::condition_variable;
bool shutting_down = false; // guarded by handover_lock

// Drops one reference under the lock; frees the record after the last.
void release(GuiCall *call, std::unique_lock<std::mutex> &lock) {
    const bool last = --call->references == 0;
    lock.unlock();
    if (last)
        delete call;
}

} // namespace

void gui_thread_bind() {
    gui_thread = std::this_thread::get_id();
    gui_thread_bound = true;
    held_removal_init();
}

bool gui_thread_is_current() {
    // Before start-up there is no event loop to hand anything to.
    return !gui_thread_bound || std::this_thread::get_id() == gui_thread;
}

void gui_thread_shutdown_begin() {
    {
        std::lock_guard<std::mutex> lock(handover_lock);
        shutting_down = true;
    }
    handover_signal.notify_all();
}

bool gui_thread_shutting_down() {
    std::lock_guard<std::mutex> lock(handover_lock);
    return shutting_down;
}

bool run_on_gui_thread(void (*call)(void *), void *context) {
    GuiCall *record = nullptr;
    {
        // Made under the lock, which the event loop takes before it reads
        // the call: the loop's own hand-over is invisible to race checkers.
        std::lock_guard<std::mutex> lock(handover_lock);
        if (shutting_down)
            return false;
        record = new GuiCall{call, context, CallState::queued, 2};
    }
    if (!gui_post_call(record)) {
        delete record;
        return false;
    }
    std::unique_lock<std::mutex> lock(handover_lock);
    handover_signal.wait(lock, [&] {
        return record->state == CallState::done ||
               (shutting_down && record->state == CallState::queued);
    });
    const bool done = record->state == CallState::done;
    if (!done)
        record->state = CallState::dropped;
    release(record, lock);
    return done;
}

void gui_call_run(GuiCall *call) {
    bool run = false;
    {
        // The caller wrote the call before it last released the lock; taking
        // the lock first makes that visible here.
        std::lock_guard<std::mutex> lock(handover_lock);
        run = call->state == CallState::queued; // else its caller gave up at shut-down
        if (run)
            call->state = CallState::running;
    }
    if (!run)
        return;
    call->call(call->context);
    {
        std::lock_guard<std::mutex> lock(handover_lock);
        call->state = CallState::done;
    }
    handover_signal.notify_all();
}

void gui_call_release(GuiCall *call) {
    std::unique_lock<std::mutex> lock(handover_lock);
    release(call, lock);
}

bool gui_wait_until(bool (*done)(void *), void *context) {
    std::unique_lock<std::mutex> lock(handover_lock);
    handover_signal.wait(lock, [&] { return done(context) || shutting_down; });
    return done(context);
}

void gui_signal(void (*fn)(void *), void *context) {
    {
        std::lock_guard<std::mutex> lock(handover_lock);
        fn(context);
    }
    handover_signal.notify_all();
}
