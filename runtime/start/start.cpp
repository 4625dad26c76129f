// The one place that knows every layer: brings them up for a program and
// takes them down again. The toolkit comes first, as it binds the calling
// thread as the one that owns the windows, and goes last, so nothing below
// it is still open while its windows close.
#include "start/start.h"

#include "core/core.h"
#include "file/file.h"
#include "gui/gui.h"
#include "serial/serial.h"

void runtime_start(int argc, char **argv)
{
    gui_init(argc, argv);
    serial_init();
    thread_init();
    file_init();
}

void runtime_stop()
{
    thread_shutdown();
    serial_shutdown();
    file_shutdown();
    gui_shutdown();
}
