#include "channel_codes.h"

const char16_t *const MODE_NAMES[MODE_NAME_COUNT] = {u"USB", u"LSB", u"CW ", u"CWR",
                                                     u"DIG", u"AM ", u"FM "};
const char16_t *const PREATT_NAMES[PREATT_NAME_COUNT] = {u"---", u"PRE", u"ATT"};

namespace {

struct ModeEntry {
    const char16_t *name;
    char code;
    int combo_index;
};

// Lookup order of the names. "DIG" comes last and shares "USB"'s code, so a
// code never turns back into "DIG".
constexpr ModeEntry MODE_TABLE[] = {
    {u"USB", '2', 0}, {u"LSB", '1', 1}, {u"CW ", '3', 2}, {u"CWR", '7', 3},
    {u"AM ", '5', 5}, {u"FM ", '4', 6}, {u"DIG", '2', 4},
};
constexpr char PREATT_CODES[PREATT_NAME_COUNT] = {'0', '1', '2'};

const ModeEntry *find_mode(const WideText &name) {
    for (const ModeEntry &entry : MODE_TABLE) {
        if (name == entry.name) return &entry;
    }
    return nullptr;
}

} // namespace

std::int32_t mode_text_to_code(const WideText &name) {
    const ModeEntry *entry = find_mode(name);
    return entry ? entry->code : '0';
}

WideText mode_code_to_text(std::int32_t code) {
    for (const ModeEntry &entry : MODE_TABLE) {
        if (entry.code == code) return entry.name; // '2' finds "USB" first
    }
    return u"   ";
}

int mode_combo_index(const WideText &name) {
    const ModeEntry *entry = find_mode(name);
    return entry ? entry->combo_index : -1;
}

int preatt_combo_index(const WideText &name) {
    for (int i = 0; i < PREATT_NAME_COUNT; ++i) {
        if (name == PREATT_NAMES[i]) return i;
    }
    return -1;
}

std::int32_t preatt_text_to_code(const WideText &name) {
    int index = preatt_combo_index(name);
    return index < 0 ? '0' : PREATT_CODES[index];
}

WideText preatt_code_to_text(std::int32_t code) {
    for (int i = 0; i < PREATT_NAME_COUNT; ++i) {
        if (PREATT_CODES[i] == code) return PREATT_NAMES[i];
    }
    return PREATT_NAMES[0];
}

WideText join_row(const WideText &number, const WideText &frequency, const WideText &mode,
                  const WideText &preatt) {
    return number + ROW_SEPARATOR + frequency + ROW_SEPARATOR + mode + ROW_SEPARATOR + preatt;
}

WideText channel_row_text(int channel, const Channel &record) {
    if (record.frequency == 0) return text_str(channel);
    return join_row(text_str(channel), text_str(record.frequency),
                    mode_code_to_text(record.mode_code), preatt_code_to_text(record.preatt_code));
}

Channel channel_from_cells(const WideText &frequency, const WideText &mode,
                           const WideText &preatt) {
    return Channel{text_val(frequency), mode_text_to_code(mode), preatt_text_to_code(preatt)};
}

Channel listed_channel(const Channel &record) {
    if (record.frequency == 0) return channel_from_cells(u"", u"", u"");
    return channel_from_cells(text_str(record.frequency), mode_code_to_text(record.mode_code),
                              preatt_code_to_text(record.preatt_code));
}
