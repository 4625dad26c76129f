// Helpers for the toolkit suites: they run the real toolkit on an X display.
#pragma once

#include "event_pump.h"

#include <gtk/gtk.h>

#include <cstdint>
#include <functional>
#include <vector>

// The GTK widget behind a gadget.
inline GtkWidget *widget_of(std::intptr_t gadget) {
    return static_cast<GtkWidget *>(gadget_native_handle(gadget));
}
// The first visible top-level window of the given GTK type, or null.
GtkWidget *find_toplevel(GType type);
// Pumps events until such a window shows up (at most about 2 s); null if none.
GtkWidget *wait_for_toplevel(GType type);
// Calls answer(dialog) once a top-level of the given type shows up.
void answer_when_shown(GType type, std::function<void(GtkWidget *)> answer);
