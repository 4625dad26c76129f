#include "tests/soak/soak_support.h"

#include "app/kalvo.h"
#include "gui/gui.h"

#include <gtk/gtk.h>

#include <chrono>

namespace {

struct Code {
    const char *name;
    std::uint8_t code;
};
// "DIG" is left out: it goes out as "USB"'s code and comes back as "USB".
const Code MODES[] = {{"USB", '2'}, {"LSB", '1'}, {"CW ", '3'}, {"CWR", '7'}, {"AM ", '5'}, {"FM ", '4'}};
const Code PREATTS[] = {{"---", '0'}, {"PRE", '1'}, {"ATT", '2'}};

std::uint8_t code_of(const std::string &name, const auto &table) {
    for (const Code &entry : table)
        if (name == entry.name) return entry.code;
    return '0';
}

const std::intptr_t *const SEVEN_CONTROLS[] = {&app.update_button, &app.clear_button, &app.port_combo,
                                               &app.read_button,   &app.write_button, &app.load_button,
                                               &app.save_button};

} // namespace

ChannelRows random_channel_set(std::mt19937 &random) {
    std::uniform_int_distribution<std::int64_t> frequency(100000, 56000000);
    std::uniform_int_distribution<int> mode(0, std::size(MODES) - 1);
    std::uniform_int_distribution<int> preatt(0, std::size(PREATTS) - 1);
    std::uniform_int_distribution<int> one_in_five(0, 4);
    ChannelRows rows;
    for (SetChannel &channel : rows) {
        if (one_in_five(random) == 0) continue;
        channel = {frequency(random), MODES[mode(random)].name, PREATTS[preatt(random)].name};
    }
    return rows;
}

std::string expected_row(int channel, const SetChannel &value) {
    if (value.frequency == 0) return std::to_string(channel) + "|||";
    return std::to_string(channel) + "|" + std::to_string(value.frequency) + "|" + value.mode + "|" +
           value.preatt;
}

vtrx::MemBytes expected_memory(const ChannelRows &rows) {
    vtrx::MemBytes bytes = empty_memory();
    for (int c = 0; c < vtrx::CHANNEL_COUNT; ++c) {
        if (rows[c].frequency == 0) continue;
        vtrx::store_record(bytes, c, {rows[c].frequency, code_of(rows[c].mode, MODES),
                                      code_of(rows[c].preatt, PREATTS)});
    }
    return bytes;
}

void start_editor_aside() {
    harness_start();
    gtk_window_move(GTK_WINDOW(window_native_handle(app.main_window)), -3000, -3000);
    run_events_for(50);
}

bool offer_port(const std::string &path) {
    if (path.empty()) return false;
    gadget_add_item(app.port_combo, -1, text_from_utf8(path.c_str()));
    return choose_port(path);
}

void show_rows(const ChannelRows &rows) {
    for (int c = 0; c < CHANNEL_COUNT; ++c) {
        std::string text = std::to_string(c);
        if (rows[c].frequency != 0)
            text += "\n" + std::to_string(rows[c].frequency) + "\n" + rows[c].mode + "\n" + rows[c].preatt;
        gadget_remove_item(app.channel_list, c);
        gadget_add_item(app.channel_list, c, text_from_utf8(text.c_str()));
    }
}

std::string shown_row(int channel) {
    return cell(channel, 0) + "|" + cell(channel, 1) + "|" + cell(channel, 2) + "|" + cell(channel, 3);
}

std::vector<std::string> row_differences(const ChannelRows &rows) {
    std::vector<std::string> differences;
    for (int c = 0; c < CHANNEL_COUNT; ++c) {
        std::string expected = expected_row(c, rows[c]);
        std::string shown = shown_row(c);
        if (shown != expected) differences.push_back(expected + " -> " + shown);
    }
    return differences;
}

namespace {

// Serves events as the program's own loop does: event_wait blocks in GTK until
// something happens, so a worker's hand-over runs the moment it is queued.
// The harness's requester watcher ticks every 20 ms, which bounds each wait.
bool serve_until(bool (*done)(), int timeout_ms) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        if (!dispatch_event(event_wait())) return false;
    }
    return true;
}

} // namespace

ExchangeOutcome run_exchange(std::intptr_t button, int timeout_ms) {
    take_seen_requesters();
    click(button);
    ExchangeOutcome outcome;
    // The click is dispatched by the event loop; the flag goes up there.
    run_events_until([] { return app.exchange_running.load(); }, 1000);
    outcome.ended = serve_until([] { return !app.exchange_running; }, timeout_ms);
    run_events_for(30); // the controls and the progress bar take their last state
    outcome.controls_back = true;
    for (const std::intptr_t *control : SEVEN_CONTROLS)
        outcome.controls_back = outcome.controls_back && is_enabled(*control);
    outcome.progress = progress_fraction();
    for (const SeenRequester &seen : take_seen_requesters()) outcome.messages.push_back(seen.text);
    return outcome;
}
