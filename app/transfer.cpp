// The two exchanges with the radio, each run on a worker thread: read all 100
// channels into channel_list, or write all 100 rows to the radio. The main
// thread keeps serving the window meanwhile; toolkit calls made here are
// carried out by the toolkit on the main thread.
#include "exchange.h"
#include "kalvo.h"
#include "gui/gui.h"

namespace {

// The editor's end of an exchange: channel_list holds the channels, the
// status bar shows the progress, requesters tell the faults, and the
// exchange stops when the program is going down.
class EditorSide final : public ExchangeSide {
public:
    bool stopping() override {
        return app.stop_requested.load();
    }
    void fault(const char16_t *message) override {
        requester_message(u"Error", message, REQUESTER_ERROR);
    }
    void received(int channel, const Channel &record) override {
        WideText row = channel_row_text(channel, record);
        gadget_remove_item(app.channel_list, channel);
        gadget_add_item(app.channel_list, channel, row);
    }
    Channel to_send(int channel) override {
        return channel_from_cells(gadget_get_item_text(app.channel_list, channel, 1),
                                  gadget_get_item_text(app.channel_list, channel, 2),
                                  gadget_get_item_text(app.channel_list, channel, 3));
    }
    void progress(int channel) override {
        statusbar_progress(app.status_bar, 0, channel);
    }
};

using Exchanger = ExchangeEnd (*)(const WideText &, ExchangeSide &, ExchangeBuffers);

// An exchange clicked while the previous one was still handing the controls
// back: once they are all back, they go dead again for this one.
void wait_for_controls_returned() {
    if (!app.controls_returning.load()) return;
    while (app.controls_returning.load()) delay_ms(1);
    set_controls_busy(1);
}

// The whole exchange on the chosen port, then the controls back.
void run_exchange(Exchanger exchange) {
    wait_for_controls_returned();
    EditorSide side;
    exchange(gadget_get_text(app.port_combo), side, {app.rx_buffer.get(), app.tx_buffer.get()});
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
    run_exchange(read_radio);
}

void write_all_channels(std::intptr_t) {
    run_exchange(write_radio);
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
