// The runtime's event queue proper, shared by both toolkit back-ends: a
// first-in first-out list of small event records from a pool of nodes, the
// current (last fetched) event, merging of repeats, suspension and purging.
// Every function here runs on the event-loop thread; each back-end hands
// calls from other threads over to it and feeds the queue from its own
// signal handlers or window procedures.
#pragma once

#include "gui/gui.h"

#include <cstdint>

// Post flags: bit 0 posts even while the queue is suspended; bit 1 always
// appends, even a repeat of the newest event.
inline constexpr std::uint32_t POST_WHILE_SUSPENDED = EVENT_POST_WHILE_SUSPENDED;
inline constexpr std::uint32_t POST_ALWAYS_APPEND = EVENT_POST_ALWAYS_APPEND;

void event_records_reset();
// Appends an event unless the queue is suspended or the event repeats the
// newest queued one (codes above 0xFFFF always queue); a dropped event's
// payload is released at once.
void event_records_post(std::int32_t type, std::intptr_t object, std::intptr_t window,
                        std::intptr_t subtype, void *payload, void (*release)(void *),
                        std::uint32_t flags);
// Makes the oldest event current and returns its code; 0 (and sub-type -1)
// when the queue is empty.
std::int32_t event_records_fetch();
std::int32_t event_records_peek_type();
std::int32_t event_records_current_type();
void *event_records_current_payload();
std::intptr_t event_records_current_object();
std::intptr_t event_records_current_subtype();
void event_records_suspend();
void event_records_resume();
// -1 in a field matches any value. Purged events release their payloads.
void event_records_purge(std::int32_t type, std::intptr_t object, std::intptr_t window,
                         std::intptr_t subtype);
void event_records_purge_window(std::intptr_t window);

// Runs a programmatic change with the queue suspended, so the signals or
// notifications it raises reach no one. Callers are on the event-loop thread,
// so only the change itself is covered and the user's own input, handled by
// other turns of the loop, is never dropped.
template <class Fn> auto suspended(Fn &&fn) -> decltype(fn()) {
    event_queue_suspend();
    struct Resume {
        ~Resume() { event_queue_resume(); }
    } resume;
    return fn();
}
