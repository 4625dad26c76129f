// Closing the window while the worker waits on its "TRX not responding!"
// message: the exit path ends the worker, closes the port and returns at once.
#include "tests/app/editor_harness.h"
#include "tests/app/linked_radio.h"

#include "gui/gui.h"

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

    auto closing = std::chrono::steady_clock::now();
    EXPECT_EQ(dispatch_event(EVENT_CLOSE_WINDOW), 0);
    app_finish();
    EXPECT_LT(std::chrono::steady_clock::now() - closing, std::chrono::seconds(2));
    EXPECT_FALSE(app.exchange_running); // the worker closed the port and ended
}
