// Benchmark, run by hand (bench_read.sh): "Read TRX" of 100 channels in the
// Windows editor against a virtual transceiver paced at 9600 baud on a COM
// port, as a ratio to the time the line itself needs (100 x (7 + 50) bytes x
// 10 bits / 9600 baud = 5.9375 s), and the longest stall of the event loop
// meanwhile, seen as the longest wait between two turns of a 1 ms loop.
#include "editor_harness.h"

#include "gui/gui.h"

#include <chrono>
#include <cstdio>

namespace {

using Clock = std::chrono::steady_clock;
constexpr double LINE_TIME_FLOOR_S = 5.9375;

// Turns the event loop as the program does, but wakes at least every
// millisecond, until done(); the longest time between two turns.
template <typename Done> double longest_turn_ms(Done done) {
    double longest = 0;
    Clock::time_point last = Clock::now();
    while (!done()) {
        dispatch_event(event_wait_timeout(1));
        const Clock::time_point now = Clock::now();
        longest = std::max(longest, std::chrono::duration<double, std::milli>(now - last).count());
        last = now;
    }
    return longest;
}

} // namespace

int main() {
    const RadioSetup setup = radio_setup();
    if (setup.ports.empty()) {
        std::fprintf(stderr, "bench_read_win32: no transceiver on a COM port (run bench_read.sh)\n");
        return 1;
    }
    const std::string radio = read_file(setup.folder / "radio.mem");
    harness_start();
    if (!choose_port(setup.ports.front())) return 1;
    run_events_for(200);

    // The same measure over an idle second, to tell the machine's own
    // scheduling noise from what the read costs the event loop.
    const Clock::time_point idle_end = Clock::now() + std::chrono::seconds(1);
    const double idle_ms = longest_turn_ms([&] { return Clock::now() >= idle_end; });

    click(app.read_button);
    run_events_until([] { return app.exchange_running.load(); }, 2000);
    const Clock::time_point started = Clock::now();
    const double read_ms = longest_turn_ms([] { return !app.exchange_running; });
    const double seconds = std::chrono::duration<double>(Clock::now() - started).count();

    // Rows of the set with_radios.sh gives every transceiver.
    const bool complete = radio.size() == 600 && row(1) == "1|145500000|USB|PRE" &&
                          row(98) == "98|54883274|   |ATT" && row(99) == "99|55442287|   |---";
    std::printf("read of 100 channels: %.3f s, %.4f x the line time %.4f s%s\n", seconds,
                seconds / LINE_TIME_FLOOR_S, LINE_TIME_FLOOR_S, complete ? "" : " (INCOMPLETE)");
    std::printf("longest event-loop stall: %.2f ms during the read, %.2f ms while idle\n", read_ms,
                idle_ms);
    app_finish();
    return complete ? 0 : 1;
}
