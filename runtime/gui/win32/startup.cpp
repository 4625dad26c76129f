// Start-up and shut-down of the Win32 toolkit and its parts, in their fixed order.
#include "win32_private.h"

void gui_init(int, char **) {
    gui_thread_bind();
    event_system_init();
    window_system_init();
    gadget_system_init();
    requester_system_init();
    statusbar_system_init();
}

void toolkit_shutdown_begin() {
    gui_thread_shutdown_begin();
    requester_dismiss_pending();
}

void gui_shutdown() {
    gadget_free(ANY);
    window_close_all();
    event_system_shutdown();
}
