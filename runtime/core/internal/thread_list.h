// Threads: what thread.cpp shares with the system files (posix/, win32/),
// which start the threads and keep the list of those thread_create started.
#pragma once

#include "core/core.h"

#include <cstdint>

// The whole life of a thread thread_create started: procedure(argument),
// then the end hook.
void thread_run(ThreadProcedure procedure, std::intptr_t argument);

// Provided by the system file: its list's lock, which any thread may take
// and which exists from the first call on, and the threads the list keeps,
// counted under it.
void thread_list_lock();
void thread_list_unlock();
std::int32_t thread_list_length();

// The nodes of a list linked through next, from node on.
template <class Node> std::int32_t count_linked(const Node *node) {
    std::int32_t count = 0;
    for (; node; node = node->next)
        ++count;
    return count;
}
