// The editor's window and its close box, on either toolkit.
#include "toolkit_view.h"

#include <gtest/gtest.h>

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

} // namespace
