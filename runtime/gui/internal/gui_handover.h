// Hand-over of toolkit calls to the event-loop thread, shared by both
// back-ends; each implements the two functions for its own event loop.
#pragma once

#include <cstdint>
#include <type_traits>
#include <utility>

// True on the event-loop thread (and before start-up, when there is none).
bool gui_thread_is_current();
// Runs call(context) on the event-loop thread and waits for it. False when the
// call was dropped because shut-down began first.
bool run_on_gui_thread(void (*call)(void *), void *context);

// Runs call(context) on the event-loop thread a short while later (a
// REMOVAL_GRACE_MS timer), without waiting for it. Not run when the event loop
// never turns again.
void run_later_on_gui_thread(void (*call)(void *), void *context);
inline constexpr unsigned REMOVAL_GRACE_MS = 10;

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
