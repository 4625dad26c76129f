// Benchmark, run by hand (bench.sh): "Read TRX" of 100 channels against the
// virtual transceiver paced at 9600 baud, as a ratio to the time the line
// itself needs (100 x (7 + 50) bytes x 10 bits / 9600 baud = 5.9375 s), and
// the longest stall of the event loop meanwhile, seen by a 1 ms GLib timeout,
// beside the window's frame cycles.
#include "editor_harness.h"

#include "gui/gui.h"

#include <gtk/gtk.h>

#include <chrono>
#include <cstdio>

namespace {

using Clock = std::chrono::steady_clock;
constexpr double LINE_TIME_FLOOR_S = 5.9375;

Clock::time_point last_tick;
double longest_gap_ms = 0;

// The window's own frame cycles (events, layout, paint), the toolkit's part of
// a stall.
Clock::time_point frame_started;
double longest_frame_ms = 0;
double frame_total_ms = 0;
int frames = 0;

void frame_begins(GdkFrameClock *, gpointer) { frame_started = Clock::now(); }

void frame_ends(GdkFrameClock *, gpointer) {
    if (frame_started == Clock::time_point{}) return;
    double took = std::chrono::duration<double, std::milli>(Clock::now() - frame_started).count();
    if (took > longest_frame_ms) longest_frame_ms = took;
    frame_total_ms += took;
    ++frames;
    frame_started = {};
}

void watch_frames(GtkWidget *window) {
    GdkFrameClock *clock = gtk_widget_get_frame_clock(window);
    g_signal_connect(clock, "before-paint", G_CALLBACK(frame_begins), nullptr);
    g_signal_connect(clock, "after-paint", G_CALLBACK(frame_ends), nullptr);
}

gboolean tick(gpointer) {
    Clock::time_point now = Clock::now();
    double gap = std::chrono::duration<double, std::milli>(now - last_tick).count();
    if (gap > longest_gap_ms) longest_gap_ms = gap;
    last_tick = now;
    return G_SOURCE_CONTINUE;
}

} // namespace

int main() {
    const RadioSetup setup = radio_setup();
    if (setup.ports.empty()) {
        std::fprintf(stderr, "bench_read: no transceiver on a /dev/ttyUSB<N> (run bench/bench.sh)\n");
        return 1;
    }
    harness_start();
    if (!choose_port(setup.ports.front())) return 1;
    run_events_for(200);

    // The same measure over an idle second, to tell the machine's own
    // scheduling noise from what the read costs the event loop.
    last_tick = Clock::now();
    guint idle_timer = g_timeout_add(1, tick, nullptr);
    for (Clock::time_point end = last_tick + std::chrono::seconds(1); Clock::now() < end;)
        dispatch_event(event_wait());
    g_source_remove(idle_timer);
    double idle_gap_ms = longest_gap_ms;
    longest_gap_ms = 0;

    watch_frames(static_cast<GtkWidget *>(window_native_handle(app.main_window)));
    click(app.read_button);
    // The event loop exactly as the program runs it.
    while (!app.exchange_running) dispatch_event(event_wait());
    Clock::time_point started = Clock::now();
    last_tick = started;
    guint timer = g_timeout_add(1, tick, nullptr);
    while (app.exchange_running) dispatch_event(event_wait());
    double seconds = std::chrono::duration<double>(Clock::now() - started).count();
    g_source_remove(timer);

    // Rows of the set with_radios.sh gives every transceiver.
    bool complete = row(1) == "1|145500000|USB|PRE" && row(92) == "92|51529196|CW |---" &&
                    row(99) == "99|55442287|   |---";
    std::printf("read of 100 channels: %.3f s, %.4f x the line time %.4f s%s\n", seconds,
                seconds / LINE_TIME_FLOOR_S, LINE_TIME_FLOOR_S, complete ? "" : " (INCOMPLETE)");
    std::printf("longest event-loop stall: %.2f ms during the read, %.2f ms while idle\n",
                longest_gap_ms, idle_gap_ms);
    std::printf("window frames: %d, %.2f ms on average, %.2f ms the longest\n", frames,
                frames ? frame_total_ms / frames : 0.0, longest_frame_ms);
    app_finish();
    return complete ? 0 : 1;
}
