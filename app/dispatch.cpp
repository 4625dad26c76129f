// Event dispatch and the three handlers that move one channel between its
// channel_list row and the edit controls.
#include "kalvo.h"
#include "gui/gui.h"

namespace {

constexpr std::int64_t LOWEST_FREQUENCY = 100000;
constexpr std::int64_t HIGHEST_FREQUENCY = 56000000;

void dispatch_gadget(std::intptr_t gadget) {
    if (gadget == app.read_button) {
        start_read_thread();
    } else if (gadget == app.write_button) {
        start_write_thread();
    } else if (gadget == app.load_button) {
        load_file();
    } else if (gadget == app.save_button) {
        save_file();
    } else if (gadget == app.channel_list) {
        show_selected_channel();
    } else if (gadget == app.update_button) {
        update_channel();
    } else if (gadget == app.clear_button) {
        clear_channel();
    }
}

// The channel being edited: channel_field is set only by the program, so it
// always holds 0 ... 99.
std::intptr_t edited_channel() {
    return text_val(gadget_get_text(app.channel_field));
}

// A line feed would split the row's cells; any other character is the
// user's to type, as long as text_val reads a frequency in range.
bool has_line_feed(const WideText &text) {
    for (char16_t unit : text) {
        if (unit == 0) break; // the text ends here
        if (unit == u'\n') return true;
    }
    return false;
}

} // namespace

int dispatch_event(std::int32_t code) {
    if (code == EVENT_CLOSE_WINDOW) return 0;
    if (code == EVENT_MENU) {
        event_menu();
    } else if (code == EVENT_GADGET) {
        dispatch_gadget(event_gadget());
    }
    return 1;
}

void show_selected_channel() {
    std::intptr_t row = gadget_get_state(app.channel_list);
    if (row < 0 || row >= CHANNEL_COUNT) return;
    gadget_set_text(app.channel_field, text_str(row));
    gadget_set_text(app.frequency_field, gadget_get_item_text(app.channel_list, row, 1));
    int mode = mode_combo_index(gadget_get_item_text(app.channel_list, row, 2));
    if (mode >= 0) gadget_set_state(app.mode_combo, mode);
    int preatt = preatt_combo_index(gadget_get_item_text(app.channel_list, row, 3));
    if (preatt >= 0) gadget_set_state(app.preatt_combo, preatt);
}

void update_channel() {
    WideText typed = gadget_get_text(app.frequency_field);
    std::int64_t frequency = text_val(typed);
    if (has_line_feed(typed) || frequency < LOWEST_FREQUENCY || frequency > HIGHEST_FREQUENCY) {
        requester_message(u"Error", u"Frequency out of range", REQUESTER_ERROR);
        return;
    }
    std::intptr_t channel = edited_channel();
    // The frequency cell keeps the text as typed; the mode keeps its spaces.
    WideText row = join_row(gadget_get_text(app.channel_field),
                            gadget_get_text(app.frequency_field),
                            gadget_get_text(app.mode_combo), gadget_get_text(app.preatt_combo));
    gadget_remove_item(app.channel_list, channel);
    gadget_add_item(app.channel_list, channel, row);
}

void clear_channel() {
    std::intptr_t channel = edited_channel();
    gadget_remove_item(app.channel_list, channel);
    gadget_add_item(app.channel_list, channel, gadget_get_text(app.channel_field));
}
