#include "csv.h"

namespace {

constexpr std::string_view BYTE_ORDER_MARK = "\xEF\xBB\xBF";

// Reads one record at a time, counting lines as it goes.
class CsvReader {
public:
    explicit CsvReader(std::string_view text) : text_(text) {
        if (text_.substr(0, BYTE_ORDER_MARK.size()) == BYTE_ORDER_MARK)
            position_ = BYTE_ORDER_MARK.size();
    }

    bool at_end() const { return position_ >= text_.size(); }

    // The next record; a quoting fault is added to faults and makes the
    // record's result false.
    bool next(CsvRecord &record, std::vector<CsvFault> &faults) {
        record = CsvRecord{line_, {std::string()}};
        bool sound = true;
        while (!at_end()) {
            char c = text_[position_];
            if (c == '\r' || c == '\n') {
                end_line();
                return sound;
            }
            ++position_;
            if (c == ',') {
                record.fields.emplace_back();
            } else if (c == '"' && record.fields.back().empty()) {
                sound = quoted_field(record, faults) && sound;
            } else if (c == '"') {
                sound = fault(faults, line_, "a quote inside a field that does not start with one");
            } else {
                record.fields.back() += c;
            }
        }
        return sound;
    }

private:
    // Past one line end: CR LF, LF or CR.
    void end_line() {
        if (text_[position_] == '\r' && position_ + 1 < text_.size() && text_[position_ + 1] == '\n')
            ++position_;
        ++position_;
        ++line_;
    }

    bool fault(std::vector<CsvFault> &faults, int line, const char *what) {
        faults.push_back({line, what});
        return false;
    }

    // From just past the opening quote to just past the closing one.
    bool quoted_field(CsvRecord &record, std::vector<CsvFault> &faults) {
        const int opened_on = line_;
        std::string &field = record.fields.back();
        while (!at_end()) {
            char c = text_[position_];
            if (c == '"') {
                ++position_;
                if (at_end() || text_[position_] != '"') return after_closing_quote(faults);
                field += '"';
                ++position_;
            } else if (c == '\r' || c == '\n') {
                std::size_t from = position_;
                end_line();
                field.append(text_.substr(from, position_ - from));
            } else {
                field += c;
                ++position_;
            }
        }
        return fault(faults, opened_on, "a quoted field is not closed");
    }

    bool at_separator() const {
        return at_end() || text_[position_] == ',' || text_[position_] == '\r' || text_[position_] == '\n';
    }

    // Only a comma or a line end may follow a closing quote, so a field that
    // starts with a quote is empty only until that quote; the rest of a field
    // that breaks this is dropped with the record.
    bool after_closing_quote(std::vector<CsvFault> &faults) {
        if (at_separator()) return true;
        while (!at_separator()) ++position_;
        return fault(faults, line_, "text after the closing quote of a field");
    }

    std::string_view text_;
    std::size_t position_ = 0;
    int line_ = 1;
};

} // namespace

std::vector<CsvRecord> read_csv(std::string_view text, std::vector<CsvFault> &faults) {
    std::vector<CsvRecord> records;
    CsvReader reader(text);
    while (!reader.at_end()) {
        CsvRecord record;
        if (reader.next(record, faults)) records.push_back(std::move(record));
    }
    return records;
}
