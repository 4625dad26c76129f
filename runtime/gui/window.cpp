// Numbered top-level windows, shared by both back-ends: every call is carried
// out on the event-loop thread, where the back-end makes and changes its
// native window (internal/window_native.h).
#include "internal/window_native.h"

#include "gui/gui.h"
#include "internal/gui_handover.h"

std::intptr_t window_open(ObjectId number, std::int32_t x, std::int32_t y, std::int32_t width,
                          std::int32_t height, const WideText &title, std::int32_t flags) {
    return window_open_child(number, x, y, width, height, title, flags, nullptr);
}

std::intptr_t window_open_child(ObjectId number, std::int32_t x, std::int32_t y, std::int32_t width,
                                std::int32_t height, const WideText &title, std::int32_t flags,
                                void *parent) {
    return on_gui_thread(
        [&] { return window_native_open(number, x, y, width, height, title, flags, parent); });
}

void window_set_state(ObjectId window, std::int32_t state) {
    on_record(window_lookup, window,
              [&](WindowRecord *record) { window_native_set_state(record, state); });
}

void *window_native_handle(ObjectId window) {
    return on_record(window_lookup, window,
                     [](WindowRecord *record) { return window_handle_of(record); });
}

void window_set_size_limits(ObjectId window, std::int32_t min_width, std::int32_t min_height,
                            std::int32_t max_width, std::int32_t max_height) {
    on_record(window_lookup, window, [&](WindowRecord *record) {
        window_native_set_size_limits(record, min_width, min_height, max_width, max_height);
    });
}

void window_set_color(ObjectId window, std::int32_t colour) {
    on_record(window_lookup, window,
              [&](WindowRecord *record) { window_native_set_color(record, colour); });
}

void window_close(ObjectId window) {
    on_gui_thread([&] { window_native_close(window); });
}

void window_close_all() {
    window_close(ANY);
    window_native_close_all();
}
