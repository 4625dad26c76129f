// Opens a window with one gadget of every kind, laid out like the editor's
// main window, and keeps it up for the given number of seconds (default 5) so
// it can be looked at or captured, e.g. under Xvfb with
// "import -window root shot.png".
#include "gui/gui.h"

#include <chrono>
#include <cstdlib>

int main(int argc, char **argv) {
    runtime_start(argc, argv);
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 5;
    const std::intptr_t window = window_open(ANY, 0, 0, 530, 310, u"Kalvo 1.02",
                                             WINDOW_SYSTEM_MENU | WINDOW_MINIMIZE_GADGET |
                                                 WINDOW_SCREEN_CENTERED);
    statusbar_create(0, window_native_handle(window));
    statusbar_add_field(530);
    statusbar_progress(0, 0, 40);
    const char16_t *buttons[] = {u"Read TRX", u"Write TRX", u"Load File", u"Save File"};
    for (int i = 0; i < 4; ++i)
        gadget_create_button(ANY, 10 + 100 * i, 10, 80, 30, buttons[i]);
    const std::intptr_t port = gadget_create_combo(ANY, 440, 12, 80, 25);
    gadget_add_item(port, -1, u"/dev/ttyUSB0");
    gadget_set_state(port, 0);
    gadget_create_text(ANY, 400, 16, 40, 20, u"PORT:");
    const std::intptr_t list = gadget_create_list_icon(ANY, 10, 50, 320, 230, u"NumCh", 60,
                                                       LIST_ICON_GRID_LINES | LIST_ICON_FULL_ROW_SELECT);
    gadget_add_column(list, 1, u"Freq (Hz)", 120);
    gadget_add_column(list, 2, u"Mode", 60);
    gadget_add_column(list, 3, u"PreAtt", 50);
    for (int row = 0; row < 100; ++row)
        gadget_add_item(list, row, row % 3 ? text_str(row) : text_str(row) + u"\n7050000\nCW \nATT");
    gadget_set_state(list, 3);
    const char16_t *labels[] = {u"NumCh", u"Freq", u"Mode", u"PreAtt"};
    for (int i = 0; i < 4; ++i)
        gadget_create_text(ANY, 340, 60 + 30 * i, 50, 20, labels[i]);
    gadget_create_string(ANY, 400, 60, 40, 20, u"3", STRING_READ_ONLY | STRING_NUMERIC);
    gadget_create_string(ANY, 400, 90, 90, 20, u"7050000");
    const std::intptr_t mode = gadget_create_combo(ANY, 400, 120, 60, 20);
    for (const char16_t *item : {u"USB", u"LSB", u"CW "})
        gadget_add_item(mode, -1, item);
    gadget_set_state(mode, 2);
    const std::intptr_t preatt = gadget_create_combo(ANY, 400, 150, 60, 20);
    for (const char16_t *item : {u"---", u"PRE", u"ATT"})
        gadget_add_item(preatt, -1, item);
    gadget_set_state(preatt, 2);
    gadget_create_button(ANY, 380, 190, 110, 30, u"Update Channel");
    gadget_create_button(ANY, 380, 240, 110, 30, u"Clear Channel");

    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (std::chrono::steady_clock::now() < end && event_wait_timeout(20) != EVENT_CLOSE_WINDOW) {
    }
    runtime_stop();
    return 0;
}
