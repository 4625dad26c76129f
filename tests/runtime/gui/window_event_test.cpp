// The editor's window and its close box, on either toolkit.
#include "toolkit_view.h"

#include <gtest/gtest.h>

#include <chrono>

namespace {

TEST(Window, EditorWindowIsFixedSizeAndCentred) {
    const std::intptr_t window = window_open(ANY, 0, 0, 530, 310, u"Kalvo 1.02", EDITOR_WINDOW);
    ASSERT_NE(window, 0);
    pump_events(100);
    const WindowLook look = look_of(window);
    EXPECT_EQ(look.title, "Kalvo 1.02");
    EXPECT_EQ(look.width, 530);
    EXPECT_EQ(look.height, 310);
    EXPECT_FALSE(look.sizeable);
    EXPECT_TRUE(look.minimise_box);
    EXPECT_FALSE(look.maximise_box);
    const Rect screen = screen_size();
    EXPECT_NEAR(look.frame.x, (screen.width - look.frame.width) / 2, 1);
    EXPECT_NEAR(look.frame.y, (screen.height - look.frame.height) / 2, 1);
    window_close(window);
    EXPECT_EQ(window_native_handle(window), nullptr);
}

TEST(Window, CloseBoxOnlyPostsClose) {
    const std::intptr_t window = window_open(ANY, 0, 0, 120, 80, u"close", EDITOR_WINDOW);
    drain_events();
    press_close_box(window);
    EXPECT_EQ(events_with_code(pump_events(100), EVENT_CLOSE_WINDOW).size(), 1u);
    EXPECT_TRUE(window_usable(window));
    window_close(window);
    // Numbers and handles that name no window do nothing.
    EXPECT_EQ(window_native_handle(12345), nullptr);
    EXPECT_EQ(window_native_handle(-5), nullptr);
    EXPECT_EQ(statusbar_create(ANY, nullptr), 0);
}

// The queue's own rules: a repeat of the newest event is not queued twice,
// fetching walks the queue oldest first and makes each event current (its
// payload released once it no longer is), suspension drops posts, purging
// removes what matches, and a wait of 0 with nothing queued returns at once.
TEST(EventQueue, MergesFetchesInOrderSuspendsAndPurges) {
    const std::intptr_t window = window_open(ANY, 0, 0, 120, 80, u"queue", EDITOR_WINDOW);
    drain_events();
    static int released = 0;
    static int payload = 5;
    event_post(EVENT_GADGET, 7, window, CHANGED);
    event_post(EVENT_GADGET, 7, window, CHANGED);
    event_post_full(
        EVENT_MENU, 9, window, 0, &payload,
        [](void *data) { released += *static_cast<int *>(data); }, 0);
    event_post(EVENT_GADGET, 7, window, CHANGED);
    EXPECT_EQ(event_peek_type(), EVENT_GADGET);
    EXPECT_EQ(event_fetch(), EVENT_GADGET);
    EXPECT_EQ(event_type_current(), EVENT_GADGET);
    EXPECT_EQ(event_gadget(), 7);
    EXPECT_EQ(event_type(), CHANGED);
    EXPECT_EQ(event_fetch(), EVENT_MENU);
    EXPECT_EQ(event_menu(), 9);
    EXPECT_EQ(event_payload(), &payload);
    EXPECT_EQ(released, 0);
    EXPECT_EQ(event_fetch(), EVENT_GADGET); // not a repeat of the one just before it
    EXPECT_EQ(released, payload);
    EXPECT_EQ(event_fetch(), 0);
    EXPECT_EQ(event_type(), -1);

    event_queue_suspend();
    event_post(EVENT_GADGET, 1, window, 0);
    event_post_full(EVENT_GADGET, 2, window, 0, nullptr, nullptr, EVENT_POST_WHILE_SUSPENDED);
    event_queue_resume();
    event_post(EVENT_GADGET, 3, window, 0);
    event_post(EVENT_GADGET, 3, 4242, 0);
    event_post(EVENT_CLOSE_WINDOW, 0, window, 0);
    event_purge(EVENT_GADGET, 3, -1, -1);
    EXPECT_EQ(event_fetch(), EVENT_GADGET);
    EXPECT_EQ(event_gadget(), 2);
    event_purge_window(window);
    EXPECT_EQ(event_peek_type(), 0);
    event_post(EVENT_CLOSE_WINDOW, 0, window, 0);
    EXPECT_EQ(event_wait(), EVENT_CLOSE_WINDOW); // a queued event ends the wait

    const auto start = std::chrono::steady_clock::now();
    EXPECT_LE(event_wait_timeout(0), 0);
    // At once rather than never: a second covers any busy machine.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1000));
    window_close(window);
}

// Flushing the toolkit carries out what is pending: the click the user made
// is queued as an event without waiting for one.
TEST(EventQueue, FlushingQueuesWhatIsPending) {
    const std::intptr_t window = window_open(ANY, 0, 0, 200, 80, u"flush", EDITOR_WINDOW);
    const std::intptr_t button = gadget_create_button(ANY, 10, 10, 80, 30, u"Read TRX");
    drain_events();
    click(button);
    toolkit_flush();
    EXPECT_EQ(event_peek_type(), EVENT_GADGET);
    window_close(window);
}

} // namespace
