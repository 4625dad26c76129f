// Hundreds of "Write TRX" / "Read TRX" cycles of all 100 channels against the
// virtual transceiver, a new channel set each cycle: every row is checked
// after every read and the transceiver's memory after every write, and the
// process must neither grow nor keep descriptors.
//   KALVO_SOAK_CYCLES  cycles (default 200; 20 under the thread sanitizer)
//   KALVO_SOAK_BAUD    the transceiver's line pace (default 0: answers at once)
#include "tests/soak/soak_figures.h"
#include "tests/soak/soak_support.h"

#include "app/kalvo.h"

#include <gtest/gtest.h>

#include <chrono>

namespace {

constexpr std::int64_t KIB = 1024;
constexpr int WARM_UP_CYCLES = 10;
#ifdef __SANITIZE_THREAD__
// The thread sanitizer slows every step about tenfold. It looks for races,
// which the first cycles meet as well as the last; growth over the long run
// is measured in the other builds.
constexpr int DEFAULT_CYCLES = 20;
#else
constexpr int DEFAULT_CYCLES = 200;
#endif
// After warm-up the process may grow by this much over the whole run: far
// above what the toolkit's caches settle at, far below one leaked row set per
// cycle over 200 cycles.
constexpr std::int64_t RESIDENT_GROWTH_LIMIT = 16 * 1024 * KIB;
constexpr std::int64_t HEAP_GROWTH_LIMIT = 4 * 1024 * KIB;

struct Figures {
    std::int64_t resident = 0;
    std::int64_t heap = 0;
    int descriptors = 0;
};

Figures take_figures() {
    return {resident_bytes(), heap_bytes(), open_descriptors()};
}

} // namespace

TEST(Soak, CyclesStayExactWithFlatMemoryAndNoDescriptorKept) {
    const int cycles = environment_number("KALVO_SOAK_CYCLES", DEFAULT_CYCLES);
    const int baud = environment_number("KALVO_SOAK_BAUD", 0);
    // A paced line takes the writes in after the editor handed them over.
    const int memory_wait_ms = baud == 0 ? 5000 : 20000;
    VirtualTransceiver radio;
    ASSERT_TRUE(radio.start({.options = {"--baud", std::to_string(baud)}, .link = "", .memory = std::nullopt}));
    start_editor_aside();
    ASSERT_TRUE(offer_port(radio.path()));
    run_events_for(100);

    std::mt19937 random(20240611);
    const auto started = std::chrono::steady_clock::now();
    const Figures start = take_figures();
    Figures warm = start;
    int done = 0;
    for (; done < cycles; ++done) {
        if (done == WARM_UP_CYCLES) warm = take_figures();
        const ChannelRows written = random_channel_set(random);
        show_rows(written);
        ExchangeOutcome write = run_exchange(app.write_button);
        ASSERT_TRUE(write.ended && write.controls_back && write.progress == 0.0) << "write " << done;
        ASSERT_TRUE(write.messages.empty()) << "write " << done << ": " << write.messages.front();
        ASSERT_TRUE(radio.wait_for_memory(expected_memory(written), memory_wait_ms)) << "write " << done;

        show_rows(random_channel_set(random)); // the read must replace every row
        ExchangeOutcome read = run_exchange(app.read_button);
        ASSERT_TRUE(read.ended && read.controls_back && read.progress == 0.0) << "read " << done;
        ASSERT_TRUE(read.messages.empty()) << "read " << done << ": " << read.messages.front();
        std::vector<std::string> wrong = row_differences(written);
        ASSERT_TRUE(wrong.empty()) << "read " << done << ": " << wrong.size()
                                   << " wrong rows, first " << wrong.front();
    }
    if (cycles <= WARM_UP_CYCLES) warm = take_figures();
    const Figures end = take_figures();
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(
        std::chrono::steady_clock::now() - started);

    print_figure("soak_cycles", done);
    print_figure("soak_baud", baud);
    print_figure("soak_seconds", seconds.count());
    print_figure("soak_rss_start_kib", start.resident / KIB);
    print_figure("soak_rss_warm_kib", warm.resident / KIB);
    print_figure("soak_rss_end_kib", end.resident / KIB);
    print_figure("soak_rss_growth_kib", (end.resident - warm.resident) / KIB);
    if (end.heap >= 0) {
        print_figure("soak_heap_warm_kib", warm.heap / KIB);
        print_figure("soak_heap_end_kib", end.heap / KIB);
    }
    print_figure("soak_fds_before", start.descriptors);
    print_figure("soak_fds_after", end.descriptors);

    EXPECT_EQ(end.descriptors, start.descriptors);
    if (end.heap >= 0) {
        // A sanitizer's allocator holds freed blocks back, so the resident set
        // says little there; the bytes it counts as live are exact.
        EXPECT_LE(end.heap - warm.heap, HEAP_GROWTH_LIMIT);
    } else {
        EXPECT_LE(end.resident - warm.resident, RESIDENT_GROWTH_LIMIT);
    }
}
