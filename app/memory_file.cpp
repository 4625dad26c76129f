// Loading and saving the 100 channels as a 600-byte .mem file: six bytes per
// channel, frequency (32-bit little-endian), mode code, pre-amp code.
#include "app/kalvo.h"
#include "file/file.h"
#include "gui/gui.h"

namespace {

constexpr std::int64_t MEM_FILE_SIZE = 600;
constexpr const char16_t *FILE_FILTER = u"Memory (*.mem)|*.mem;";
constexpr const char16_t *EXTENSION = u".mem";
// The new content is written here first and renamed over the target only
// once every byte has landed, so a failed save leaves the old file intact.
constexpr const char16_t *TEMPORARY_SUFFIX = u".kalvo-part";

void show_error(const char16_t *text) {
    requester_message(u"Error", text, REQUESTER_ERROR);
}

bool read_records(const WideText &name, Channel (&records)[CHANNEL_COUNT]) {
    if (file_open_read(MEMORY_FILE, name) == 0) return false;
    if (file_size(name) != MEM_FILE_SIZE) {
        file_close(MEMORY_FILE);
        return false;
    }
    file_seek(MEMORY_FILE, 0);
    for (Channel &record : records) {
        record.frequency = file_read_long(MEMORY_FILE);
        record.mode_code = file_read_byte(MEMORY_FILE);
        record.preatt_code = file_read_byte(MEMORY_FILE);
    }
    file_close(MEMORY_FILE);
    return true;
}

bool write_records(const WideText &name) {
    if (file_create(MEMORY_FILE, name) == 0) return false;
    for (int channel = 0; channel < CHANNEL_COUNT; ++channel) {
        Channel record = channel_from_cells(gadget_get_item_text(app.channel_list, channel, 1),
                                            gadget_get_item_text(app.channel_list, channel, 2),
                                            gadget_get_item_text(app.channel_list, channel, 3));
        // The file holds the low 32 bits of the frequency.
        file_write_long(MEMORY_FILE, static_cast<std::int32_t>(record.frequency));
        file_write_byte(MEMORY_FILE, record.mode_code);
        file_write_byte(MEMORY_FILE, record.preatt_code);
    }
    return file_close(MEMORY_FILE) == 1;
}

// Asks before replacing an existing file; false when the user says no or the
// file may not be written (it then stays as it is).
bool may_replace(const WideText &name) {
    if (file_open_read(MEMORY_FILE, name) == 0) return true;
    file_close(MEMORY_FILE);
    if (requester_message(u"", u"File exists, replace?", REQUESTER_QUESTION) ==
        REQUESTER_ANSWER_NO) {
        return false;
    }
    // Opens for reading and writing without truncating anything.
    if (file_open(MEMORY_FILE, name) == 0) {
        show_error(u"May not create the file!");
        return false;
    }
    file_close(MEMORY_FILE);
    return true;
}

} // namespace

void load_file() {
    WideText name = requester_open_file(u"Please choose file to load", u"", FILE_FILTER, 0);
    Channel records[CHANNEL_COUNT];
    if (!read_records(name, records)) {
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
    WideText temporary = name + TEMPORARY_SUFFIX;
    if (!write_records(temporary) || file_rename(temporary, name) != 1) {
        file_delete(temporary);
        show_error(u"May not create the file!");
    }
}
