// Hand-over of toolkit calls to the event-loop thread. GTK objects belong to
// the thread that ran gui_init; a call from any other thread is queued as
// an idle source on the default main context and its caller sleeps until the
// event loop has run it. An idle source is used rather than
// g_main_context_invoke, which runs the function on the calling thread
// whenever that thread can acquire the context (the event loop between two
// iterations), and that must never happen here.
#include "gtk_private.h"

#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

std::thread::id gui_thread;
bool gui_thread_bound = false;    // written before any worker exists

// Never destroyed: a worker may still be waiting when the process exits, and
// destroying a condition variable that has a waiter blocks for ever.
std::mutex &handover_lock = *new std::mutex;
std::condition_variable &handover_signal = *new std::condition_variable;
bool shutting_down = false;       // guarded by handover_lock

enum class CallState { queued, running, done, dropped };

struct GuiCall {
    void (*call)(void *);
    void *context;
    CallState state;              // guarded by handover_lock
};
using SharedCall = std::shared_ptr<GuiCall>;

gboolean dispatch_call(gpointer data) {
    GuiCall *call = nullptr;
    {
        // The caller wrote the call before it last released the lock; taking
        // the lock first makes that visible here.
        std::lock_guard<std::mutex> lock(handover_lock);
        call = static_cast<SharedCall *>(data)->get();
        if (call->state != CallState::queued)
            return G_SOURCE_REMOVE;   // its caller gave up at shut-down
        call->state = CallState::running;
    }
    call->call(call->context);
    {
        std::lock_guard<std::mutex> lock(handover_lock);
        call->state = CallState::done;
    }
    handover_signal.notify_all();
    return G_SOURCE_REMOVE;
}

void release_call(gpointer data) {
    std::lock_guard<std::mutex> lock(handover_lock);
    delete static_cast<SharedCall *>(data);
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
    auto shared = std::make_shared<GuiCall>(GuiCall{call, context, CallState::queued});
    auto *source_data = new SharedCall(shared);
    {
        std::lock_guard<std::mutex> lock(handover_lock);
        if (shutting_down) {
            delete source_data;
            return false;
        }
    }
    g_idle_add_full(G_PRIORITY_DEFAULT, dispatch_call, source_data, release_call);
    std::unique_lock<std::mutex> lock(handover_lock);
    handover_signal.wait(lock, [&] {
        return shared->state == CallState::done ||
               (shutting_down && shared->state == CallState::queued);
    });
    if (shared->state == CallState::done)
        return true;
    shared->state = CallState::dropped;
    return false;
}

namespace {

struct LaterCall {
    void (*call)(void *);
    void *context;
};

gboolean run_later_call(gpointer data) {
    const auto *later = static_cast<LaterCall *>(data);
    later->call(later->context);
    return G_SOURCE_REMOVE;
}

} // namespace

// A low-priority timer: whatever is already queued at the default priority,
// such as a worker's next call, comes first.
void run_later_on_gui_thread(void (*call)(void *), void *context) {
    g_timeout_add_full(G_PRIORITY_LOW, REMOVAL_GRACE_MS, run_later_call, new LaterCall{call, context},
                       [](gpointer data) { delete static_cast<LaterCall *>(data); });
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
