#include "editor_harness.h"

#include "gui/gui.h"

#include <algorithm>
#include <chrono>
#include <deque>
#include <mutex>
#include <utility>

namespace {

// Answered on the toolkit view's answering thread.
std::mutex answers_lock;
std::deque<DialogAnswer> answers;
std::vector<Seen> seen;

// A message is answered with OK; a file requester or a question with the
// next queued answer (Cancel or Yes when none is).
std::optional<DialogAnswer> answer_from_queue(const DialogSeen &shown) {
    std::lock_guard lock(answers_lock);
    seen.push_back({shown.title, shown.file_requester ? "file chooser" : shown.text});
    if (!shown.file_requester && !shown.yes_no) return DialogAnswer{Reply::ok, {}, 0};
    if (answers.empty()) return DialogAnswer{shown.file_requester ? Reply::cancel : Reply::yes, {}, 0};
    const DialogAnswer next = answers.front();
    answers.pop_front();
    return next;
}

} // namespace

void harness_start() {
    app_start();
    answer_every_dialog(answer_from_queue);
}

bool run_events_until(const std::function<bool()> &done, int timeout_ms) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        if (!dispatch_event(event_wait_timeout(5))) return false;
    }
    return true;
}

// The items as the runtime reads them from the toolkit's widget.
std::vector<std::string> combo_items(std::intptr_t combo) {
    std::vector<std::string> items;
    for (std::intptr_t index = 0; index < gadget_count_items(combo); ++index)
        items.push_back(text_to_utf8(gadget_get_item_text(combo, index)));
    return items;
}

int selected_row() {
    const std::vector<int> rows = selected_rows(app.channel_list);
    return rows.empty() ? -1 : rows.front();
}

bool choose_port(const std::string &name) {
    const std::vector<std::string> items = combo_items(app.port_combo);
    const auto found = std::find(items.begin(), items.end(), name);
    if (found == items.end()) return false;
    choose_item(app.port_combo, static_cast<int>(found - items.begin()));
    return true;
}

void queue_answer(Reply reply, const std::string &path) {
    std::lock_guard lock(answers_lock);
    answers.push_back(path.empty() ? DialogAnswer{reply, {}, 0} : DialogAnswer{Reply::ok, {path}, 0});
}

std::vector<Seen> take_seen() {
    std::lock_guard lock(answers_lock);
    return std::exchange(seen, {});
}

std::vector<Seen> seen_after(std::size_t count, int timeout_ms) {
    run_events_until([&] {
        std::lock_guard lock(answers_lock);
        return seen.size() >= count;
    }, timeout_ms);
    run_events_for(100);
    return take_seen();
}
