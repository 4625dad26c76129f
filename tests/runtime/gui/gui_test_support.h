// Helpers for the toolkit suites: they run the real toolkit on an X display.
#pragma once

#include "gui/gui.h"

#include <gtk/gtk.h>

#include <cstdint>
#include <functional>
#include <vector>

struct SeenEvent {
    std::int32_t code;
    std::intptr_t gadget;
    std::intptr_t subtype;
};

// Runs the event loop for about ms milliseconds and returns the events seen.
std::vector<SeenEvent> pump_events(int ms);
// Fetches and drops everything queued or pending.
void drain_events();
// Gadget events of one gadget among the events seen.
std::vector<std::intptr_t> subtypes_of(const std::vector<SeenEvent> &events, std::intptr_t gadget);
// The first visible top-level window of the given GTK type, or null.
GtkWidget *find_toplevel(GType type);
// Calls answer(dialog) once a top-level of the given type shows up.
void answer_when_shown(GType type, std::function<void(GtkWidget *)> answer);
