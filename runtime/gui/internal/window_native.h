// What each back-end provides under the window calls of window.cpp, which
// hands them over to the event-loop thread and looks the window up: these
// run there and only make and change the native windows.
#pragma once

#include "core/core.h"

#include <cstdint>

struct WindowRecord; // each back-end's own

// The record of an open window, else null.
WindowRecord *window_lookup(ObjectId window);
// The native window: a GtkWindow or an HWND.
void *window_handle_of(const WindowRecord *record);

// parent is as the program gave it: only a window of the back-end's own is
// taken, any other pointer is left out. Answered as window_open answers.
std::intptr_t window_native_open(ObjectId number, std::int32_t x, std::int32_t y,
                                 std::int32_t width, std::int32_t height, const WideText &title,
                                 std::int32_t flags, void *parent);
void window_native_set_state(WindowRecord *record, std::int32_t state);
void window_native_set_size_limits(WindowRecord *record, std::int32_t min_width,
                                   std::int32_t min_height, std::int32_t max_width,
                                   std::int32_t max_height);
void window_native_set_color(WindowRecord *record, std::int32_t colour);
// ANY closes every window.
void window_native_close(ObjectId window);
// Releases what the back-end keeps for all its windows, once they are closed.
void window_native_close_all();
