// The parts of the toolkit view both back-ends share: event pumping through
// event_wait_timeout, as the editor fetches its events.
#include "toolkit_view.h"

#include <chrono>

std::vector<SeenEvent> pump_events(int ms) {
    std::vector<SeenEvent> seen;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end) {
        const std::int32_t code = event_wait_timeout(5);
        if (is_toolkit_event(code))
            seen.push_back({code, event_gadget(), event_type()});
    }
    return seen;
}

void drain_events() {
    for (int i = 0; i < 10000 && event_wait_timeout(0) != 0; ++i) {
    }
}

std::vector<std::intptr_t> subtypes_of(const std::vector<SeenEvent> &events, std::intptr_t gadget) {
    std::vector<std::intptr_t> subtypes;
    for (const SeenEvent &event : events)
        if (event.code == EVENT_GADGET && event.object == gadget)
            subtypes.push_back(event.subtype);
    return subtypes;
}

std::vector<SeenEvent> events_with_code(const std::vector<SeenEvent> &events, std::int32_t code) {
    std::vector<SeenEvent> found;
    for (const SeenEvent &event : events)
        if (event.code == code)
            found.push_back(event);
    return found;
}
