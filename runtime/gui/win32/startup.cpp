// Start-up and shut-down of the runtime on Windows, in their fixed order.
#include "win32_private.h"

#include "file/file.h"
#include "serial/serial.h"

void runtime_start(int, char **) {
    gui_thread_bind();
    event_system_init();
    file_init();
    window_system_init();
    gadget_system_init();
    requester_system_init();
    serial_init();
    statusbar_system_init();
    thread_init();
}

void toolkit_shutdown_begin() {
    gui_thread_shutdown_begin();
    requester_dismiss_pending();
}

void runtime_stop() {
    thread_shutdown();
    serial_shutdown();
    gadget_free(ANY);
    window_close_all();
    file_shutdown();
    event_system_shutdown();
}
