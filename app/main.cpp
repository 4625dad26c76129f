// Program entry of the memory-channel editor.
#include "kalvo.h"
#include "gui/gui.h"
#include "start/start.h"

int main(int argc, char **argv) {
    runtime_start(argc, argv);
    app_start();
    while (dispatch_event(event_wait())) {
    }
    app_finish();
    return 0;
}
