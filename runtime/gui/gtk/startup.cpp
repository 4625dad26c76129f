// Start-up and shut-down of the GTK toolkit and its parts, in their fixed order.
#include "gtk_private.h"

#include <X11/Xlib.h>

#include <clocale>
#include <cstdlib>

namespace {
bool toolkit_started = false;
// gtk_init may rewrite the count and vector it is given, so they live here.
int saved_argc = 0;
char **saved_argv = nullptr;
} // namespace

void locale_init() {
    std::setlocale(LC_ALL, "");
    // Numbers are written and read with a decimal point whatever the locale.
    std::setlocale(LC_NUMERIC, "C");
}

void toolkit_init(int argc, char **argv) {
    if (toolkit_started)
        return;
    saved_argc = argc;
    saved_argv = argv;
    static char backend[] = "GDK_BACKEND=x11";
    putenv(backend);
    XInitThreads();
    gtk_init(&saved_argc, &saved_argv);
    // gtk_init sets every category from the environment again.
    std::setlocale(LC_NUMERIC, "C");
    toolkit_started = true;
}

void gui_init(int argc, char **argv) {
    gui_thread_bind();
    locale_init();
    toolkit_init(argc, argv);
    event_system_init();
    window_system_init();
    gadget_system_init();
    statusbar_system_init();
}

void toolkit_shutdown_begin() {
    gui_thread_shutdown_begin();
    if (gui_thread_is_current()) {
        requester_dismiss_pending();
        return;
    }
    // Asked from another thread: the event loop dismisses the requesters when
    // it next runs; gui_shutdown does it as well should the loop not run again.
    g_idle_add([](gpointer) -> gboolean {
        requester_dismiss_pending();
        return G_SOURCE_REMOVE;
    }, nullptr);
}

void gui_shutdown() {
    if (gui_thread_is_current())
        requester_dismiss_pending();
    window_close_all();
}
