// Hand-over of toolkit calls to the event-loop thread. The state machine is
// shared (gui_handover.cpp); each back-end only carries a call record to its
// own event loop (gui_post_call) and runs calls later on a timer of its own.
#pragma once

#include <cstdint>
#include <type_traits>
#include <utility>

// The thread that runs gui_init owns every window: bound once, there.
void gui_thread_bind();
// True on the event-loop thread (and before start-up, when there is none).
bool gui_thread_is_current();
// Wakes every caller waiting on the event-loop thread; later calls from other
// threads return at once with the default result.
void gui_thread_shutdown_begin();
bool gui_thread_shutting_down();

// Runs call(context) on the event-loop thread and waits for it. False when the
// call was dropped because shut-down began first.
bool run_on_gui_thread(void (*call)(void *), void *context);

// A call on its way to the event loop.
struct GuiCall;
// Provided by the back-end: carries call to the event loop, which runs
// gui_call_run(call) there and then gui_call_release(call), the latter also
// when the loop drops it unrun. False (nothing posted) when it cannot.
bool gui_post_call(GuiCall *call);
void gui_call_run(GuiCall *call);
void gui_call_release(GuiCall *call);

// Waits (any thread but the event-loop one) until done() is true or shut-down
// began; done() is evaluated under the hand-over lock. Returns done().
bool gui_wait_until(bool (*done)(void *), void *context);
// Wakes gui_wait_until callers after state they test was changed by fn, which
// runs under the hand-over lock.
void gui_signal(void (*fn)(void *), void *context);

// Provided by the back-end: runs call(context) on the event-loop thread a
// short while later (a REMOVAL_GRACE_MS timer), without waiting for it. Not
// run when the event loop never turns again.
void run_later_on_gui_thread(void (*call)(void *), void *context);
inline constexpr unsigned REMOVAL_GRACE_MS = 10;
struct LaterCall {
    void (*call)(void *);
    void *context;
};

// A worker's removal of a gadget item is held back until that worker's next
// toolkit call and carried out in the same turn of the event loop, so that a
// replacement (a removal, then an item added at the same index) never shows
// the user the gadget without that item. The worker cannot tell: everything
// it asks of the toolkit afterwards sees the removal done. A thread that makes
// no further call (or one not started by thread_create, which nobody sees end)
// does not hold it up: the event loop carries it out REMOVAL_GRACE_MS later.
struct HeldRemoval {
    void (*remove)(std::intptr_t gadget, std::intptr_t item) = nullptr; // on the event-loop thread
    std::intptr_t gadget = 0;
    std::intptr_t item = 0;

    explicit operator bool() const { return remove != nullptr; }
    void carry_out() const {
        if (remove)
            remove(gadget, item);
    }
};
// Has threads started by thread_create carry out a removal they still hold
// when they end; once, at start-up.
void held_removal_init();
// On a thread other than the event loop's: holds the removal (carrying out
// one held before) and returns true. False on the event-loop thread, which
// removes at once.
bool hold_removal(const HeldRemoval &removal);
// Takes this thread's held removal; with a gadget, only a removal of that
// gadget's item (a held removal of anything else stays held).
HeldRemoval take_held_removal();
HeldRemoval take_held_removal_of(std::intptr_t gadget, std::intptr_t item);

// Runs fn on the event-loop thread from another thread and returns its
// result; a default value when shut-down dropped the call.
template <class Fn> auto hand_over(Fn &&fn) -> decltype(fn()) {
    using Result = decltype(fn());
    using Function = std::remove_reference_t<Fn>;
    if constexpr (std::is_void_v<Result>) {
        run_on_gui_thread([](void *f) { (*static_cast<Function *>(f))(); }, &fn);
    } else {
        struct Call {
            Function &fn;
            Result result{};
        } call{fn};
        run_on_gui_thread(
            [](void *c) {
                auto *self = static_cast<Call *>(c);
                self->result = self->fn();
            },
            &call);
        return std::move(call.result);
    }
}

// Runs fn on the event-loop thread (directly when already there) and returns
// its result; a default value when shut-down dropped the call. A removal the
// calling thread holds is carried out first, in the same turn.
template <class Fn> auto on_gui_thread(Fn &&fn) -> decltype(fn()) {
    if (gui_thread_is_current())
        return fn();
    const HeldRemoval held = take_held_removal();
    if (!held)
        return hand_over(fn);
    return hand_over([&] {
        held.carry_out();
        return fn();
    });
}

// Looks id up with lookup on the event-loop thread and runs fn with the
// record; the empty value when lookup finds none.
template <class Record, class Fn>
auto on_record(Record *(*lookup)(std::intptr_t), std::intptr_t id, Fn &&fn)
    -> decltype(fn(std::declval<Record *>())) {
    using Result = decltype(fn(std::declval<Record *>()));
    return on_gui_thread([&]() -> Result {
        Record *record = lookup(id);
        return record ? fn(record) : Result();
    });
}
