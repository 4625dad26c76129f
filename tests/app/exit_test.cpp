// Closing the window while the worker waits on its "TRX not responding!"
// message: the close request reaches the event loop although the message is
// still up, and the exit path ends the worker, closes the port and returns at
// once.
#include "tests/app/editor_harness.h"
#include "tests/app/linked_radio.h"

#include "gui/gui.h"

#include <gtk/gtk.h>
#include <gtest/gtest.h>

#include <chrono>

TEST(Exit, ClosingWhileTheWorkerShowsAMessage) {
    VirtualTransceiver radio;
    std::string port =
        start_linked(radio, {.options = {"--baud", "0", "--silent"}, .link = "", .memory = std::nullopt});
    ASSERT_FALSE(port.empty());
    harness_start();
    ASSERT_TRUE(choose_port(port));

    hold_messages(true);
    click(app.read_button);
    ASSERT_TRUE(run_events_until([] { return message_on_screen("TRX not responding!"); }, 5000));
    EXPECT_TRUE(app.exchange_running);

    // The same delete request the window manager's close box sends.
    auto closing = std::chrono::steady_clock::now();
    gtk_window_close(GTK_WINDOW(window_native_handle(app.main_window)));
    std::int32_t code = 0;
    while (code != EVENT_CLOSE_WINDOW &&
           std::chrono::steady_clock::now() - closing < std::chrono::seconds(2)) {
        code = event_wait_timeout(5);
        if (code != EVENT_CLOSE_WINDOW) dispatch_event(code);
    }
    ASSERT_EQ(code, EVENT_CLOSE_WINDOW) << "the close request did not get past the message";
    EXPECT_TRUE(message_on_screen("TRX not responding!"));
    EXPECT_EQ(dispatch_event(code), 0);
    app_finish();
    EXPECT_LT(std::chrono::steady_clock::now() - closing, std::chrono::seconds(2));
    EXPECT_FALSE(app.exchange_running); // the worker closed the port and ended
    EXPECT_FALSE(message_on_screen("TRX not responding!"));
}
