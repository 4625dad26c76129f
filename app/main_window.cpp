// Start-up and exit of the editor: the main window with its status bar and
// 17 gadgets, the serial ports that open, the 100 empty rows.
#include "kalvo.h"
#include "gui/gui.h"
#include "serial/serial.h"
#include "start/start.h"

AppState app;

namespace {

#if defined(_WIN32)
constexpr const char16_t *WINDOW_TITLE = u"Kalvo 1.03";
constexpr const char16_t *PORT_BASE = u"COM";
#else
constexpr const char16_t *WINDOW_TITLE = u"Kalvo 1.02";
constexpr const char16_t *PORT_BASE = u"/dev/ttyUSB";
#endif

constexpr int PORT_PROBE_COUNT = 100;
// A worker that has not ended by then is left to end with the process.
constexpr std::int32_t EXIT_WAIT_MS = 1500;

void create_buttons_and_list() {
    app.read_button = gadget_create_button(ANY, 10, 10, 80, 30, u"Read TRX");
    app.write_button = gadget_create_button(ANY, 110, 10, 80, 30, u"Write TRX");
    app.load_button = gadget_create_button(ANY, 210, 10, 80, 30, u"Load File");
    app.save_button = gadget_create_button(ANY, 310, 10, 80, 30, u"Save File");
    app.port_combo = gadget_create_combo(ANY, 440, 12, 80, 25);
    app.port_label = gadget_create_text(ANY, 400, 16, 40, 20, u"PORT:");
    // The list has no check boxes, so the third-state bit changes nothing; it
    // stays in the flag word the list has always been created with.
    app.channel_list = gadget_create_list_icon(
        ANY, 10, 50, 320, 230, u"NumCh", 60,
        LIST_ICON_GRID_LINES | LIST_ICON_FULL_ROW_SELECT | LIST_ICON_THIRD_STATE);
    gadget_add_column(app.channel_list, 1, u"Freq (Hz)", 120);
    gadget_add_column(app.channel_list, 2, u"Mode", 60);
    gadget_add_column(app.channel_list, 3, u"PreAtt", 50);
}

void create_edit_controls() {
    app.channel_label = gadget_create_text(ANY, 340, 60, 50, 20, u"NumCh");
    app.frequency_label = gadget_create_text(ANY, 340, 90, 50, 20, u"Freq");
    app.mode_label = gadget_create_text(ANY, 340, 120, 50, 20, u"Mode");
    app.preatt_label = gadget_create_text(ANY, 340, 150, 50, 20, u"PreAtt");
    app.channel_field =
        gadget_create_string(ANY, 400, 60, 40, 20, u"", STRING_READ_ONLY | STRING_NUMERIC);
    app.frequency_field = gadget_create_string(ANY, 400, 90, 90, 20, u"");
    app.mode_combo = gadget_create_combo(ANY, 400, 120, 60, 20);
    app.preatt_combo = gadget_create_combo(ANY, 400, 150, 60, 20);
    app.update_button = gadget_create_button(ANY, 380, 190, 110, 30, u"Update Channel");
    app.clear_button = gadget_create_button(ANY, 380, 240, 110, 30, u"Clear Channel");
}

// The labels stand beside their controls; screen readers are told which
// names which, since neither build can tell it from the creation order.
void label_controls() {
    gadget_set_label(app.port_combo, app.port_label);
    gadget_set_label(app.channel_field, app.channel_label);
    gadget_set_label(app.frequency_field, app.frequency_label);
    gadget_set_label(app.mode_combo, app.mode_label);
    gadget_set_label(app.preatt_combo, app.preatt_label);
}

void fill_rows_and_combos() {
    for (int n = 0; n < CHANNEL_COUNT; ++n) gadget_add_item(app.channel_list, n, text_str(n));
    gadget_set_state(app.channel_list, 0);
    gadget_set_text(app.channel_field, text_str(gadget_get_state(app.channel_list)));
    for (const char16_t *name : MODE_NAMES) gadget_add_item(app.mode_combo, -1, name);
    gadget_set_state(app.mode_combo, 0);
    for (const char16_t *name : PREATT_NAMES) gadget_add_item(app.preatt_combo, -1, name);
    gadget_set_state(app.preatt_combo, 0);
}

} // namespace

void build_main_window(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height) {
    app.main_window =
        window_open(ANY, x, y, width, height, WINDOW_TITLE,
                    WINDOW_SYSTEM_MENU | WINDOW_MINIMIZE_GADGET | WINDOW_SCREEN_CENTERED);
    app.status_bar = 0;
    statusbar_create(app.status_bar, window_native_handle(app.main_window));
    statusbar_add_field(530);
    statusbar_progress(app.status_bar, 0, 0);
    create_buttons_and_list();
    create_edit_controls();
    label_controls();
}

void discover_ports() {
    for (int n = 0; n < PORT_PROBE_COUNT; ++n) {
        WideText name = app.port_base + text_str(n);
        if (serial_open(EXCHANGE_PORT, name, 9600, SERIAL_PARITY_NONE, 8, 1.0f, SERIAL_HANDSHAKE_NONE, 16, 16) != 0) {
            gadget_add_item(app.port_combo, -1, name);
            serial_close(EXCHANGE_PORT);
        }
    }
}

void app_start() {
    app.port_base = PORT_BASE;
    app.rx_buffer = std::make_unique<unsigned char[]>(EXCHANGE_BUFFER_SIZE);
    app.tx_buffer = std::make_unique<unsigned char[]>(EXCHANGE_BUFFER_SIZE);
    app.exchange_running = false;
    app.controls_returning = false;
    app.stop_requested = false;
    build_main_window(0, 0, 530, 310);
    discover_ports();
    fill_rows_and_combos();
}

void app_finish() {
    // The stop flag goes first: once the toolkit is going down the worker's
    // calls return empty texts, which it must not take for channel data.
    app.stop_requested = true;
    // Worker calls into the toolkit return at once from here on, and a
    // message the worker shows is dismissed, so it reaches its next step.
    toolkit_shutdown_begin();
    wait_for_exchange(EXIT_WAIT_MS);
    runtime_stop();
}
