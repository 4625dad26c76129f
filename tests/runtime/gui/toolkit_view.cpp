// The parts of the toolkit view both back-ends share: event pumping through
// event_wait_timeout, as the editor fetches its events, and waiting for one
// requester's answer.
#include "toolkit_view.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <mutex>
#include <utility>

namespace {

// The Win32 part answers from a thread of its own.
std::mutex answers_lock;
int answered = 0; // requesters answered and gone
int waited_for = 0;
DialogSeen last_answered;

} // namespace

void dialog_answered(const DialogSeen &seen) {
    std::lock_guard lock(answers_lock);
    ++answered;
    last_answered = seen;
}

void answer_next_dialog(Reply reply, std::string file, int after_ms) {
    {
        std::lock_guard lock(answers_lock);
        waited_for = answered + 1;
    }
    auto once = std::make_shared<std::optional<DialogAnswer>>(
        DialogAnswer{reply, std::move(file), after_ms});
    answer_every_dialog([once](const DialogSeen &) { return std::exchange(*once, std::nullopt); });
}

DialogSeen answered_dialog() {
    for (int tries = 0; tries < 1000; ++tries) {
        {
            std::lock_guard lock(answers_lock);
            if (answered >= waited_for)
                return last_answered;
        }
        pump_events(10);
    }
    ADD_FAILURE() << "no requester was answered";
    return {};
}

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
    for (int i = 0; i < 10000 && event_wait_timeout(0) != 0; ++i) {}
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
