#include "commands.h"

#include "exchange.h"
#include "channel_csv.h"
#include "console.h"
#include "file/file.h"

#include <cstdio>
#include <string>

namespace {

constexpr ObjectId CSV_FILE = 1;
// Far more than any channel list; a larger file is not one.
constexpr std::int64_t LARGEST_CSV = 1 << 20;

std::string shown(const WideText &name) {
    return text_to_file_name(name);
}

int fail(const WideText &name, const std::string &what) {
    std::fprintf(stderr, "kalvo-mem: %s: %s\n", shown(name).c_str(), what.c_str());
    return EXIT_FAULT;
}

bool load(const WideText &mem, ChannelSet &records) {
    if (read_memory_file(mem, records)) return true;
    fail(mem, "May not load the file!");
    return false;
}

int to_standard_output(const std::string &text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    if (std::fflush(stdout) == 0 && !std::ferror(stdout)) return EXIT_DONE;
    std::fprintf(stderr, "kalvo-mem: the output could not be written\n");
    return EXIT_FAULT;
}

bool read_whole_file(const WideText &name, std::string &bytes) {
    const std::int64_t size = file_size(name);
    if (size < 0 || size > LARGEST_CSV || !file_open_read(CSV_FILE, name)) return false;
    bytes.resize(static_cast<std::size_t>(size));
    for (char &byte : bytes) byte = static_cast<char>(file_read_byte(CSV_FILE));
    file_close(CSV_FILE);
    return true;
}

// kalvo-mem's end of an exchange: the channels in a set, as the editor's
// list would hold them; a progress line on a terminal; Ctrl+C stops.
class ConsoleSide final : public ExchangeSide {
public:
    ConsoleSide(const WideText &port, ChannelSet &records, const char *doing)
        : port_(port), records_(records), doing_(doing), terminal_(is_terminal(stderr)) {}

    bool stopping() override { return interrupted(); }
    void fault(const char16_t *message) override {
        end_progress();
        fail(port_, text_to_utf8(message));
    }
    void received(int channel, const Channel &record) override { records_[channel] = listed_channel(record); }
    Channel to_send(int channel) override { return listed_channel(records_[channel]); }
    void progress(int channel) override {
        done_ = channel + 1;
        if (!terminal_) return;
        std::fprintf(stderr, "\r%s %s: %3d of %d channels", doing_, shown(port_).c_str(), done_, CHANNEL_COUNT);
        std::fflush(stderr);
    }

    void end_progress() {
        if (terminal_ && done_ > 0) std::fputc('\n', stderr);
        terminal_ = false;
    }
    int done() const { return done_; }

private:
    const WideText &port_;
    ChannelSet &records_;
    const char *doing_;
    bool terminal_;
    int done_ = 0;
};

using Exchanger = ExchangeEnd (*)(const WideText &, ExchangeSide &, ExchangeBuffers);

ExchangeEnd exchange(Exchanger exchanger, const WideText &port, ConsoleSide &side) {
    catch_interrupts();
    unsigned char rx[EXCHANGE_BUFFER_SIZE] = {}, tx[EXCHANGE_BUFFER_SIZE] = {};
    ExchangeEnd end = exchanger(port, side, {rx, tx});
    side.end_progress();
    return end;
}

} // namespace

int show_channels(const WideText &mem) {
    ChannelSet records;
    if (!load(mem, records)) return EXIT_FAULT;
    return to_standard_output(channel_table(records));
}

int export_channels(const WideText &mem, const std::optional<WideText> &csv) {
    ChannelSet records;
    if (!load(mem, records)) return EXIT_FAULT;
    const std::string text = channels_to_csv(records);
    if (!csv) {
        binary_output(stdout); // the CR LF line ends as they are
        return to_standard_output(text);
    }
    if (file_replace(*csv, text.data(), static_cast<std::int64_t>(text.size())) != 1)
        return fail(*csv, "May not create the file!");
    return EXIT_DONE;
}

int import_channels(const WideText &csv, const WideText &mem) {
    std::string text;
    if (!read_whole_file(csv, text)) return fail(csv, "cannot be read, or is larger than 1 MiB");
    ChannelSet records;
    std::vector<CsvFault> faults;
    if (!channels_from_csv(text, records, faults)) {
        for (const CsvFault &fault : faults)
            std::fprintf(stderr, "%s:%d: %s\n", shown(csv).c_str(), fault.line, fault.what.c_str());
        return EXIT_FAULT;
    }
    if (!write_memory_file(mem, records)) return fail(mem, "May not create the file!");
    return EXIT_DONE;
}

int read_channels(const WideText &port, const WideText &mem) {
    ChannelSet records;
    ConsoleSide side(port, records, "reading");
    ExchangeEnd end = exchange(read_radio, port, side);
    if (end == ExchangeEnd::stopped) return fail(port, "interrupted; nothing written");
    if (end != ExchangeEnd::done) return EXIT_FAULT;
    if (!write_memory_file(mem, records)) return fail(mem, "May not create the file!");
    return EXIT_DONE;
}

int write_channels(const WideText &mem, const WideText &port) {
    ChannelSet records;
    if (!load(mem, records)) return EXIT_FAULT;
    ConsoleSide side(port, records, "writing");
    ExchangeEnd end = exchange(write_radio, port, side);
    if (end == ExchangeEnd::stopped)
        return fail(port, "interrupted after " + std::to_string(side.done()) + " of 100 channels");
    return end == ExchangeEnd::done ? EXIT_DONE : EXIT_FAULT;
}
