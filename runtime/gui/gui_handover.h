// Hand-over of toolkit calls to the event-loop thread, shared by both
// back-ends; each implements the two functions for its own event loop.
#pragma once

#include <type_traits>
#include <utility>

// True on the event-loop thread (and before start-up, when there is none).
bool gui_thread_is_current();
// Runs call(context) on the event-loop thread and waits for it. False when the
// call was dropped because shut-down began first.
bool run_on_gui_thread(void (*call)(void *), void *context);

// Runs fn on the event-loop thread (directly when already there) and returns
// its result; a default value when shut-down dropped the call.
template <class Fn> auto on_gui_thread(Fn &&fn) -> decltype(fn()) {
    using Result = decltype(fn());
    using Function = std::remove_reference_t<Fn>;
    if (gui_thread_is_current())
        return fn();
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
