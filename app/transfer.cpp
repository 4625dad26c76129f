// The two exchanges with the radio, each run on a worker thread: read all 100
// channels into channel_list, or write all 100 rows to the radio. The main
// thread keeps serving the window meanwhile; toolkit calls made here are
// carried out by the toolkit on the main thread.
#include "app/kalvo.h"
#include "gui/gui.h"
#include "serial/serial.h"

namespace {

enum class PollResult { ready, timed_out, stopped };

bool stopping() {
    return app.stop_requested.load();
}

void show_error(const char16_t *text) {
    if (!stopping()) requester_message(u"Error", text, REQUESTER_ERROR);
}

// Polls every millisecond until ready() holds. Reaching the poll limit counts
// as a time-out even when ready() holds at that last poll.
template <typename Ready> PollResult poll_until(Ready ready) {
    int polls = 0;
    do {
        delay_ms(POLL_INTERVAL_MS);
        ++polls;
        if (stopping()) return PollResult::stopped;
    } while (!ready() && polls < POLL_LIMIT);
    return polls < POLL_LIMIT ? PollResult::ready : PollResult::timed_out;
}

// Drops what was waiting when the port came up, in pieces no larger than the
// receive buffer however much is waiting.
void discard_stale_input() {
    std::intptr_t waiting = serial_input_available(EXCHANGE_PORT);
    while (waiting > 0) {
        std::int32_t piece = waiting < EXCHANGE_BUFFER_SIZE ? static_cast<std::int32_t>(waiting)
                                                            : EXCHANGE_BUFFER_SIZE;
        if (serial_read(EXCHANGE_PORT, app.rx_buffer.get(), piece) <= 0) break;
        waiting -= piece;
    }
}

// Opens port 0 on the chosen port name and lets the line settle; false (after
// telling the user) when the port does not open.
bool open_exchange_port() {
    WideText name = gadget_get_text(app.port_combo);
    if (stopping()) return false;
    if (serial_open(EXCHANGE_PORT, name, 9600, 0, 8, 1.0f, 0, 64, 64) == 0) {
        show_error(u"Can't open port!");
        return false;
    }
    serial_set_line(EXCHANGE_PORT, SERIAL_LINE_DTR, 1);
    serial_set_line(EXCHANGE_PORT, SERIAL_LINE_RTS, 1);
    delay_ms(SETTLE_DELAY_MS);
    discard_stale_input();
    return true;
}

// False when the port did not take every byte: the exchange waits for an
// empty output queue before each command, so only a device that went away
// (an adapter pulled out, a line hung up) refuses one.
bool send_command(const WideText &command) {
    int length = command_to_bytes(command, app.tx_buffer.get(), EXCHANGE_BUFFER_SIZE);
    return serial_write(EXCHANGE_PORT, app.tx_buffer.get(), length) == length;
}

// Returns false when the exchange must end (time-out reported, or exit).
bool exchange_ok(PollResult result) {
    if (result == PollResult::timed_out) show_error(u"TRX not responding!");
    return result == PollResult::ready;
}

void read_channels() {
    send_command(read_command(0));
    for (int channel = 0; channel < CHANNEL_COUNT && !stopping(); ++channel) {
        PollResult result =
            poll_until([] { return serial_input_available(EXCHANGE_PORT) == REPLY_LENGTH; });
        if (!exchange_ok(result)) return;
        serial_read(EXCHANGE_PORT, app.rx_buffer.get(), REPLY_LENGTH);
        Channel record = decode_reply(app.rx_buffer.get());
        // The next request goes out first, so the line carries it while the
        // row is being replaced; only one reply is ever on its way.
        if (channel + 1 < CHANNEL_COUNT) send_command(read_command(channel + 1));
        WideText row = channel_row_text(channel, record);
        gadget_remove_item(app.channel_list, channel);
        gadget_add_item(app.channel_list, channel, row);
        statusbar_progress(app.status_bar, 0, channel);
    }
}

void write_channels() {
    for (int channel = 0; channel < CHANNEL_COUNT && !stopping(); ++channel) {
        Channel record = channel_from_cells(gadget_get_item_text(app.channel_list, channel, 1),
                                            gadget_get_item_text(app.channel_list, channel, 2),
                                            gadget_get_item_text(app.channel_list, channel, 3));
        if (stopping()) return; // the cells read as empty once the toolkit is going down
        // Nothing answers a write, so a refused command is the only sign that
        // the radio is gone; without this check the write would end as if
        // every channel had been sent.
        if (!send_command(write_command(channel, record))) {
            show_error(u"TRX not responding!");
            return;
        }
        if (!exchange_ok(poll_until([] { return serial_output_pending(EXCHANGE_PORT) == 0; })))
            return;
        statusbar_progress(app.status_bar, 0, channel);
    }
}

// An exchange clicked while the previous one was still handing the controls
// back: once they are all back, they go dead again for this one.
void wait_for_controls_returned() {
    if (!app.controls_returning.load()) return;
    while (app.controls_returning.load()) delay_ms(1);
    set_controls_busy(1);
}

// The whole exchange: open, the channels, close, controls back.
void run_exchange(void (*channels)()) {
    wait_for_controls_returned();
    if (open_exchange_port()) {
        channels();
        serial_close(EXCHANGE_PORT);
    }
    statusbar_progress(app.status_bar, 0, 0);
    // Cleared before the buttons come back, so that a click on them starts
    // the next exchange; the port is closed and the rows left alone by now.
    app.controls_returning = true;
    app.exchange_running = false;
    set_controls_busy(0);
    app.controls_returning = false;
}

void start_exchange(ThreadProcedure worker) {
    if (app.exchange_running.exchange(true)) return;
    // Disabled here, before the worker exists, so a second click queued
    // meanwhile finds the buttons already dead.
    set_controls_busy(1);
    if (thread_create(worker, 0) == 0) {
        set_controls_busy(0);
        app.exchange_running = false;
    }
}

} // namespace

void set_controls_busy(std::int32_t state) {
    for (std::intptr_t gadget : {app.update_button, app.clear_button, app.port_combo,
                                 app.read_button, app.write_button, app.load_button,
                                 app.save_button}) {
        gadget_disable(gadget, state);
    }
}

void read_all_channels(std::intptr_t) {
    run_exchange(read_channels);
}

void write_all_channels(std::intptr_t) {
    run_exchange(write_channels);
}

void start_read_thread() {
    start_exchange(read_all_channels);
}

void start_write_thread() {
    start_exchange(write_all_channels);
}

int wait_for_exchange(std::int32_t timeout_ms) {
    for (std::int32_t waited = 0; app.exchange_running.load(); ++waited) {
        if (waited >= timeout_ms) return 0;
        delay_ms(1);
    }
    return 1;
}
