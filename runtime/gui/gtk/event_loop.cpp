// The event queue on GTK: signal handlers post records to the shared queue,
// the application drains it with event_wait, which pumps GTK one iteration at
// a time. Everything here runs on the event-loop thread; calls from other
// threads are handed over to it.
#include "gtk_private.h"

#include <chrono>
#include <ctime>

namespace {

std::int32_t fetch_or_nothing() {
    std::int32_t code = event_records_fetch();
    return code ? code : -1;
}

void sleep_2ms() {
    timespec pause{0, 2000000};
    nanosleep(&pause, nullptr);
}

std::int32_t wait_on_gui_thread(std::int32_t ms) {
    if (std::int32_t code = event_records_fetch())
        return code;
    if (ms < 0) {
        gtk_main_iteration();
        return fetch_or_nothing();
    }
    if (ms > 0) {
        auto start = std::chrono::steady_clock::now();
        while (!gtk_events_pending()) {
            sleep_2ms();
            if (std::chrono::steady_clock::now() - start > std::chrono::milliseconds(ms))
                break;
        }
    }
    if (gtk_events_pending()) {
        gtk_main_iteration_do(FALSE);
        return fetch_or_nothing();
    }
    return event_records_fetch();
}

} // namespace

void event_system_init() { event_records_reset(); }

std::int32_t event_wait_timeout(std::int32_t ms) {
    return on_gui_thread([&] { return wait_on_gui_thread(ms); });
}

void toolkit_flush() {
    on_gui_thread([] {
        while (gtk_events_pending())
            gtk_main_iteration_do(FALSE);
    });
}
