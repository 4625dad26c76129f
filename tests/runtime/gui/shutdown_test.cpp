// Shut-down with workers still in the toolkit, on either toolkit: their
// requesters are dismissed and their calls return at once, although the
// event loop never runs again. Shut-down cannot be undone, so this is a
// program of its own.
#include "toolkit_view.h"

#include "start/start.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

TEST(Shutdown, ReleasesWaitingWorkersAndDismissesTheirRequesters) {
    const std::intptr_t window = window_open(ANY, 0, 0, 300, 200, u"shutdown", EDITOR_WINDOW);
    const std::intptr_t combo = gadget_create_combo(ANY, 10, 10, 80, 25);
    gadget_add_item(combo, -1, u"USB");
    gadget_set_state(combo, 0);

    std::atomic<std::intptr_t> answer{-1};
    std::atomic<bool> stop{false};
    std::atomic<int> read_ok{0}, read_empty{0};
    std::thread asker([&] { answer = requester_message(u"Error", u"TRX not responding!", REQUESTER_ERROR); });
    WideText chosen = u"none";
    std::thread chooser([&] { chosen = requester_save_file(u"Save", u"", u"Memory (*.mem)|*.mem;", 0); });
    std::thread reader([&] {
        while (!stop)
            (gadget_get_text(combo) == u"USB" ? read_ok : read_empty)++;
    });
    for (int tries = 0; tries < 500 && dialogs_showing() < 2; ++tries)
        pump_events(10);
    ASSERT_EQ(dialogs_showing(), 2);
    pump_events(50);
    EXPECT_GT(read_ok, 0);
    EXPECT_EQ(read_empty, 0);

    // From here on the event loop never runs again: waiting callers must come
    // back on their own.
    toolkit_shutdown_begin();
    asker.join();
    chooser.join();
    EXPECT_EQ(answer, 0);
    EXPECT_EQ(chosen, u"");
    EXPECT_EQ(dialogs_showing(), 0);
    for (int tries = 0; tries < 200 && read_empty == 0; ++tries)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    stop = true;
    reader.join();
    EXPECT_GT(read_empty, 0);
    // A message asked for now is not shown at all.
    std::thread([&] { answer = requester_message(u"Error", u"late", REQUESTER_ERROR); }).join();
    EXPECT_EQ(answer, 0);

    // The event-loop thread itself still works, and the runtime stops cleanly.
    EXPECT_EQ(gadget_get_text(combo), u"USB");
    runtime_stop();
    EXPECT_EQ(window_native_handle(window), nullptr);
    EXPECT_EQ(gadget_kind(combo), 0);
}

} // namespace
