#include "channel_csv.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>

namespace {

// The range "Update Channel" accepts.
constexpr std::int64_t LOWEST_FREQUENCY = 100000;
constexpr std::int64_t HIGHEST_FREQUENCY = 56000000;
constexpr int HERTZ_DIGITS_IN_MHZ = 6;
// Any number from here on is out of every range, however long it is.
constexpr std::int64_t TOO_MANY = 1000000000;
constexpr std::size_t SHOWN_LENGTH = 40;

// The generic layout's digital modes: sent as the editor sends "DIG".
constexpr std::string_view DIGITAL_MODES[] = {"DIG", "DV", "DN", "DMR", "P25", "PKT", "RTTY", "RTTYR"};

using Cells = std::array<std::string, 4>;

// The four cells of the channel's list row, as UTF-8.
Cells list_cells(int channel, const Channel &record) {
    Cells cells;
    const WideText row = channel_row_text(channel, record);
    std::size_t column = 0, start = 0;
    for (std::size_t i = 0; i <= row.size() && column < cells.size(); ++i) {
        if (i < row.size() && row[i] != ROW_SEPARATOR) continue;
        cells[column++] = text_to_utf8(row.substr(start, i - start));
        start = i + 1;
    }
    return cells;
}

std::string trim_end(std::string text) {
    text.erase(text.find_last_not_of(' ') + 1);
    return text;
}

std::string trim(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return std::string(text.substr(first, text.find_last_not_of(" \t") - first + 1));
}

std::string listed_name(const char16_t *name) {
    return trim_end(text_to_utf8(name));
}

// A cell as a fault quotes it: control characters made visible, long
// texts cut, so that no input can drive the terminal.
std::string quoted(const std::string &cell) {
    std::string shown;
    for (char c : cell.substr(0, SHOWN_LENGTH))
        shown += (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) ? '?' : c;
    return "\"" + shown + (cell.size() > SHOWN_LENGTH ? "...\"" : "\"");
}

// Decimal digits alone; a value of TOO_MANY or more is given as TOO_MANY.
std::optional<std::int64_t> whole_number(const std::string &text) {
    if (text.empty()) return std::nullopt;
    std::int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = std::min(value * 10 + (c - '0'), TOO_MANY);
    }
    return value;
}

enum class Layout { ours, generic };

// Where the columns a layout needs are; -1 for a column not there.
struct Columns {
    Layout layout = Layout::ours;
    int channel = -1;
    int frequency = -1;
    int mode = -1;
    int preatt = -1;
};

class Importer {
public:
    explicit Importer(std::vector<CsvFault> &faults) : faults_(faults) {
        records_.fill(Channel{0, '0', '0'});
    }

    bool find_columns(const CsvRecord &header) {
        auto find = [&](std::string_view name) {
            for (std::size_t i = 0; i < header.fields.size(); ++i)
                if (trim(header.fields[i]) == name) return static_cast<int>(i);
            return -1;
        };
        columns_.channel = find("Channel");
        if (columns_.channel < 0) {
            columns_.layout = Layout::generic;
            columns_.channel = find("Location");
        }
        columns_.frequency = find("Frequency");
        columns_.mode = find("Mode");
        if (columns_.layout == Layout::ours) columns_.preatt = find("PreAtt");
        const std::size_t before = faults_.size();
        if (columns_.channel < 0) fault(header.line, "the header names no \"Channel\" or \"Location\" column");
        if (columns_.frequency < 0) fault(header.line, "the header names no \"Frequency\" column");
        if (columns_.mode < 0) fault(header.line, "the header names no \"Mode\" column");
        return faults_.size() == before;
    }

    void take(const CsvRecord &row) {
        if (std::all_of(row.fields.begin(), row.fields.end(), [](const std::string &f) { return trim(f).empty(); }))
            return; // a blank line, or a spreadsheet's empty row
        const int line = row.line;
        auto cell = [&](int column) {
            return column >= 0 && column < static_cast<int>(row.fields.size()) ? trim(row.fields[column])
                                                                              : std::string();
        };
        std::optional<int> channel = channel_of(line, cell(columns_.channel));
        std::optional<std::int64_t> frequency = frequency_of(line, cell(columns_.frequency));
        std::optional<std::int32_t> mode = mode_of(line, cell(columns_.mode));
        std::optional<std::int32_t> preatt = preatt_of(line, cell(columns_.preatt));
        if (channel && frequency && mode && preatt)
            records_[*channel] = listed_channel(Channel{*frequency, *mode, *preatt});
    }

    const ChannelSet &records() const { return records_; }

private:
    void fault(int line, std::string what) { faults_.push_back({line, std::move(what)}); }

    std::optional<int> channel_of(int line, const std::string &text) {
        const char *column = columns_.layout == Layout::ours ? "channel " : "location ";
        std::optional<std::int64_t> number = whole_number(text);
        if (!number || *number >= CHANNEL_COUNT) {
            fault(line, column + quoted(text) + " is not a channel number from 0 to 99");
            return std::nullopt;
        }
        const int channel = static_cast<int>(*number);
        if (named_on_[channel]) {
            fault(line, "channel " + std::to_string(channel) + " is already on line " +
                            std::to_string(named_on_[channel]));
            return std::nullopt;
        }
        named_on_[channel] = line;
        return channel;
    }

    // Hertz, or 0 for an empty cell (an empty channel).
    std::optional<std::int64_t> frequency_of(int line, const std::string &text) {
        if (text.empty()) return 0;
        const bool hertz_given = columns_.layout == Layout::ours;
        std::optional<std::int64_t> hertz = hertz_given ? whole_number(text) : hertz_of_megahertz(text);
        if (!hertz) {
            fault(line, "frequency " + quoted(text) +
                            (hertz_given ? " is not a whole number of hertz"
                                         : " is not a number of MHz with at most six decimals"));
            return std::nullopt;
        }
        if (*hertz < LOWEST_FREQUENCY || *hertz > HIGHEST_FREQUENCY) {
            fault(line, "frequency " + quoted(text) + " is out of range (100 kHz ... 56 MHz)");
            return std::nullopt;
        }
        return hertz;
    }

    // "7.05", "7.050000", "446.00625", "7": hertz, when the text says a
    // whole number of them.
    static std::optional<std::int64_t> hertz_of_megahertz(const std::string &text) {
        const std::size_t point = text.find('.');
        const std::string whole = text.substr(0, point);
        std::string fraction = point == std::string::npos ? "" : text.substr(point + 1);
        if (whole.empty() && fraction.empty()) return std::nullopt;
        fraction.erase(fraction.find_last_not_of('0') + 1);
        if (fraction.size() > HERTZ_DIGITS_IN_MHZ) return std::nullopt; // finer than a hertz
        fraction.resize(HERTZ_DIGITS_IN_MHZ, '0');
        std::optional<std::int64_t> megahertz = whole.empty() ? 0 : whole_number(whole);
        std::optional<std::int64_t> hertz = whole_number(fraction);
        if (!megahertz || !hertz) return std::nullopt;
        return std::min(*megahertz, TOO_MANY) * 1000000 + *hertz;
    }

    std::optional<std::int32_t> mode_of(int line, const std::string &name) {
        if (name.empty()) return mode_text_to_code(u""); // the blank name of a code without one
        std::string known;
        for (const char16_t *listed : MODE_NAMES) {
            if (listed_name(listed) == name) return mode_text_to_code(listed);
            known += (known.empty() ? "" : ", ") + listed_name(listed);
        }
        if (columns_.layout == Layout::generic) {
            for (std::string_view digital : DIGITAL_MODES)
                if (digital == name) return mode_text_to_code(u"DIG");
            known += " or a digital mode";
        }
        fault(line, "mode " + quoted(name) + " is not one of " + known);
        return std::nullopt;
    }

    std::optional<std::int32_t> preatt_of(int line, const std::string &name) {
        if (name.empty()) return preatt_text_to_code(u"");
        for (const char16_t *listed : PREATT_NAMES)
            if (listed_name(listed) == name) return preatt_text_to_code(listed);
        fault(line, "pre-amp " + quoted(name) + " is not one of ---, PRE, ATT");
        return std::nullopt;
    }

    std::vector<CsvFault> &faults_;
    ChannelSet records_;
    Columns columns_;
    std::array<int, CHANNEL_COUNT> named_on_{}; // line of each channel given, 0 for none
};

} // namespace

std::string channel_table(const ChannelSet &records) {
    std::vector<Cells> lines{{"NumCh", "Freq (Hz)", "Mode", "PreAtt"}};
    for (int channel = 0; channel < CHANNEL_COUNT; ++channel)
        lines.push_back(list_cells(channel, records[channel]));
    std::array<std::size_t, 4> width{};
    for (const Cells &cells : lines)
        for (std::size_t i = 0; i < cells.size(); ++i) width[i] = std::max(width[i], cells[i].size());
    // Numbers to the right, names to the left.
    std::string table;
    for (const Cells &cells : lines) {
        std::string line = std::string(width[0] - cells[0].size(), ' ') + cells[0] + "  " +
                           std::string(width[1] - cells[1].size(), ' ') + cells[1] + "  " + cells[2] +
                           std::string(width[2] - cells[2].size(), ' ') + "  " + cells[3];
        table += trim_end(line) + "\n";
    }
    return table;
}

std::string channels_to_csv(const ChannelSet &records) {
    std::string csv = "Channel,Frequency,Mode,PreAtt\r\n";
    for (int channel = 0; channel < CHANNEL_COUNT; ++channel) {
        const Cells cells = list_cells(channel, records[channel]);
        csv += cells[0] + "," + cells[1] + "," + trim_end(cells[2]) + "," + trim_end(cells[3]) + "\r\n";
    }
    return csv;
}

bool channels_from_csv(std::string_view text, ChannelSet &records, std::vector<CsvFault> &faults) {
    const std::size_t before = faults.size();
    std::vector<CsvRecord> rows = read_csv(text, faults);
    Importer importer(faults);
    if (rows.empty() || rows.front().line != 1) {
        if (faults.size() == before) faults.push_back({1, "no header line"});
    } else if (importer.find_columns(rows.front())) {
        for (std::size_t i = 1; i < rows.size(); ++i) importer.take(rows[i]);
    }
    if (faults.size() != before) {
        std::stable_sort(faults.begin() + static_cast<std::ptrdiff_t>(before), faults.end(),
                         [](const CsvFault &a, const CsvFault &b) { return a.line < b.line; });
        return false;
    }
    records = importer.records();
    return true;
}
