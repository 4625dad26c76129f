// Event pumping for the toolkit suites of both back-ends: the events are
// fetched through event_wait_timeout, as the editor does.
#pragma once

#include "gui/gui.h"

#include <cstdint>
#include <vector>

struct SeenEvent {
    std::int32_t code;
    std::intptr_t object;
    std::intptr_t subtype;
};

// Whether a code event_wait_timeout returned is a toolkit event; each
// back-end's support file says (Win32 also hands out plain window messages).
bool is_toolkit_event(std::int32_t code);

// Runs the event loop for about ms milliseconds and returns the events seen.
std::vector<SeenEvent> pump_events(int ms);
// Fetches and drops everything queued or pending.
void drain_events();
// Gadget events of one gadget among the events seen.
std::vector<std::intptr_t> subtypes_of(const std::vector<SeenEvent> &events, std::intptr_t gadget);
std::vector<SeenEvent> events_with_code(const std::vector<SeenEvent> &events, std::int32_t code);
