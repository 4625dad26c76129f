// Any bytes as a CSV file to import. An import either names its faults, each
// on a line the text has, and leaves the channels alone, or gives channels
// the editor could have made, which export and import again unchanged.
#include "channel_csv.h"
#include "fuzz_check.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

namespace {

bool same_set(const ChannelSet &a, const ChannelSet &b) {
    return std::equal(a.begin(), a.end(), b.begin(), same_channel);
}

bool editor_channel(const Channel &record) {
    if (record.frequency == 0) return record.mode_code == '0' && record.preatt_code == '0';
    return record.frequency >= 100000 && record.frequency <= 56000000 &&
           std::string_view("0123457").find(static_cast<char>(record.mode_code)) != std::string_view::npos &&
           std::string_view("012").find(static_cast<char>(record.preatt_code)) != std::string_view::npos;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    ChannelSet records, untouched;
    untouched.fill(Channel{7, 'x', 'y'});
    records = untouched;
    std::vector<CsvFault> faults;
    const bool imported = channels_from_csv(text, records, faults);
    FUZZ_CHECK(imported == faults.empty());
    if (!imported) {
        FUZZ_CHECK(same_set(records, untouched));
        const int lines = 1 + static_cast<int>(std::count(text.begin(), text.end(), '\n') +
                                               std::count(text.begin(), text.end(), '\r'));
        for (const CsvFault &fault : faults) FUZZ_CHECK(fault.line >= 1 && fault.line <= lines && !fault.what.empty());
        return 0;
    }
    for (int c = 0; c < CHANNEL_COUNT; ++c) {
        FUZZ_CHECK(editor_channel(records[c]));
        check_channel_row(c, records[c]);
    }
    ChannelSet again;
    FUZZ_CHECK(channels_from_csv(channels_to_csv(records), again, faults));
    FUZZ_CHECK(same_set(again, records));
    return 0;
}
