// Windows and the event queue, on either toolkit.
#include "toolkit_view.h"

#include <gtest/gtest.h>

#include <chrono>
#include <tuple>

namespace {

TEST(Window, EditorWindowIsFixedSizeAndCentredASizeableOneWhereAsked) {
    const std::intptr_t window = window_open(ANY, 0, 0, 530, 310, u"Kalvo 1.02", EDITOR_WINDOW);
    ASSERT_NE(window, 0);
    pump_events(100);
    WindowLook look = look_of(window);
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

    const std::intptr_t sizeable = window_open(ANY, 40, 30, 200, 100, u"sizeable", WINDOW_SIZEABLE);
    pump_events(100);
    look = look_of(sizeable);
    EXPECT_TRUE(look.sizeable);
    EXPECT_EQ(look.frame.x, 40);
    EXPECT_EQ(look.frame.y, 30);
    window_close(sizeable);
}

TEST(Window, CloseBoxOnlyPostsCloseAndClosingByNumberPurges) {
    ASSERT_NE(window_open(7, 0, 0, 120, 80, u"close", EDITOR_WINDOW), 0);
    drain_events();
    press_close_box(7);
    EXPECT_EQ(events_with_code(pump_events(100), EVENT_CLOSE_WINDOW).size(), 1u);
    EXPECT_TRUE(window_usable(7));
    event_post(EVENT_MENU, 1, 7, 0);
    window_close(7);
    EXPECT_EQ(window_native_handle(7), nullptr);
    EXPECT_EQ(event_peek_type(), 0);
    // Numbers that name no window do nothing.
    window_close(12345);
    EXPECT_EQ(window_native_handle(12345), nullptr);
    EXPECT_EQ(window_native_handle(-5), nullptr);
    EXPECT_EQ(statusbar_create(ANY, nullptr), 0);
}

TEST(Window, ChildCentresOnItsParentAndTheWindowKeepsLimitsAndColour) {
    const std::intptr_t parent = window_open(ANY, 100, 80, 530, 310, u"parent", WINDOW_SIZEABLE);
    pump_events(50);
    void *parent_native = window_native_handle(parent);
    const std::intptr_t child =
        window_open_child(ANY, 0, 0, 200, 100, u"child", WINDOW_PARENT_CENTERED | WINDOW_SYSTEM_MENU, parent_native);
    pump_events(50);
    const WindowLook outer = look_of(parent), inner = look_of(child);
    EXPECT_EQ(inner.owner, parent_native);
    EXPECT_NEAR(inner.frame.x + inner.frame.width / 2, outer.frame.x + outer.frame.width / 2, 1);
    EXPECT_NEAR(inner.frame.y + inner.frame.height / 2, outer.frame.y + outer.frame.height / 2, 1);
    window_close(child);

    window_set_size_limits(parent, 300, 200, 0, 0);
    pump_events(50);
    EXPECT_EQ(least_size(parent).width, 300);
    EXPECT_EQ(least_size(parent).height, 200);
    window_set_color(parent, 0x00FF00);
    EXPECT_EQ(window_colour(parent), 0x00FF00);
    // Numbers that name nothing: no effect.
    window_set_state(4711, WINDOW_STATE_MAXIMIZED);
    window_set_size_limits(4711, 1, 1, 1, 1);
    window_set_color(4711, 0);
    window_close(parent);
}

TEST(Window, GadgetListsAndTheWindowAGadgetLiesIn) {
    const std::intptr_t first = window_open(ANY, 0, 0, 100, 100, u"first", 0);
    const std::intptr_t second = window_open(ANY, 0, 0, 100, 100, u"second", 0);
    void *second_native = window_native_handle(second);
    EXPECT_EQ(gadget_list_use(nullptr), second_native);   // opening made it current
    EXPECT_EQ(gadget_list_use(window_native_handle(first)), second_native);
    const std::intptr_t button = gadget_create_button(ANY, 0, 0, 50, 20, u"b");
    EXPECT_EQ(gadget_window_of(gadget_native_handle(button)), first);
    EXPECT_EQ(gadget_window_of(second_native), second);
    window_close(second);
    window_close(first);
    EXPECT_EQ(gadget_kind(button), 0);
}

using Fetched = std::vector<std::tuple<std::int32_t, std::intptr_t, std::intptr_t>>;

Fetched fetch_posted() {
    Fetched fetched;
    for (std::int32_t code; (code = event_wait_timeout(0)) > 0;)
        if (code == EVENT_GADGET || code == EVENT_MENU || (code >= 40 && code <= 42) || code == 0x10000)
            fetched.emplace_back(code, event_gadget(), event_type());
    return fetched;
}

TEST(EventQueue, RepeatsOfTheNewestMergeOthersQueueSuspendedPostsDrop) {
    drain_events();
    event_post(EVENT_GADGET, 5, 1, 768);
    event_post(EVENT_GADGET, 5, 1, 768);   // repeat of the newest: merged
    event_post(EVENT_GADGET, 5, 2, 768);   // other window
    event_post(EVENT_GADGET, 6, 2, 768);   // other object
    event_post(EVENT_GADGET, 6, 2, 0);     // other sub-type
    event_post(0x10000, 1, 1, 1);
    event_post(0x10000, 1, 1, 1);          // codes above 0xFFFF never merge
    event_queue_suspend();
    event_post(EVENT_MENU, 1, 1, 0);
    event_queue_resume();
    EXPECT_EQ(fetch_posted(), (Fetched{{EVENT_GADGET, 5, 768}, {EVENT_GADGET, 5, 768}, {EVENT_GADGET, 6, 768},
                                       {EVENT_GADGET, 6, 0}, {0x10000, 1, 1}, {0x10000, 1, 1}}));

    event_post(EVENT_GADGET, 1, 1, 0);
    event_post(EVENT_GADGET, 2, 1, 0);
    event_post(EVENT_GADGET, 3, 2, 0);
    event_post(EVENT_GADGET, 4, 1, 1);
    event_post(EVENT_GADGET, 5, 9, 0);
    event_purge(EVENT_GADGET, -1, 1, 0);   // removes 1 and 2
    event_purge_window(9);
    EXPECT_EQ(fetch_posted(), (Fetched{{EVENT_GADGET, 3, 0}, {EVENT_GADGET, 4, 1}}));
    EXPECT_EQ(event_menu(), event_gadget());
}

void release_count(void *counter) { ++*static_cast<int *>(counter); }

TEST(EventQueue, PayloadsGoWithTheirEvents) {
    drain_events();
    int released = 0;
    event_post_full(40, 1, 1, 0, &released, release_count, 0);
    event_post_full(40, 1, 1, 0, &released, release_count, 0);   // a repeat: dropped
    EXPECT_EQ(released, 1);
    event_post_full(40, 1, 1, 0, &released, release_count, EVENT_POST_ALWAYS_APPEND);
    EXPECT_EQ(event_fetch(), 40);
    EXPECT_EQ(event_type_current(), 40);
    EXPECT_EQ(event_payload(), &released);
    EXPECT_EQ(event_fetch(), 40);   // the appended repeat; the first one's payload goes
    EXPECT_EQ(released, 2);
    EXPECT_EQ(event_fetch(), 0);
    EXPECT_EQ(event_type_current(), 0);
    EXPECT_EQ(released, 3);

    event_queue_suspend();
    event_post_full(41, 0, 1, 0, &released, release_count, 0);
    event_post_full(42, 0, 1, 0, &released, release_count, EVENT_POST_WHILE_SUSPENDED);
    event_queue_resume();
    EXPECT_EQ(released, 4);   // the suspended post
    EXPECT_EQ(fetch_posted(), (Fetched{{42, 0, 0}}));
    EXPECT_EQ(released, 5);
}

TEST(EventQueue, AWaitWithNothingToDoTakesItsTimeout) {
    drain_events();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(event_wait_timeout(0), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
    // Stray X traffic or a repaint ends a wait early, so a few tries are allowed.
    std::chrono::steady_clock::duration waited{};
    for (int attempt = 0; attempt < 5; ++attempt) {
        drain_events();
        const auto begin = std::chrono::steady_clock::now();
        const std::int32_t code = event_wait_timeout(60);
        waited = std::chrono::steady_clock::now() - begin;
        if (code == 0)
            break;
    }
    EXPECT_GE(waited, std::chrono::milliseconds(55));
    EXPECT_LT(waited, std::chrono::milliseconds(1000));
}

} // namespace
