// "Load File" and "Save File": the 100 rows of channel_list to and from a
// .mem file chosen by the user.
#include "kalvo.h"
#include "memory_file.h"
#include "file/file.h"
#include "gui/gui.h"

namespace {

constexpr const char16_t *FILE_FILTER = u"Memory (*.mem)|*.mem;";
constexpr const char16_t *EXTENSION = u".mem";

void show_error(const char16_t *text) {
    requester_message(u"Error", text, REQUESTER_ERROR);
}

ChannelSet channels_of_rows() {
    ChannelSet records;
    for (int channel = 0; channel < CHANNEL_COUNT; ++channel) {
        records[channel] = channel_from_cells(gadget_get_item_text(app.channel_list, channel, 1),
                                              gadget_get_item_text(app.channel_list, channel, 2),
                                              gadget_get_item_text(app.channel_list, channel, 3));
    }
    return records;
}

// Asks before a save puts anything in place of an existing name, even one
// the user may not read; only Yes goes on.
bool may_replace(const WideText &name) {
    if (file_size(name) == -1) return true;
    return requester_message(u"", u"File exists, replace?", REQUESTER_QUESTION) ==
           REQUESTER_ANSWER_YES;
}

} // namespace

void load_file() {
    WideText name = requester_open_file(u"Please choose file to load", u"", FILE_FILTER, 0);
    ChannelSet records;
    if (!read_memory_file(name, records)) {
        show_error(u"May not load the file!");
        return;
    }
    for (int channel = 0; channel < CHANNEL_COUNT; ++channel) {
        gadget_remove_item(app.channel_list, channel);
        gadget_add_item(app.channel_list, channel, channel_row_text(channel, records[channel]));
    }
    gadget_set_state(app.channel_list, 0);
    show_selected_channel();
}

void save_file() {
    WideText name = requester_save_file(u"Please choose file to save", u"", FILE_FILTER, 0);
    if (name.empty()) {
        show_error(u"May not create the file!");
        return;
    }
    if (text_lcase(text_right(name, 4)) != EXTENSION) name += EXTENSION;
    if (!may_replace(name)) return;
    if (!write_memory_file(name, channels_of_rows())) show_error(u"May not create the file!");
}
