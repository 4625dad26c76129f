// What the worker threads of both systems share: the hook run at each one's
// end, and the count of the threads the system file's list keeps.
#include "internal/thread_list.h"

#include <atomic>

namespace {

std::atomic<ThreadEndHook> end_hook{nullptr};

} // namespace

void thread_set_end_hook(ThreadEndHook hook) { end_hook = hook; }

void thread_run(ThreadProcedure procedure, std::intptr_t argument) {
    procedure(argument);
    if (ThreadEndHook hook = end_hook.load())
        hook();
}

std::int32_t thread_count() {
    thread_list_lock();
    const std::int32_t count = thread_list_length();
    thread_list_unlock();
    return count;
}
