// Windows and the event queue: what the editor's window looks like, which
// events its messages become, coalescing and suspension of the queue.
#include "win32_test_support.h"

#include <chrono>
#include <tuple>

using WindowTest = ToolkitWindow;

TEST_F(WindowTest, EditorWindowHasItsTitleClientSizeFrameAndCentre) {
    EXPECT_EQ(window_text(hwnd), u"Kalvo 1.03");
    RECT client;
    GetClientRect(hwnd, &client);
    EXPECT_EQ(client.right, 530);
    EXPECT_EQ(client.bottom, 310);
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE));
    EXPECT_EQ(style & WS_CAPTION, static_cast<DWORD>(WS_CAPTION));
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(style & WS_THICKFRAME);
    RECT outer;
    GetWindowRect(hwnd, &outer);
    EXPECT_EQ(outer.left, (GetSystemMetrics(SM_CXSCREEN) - (outer.right - outer.left)) / 2);
    EXPECT_EQ(outer.top, (GetSystemMetrics(SM_CYSCREEN) - (outer.bottom - outer.top)) / 2);
    wchar_t class_name[64] = {};
    GetClassNameW(hwnd, class_name, 64);
    EXPECT_EQ(std::wstring(class_name), L"WindowClass_" + std::to_wstring(window));
}

TEST_F(WindowTest, OpeningPostsNoMoveOrResizeAndCloseBoxOnlyPostsClose) {
    const ObjectId second = window_open(ANY, 0, 0, 200, 100, u"second", EDITOR_WINDOW_FLAGS);
    std::vector<SeenEvent> seen = pump_events(150);
    EXPECT_TRUE(events_with_code(seen, EVENT_MOVED).empty());
    EXPECT_TRUE(events_with_code(seen, EVENT_RESIZED).empty());

    SendMessageW(hwnd, WM_CLOSE, 0, 0);
    seen = pump_events(100);
    const std::vector<SeenEvent> closes = events_with_code(seen, EVENT_CLOSE_WINDOW);
    ASSERT_EQ(closes.size(), 1u);
    EXPECT_EQ(closes[0].object, window);
    EXPECT_TRUE(IsWindow(hwnd));
    window_close(second);
}

TEST_F(WindowTest, ClosingFreesTheNumberTheClassAndTheQueuedEvents) {
    const ObjectId numbered = 7;
    const auto opened =
        reinterpret_cast<HWND>(window_open(numbered, 10, 10, 200, 100, u"seven", 0x1));
    ASSERT_NE(opened, nullptr);
    EXPECT_EQ(window_native_handle(numbered), opened);
    EXPECT_TRUE(GetWindowLongPtrW(opened, GWL_STYLE) &
                WS_CAPTION); // added when only placement bits are given
    event_post(EVENT_MOVED, numbered, numbered, 0);
    window_close(numbered);
    EXPECT_FALSE(IsWindow(opened));
    EXPECT_EQ(window_native_handle(numbered), nullptr);
    WNDCLASSEXW info{};
    info.cbSize = sizeof info;
    EXPECT_FALSE(GetClassInfoExW(GetModuleHandleW(nullptr), L"WindowClass_7", &info));
    EXPECT_TRUE(events_with_code(pump_events(50), EVENT_MOVED).empty());
    // Numbers that name no window do nothing.
    window_close(12345);
    EXPECT_EQ(window_native_handle(12345), nullptr);
    EXPECT_EQ(window_native_handle(-5), nullptr);
}

TEST_F(WindowTest, ResizesCoalesceAndRestoringReportsRestoredThenOneResize) {
    for (int width = 300; width < 330; width += 10)
        SetWindowPos(hwnd, nullptr, 0, 0, width, 200, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    std::vector<SeenEvent> seen = pump_events(100);
    EXPECT_EQ(events_with_code(seen, EVENT_RESIZED).size(), 1u);

    ShowWindow(hwnd, SW_MINIMIZE);
    seen = pump_events(200);
    EXPECT_EQ(events_with_code(seen, EVENT_MINIMIZED).size(), 1u);
    ShowWindow(hwnd, SW_RESTORE);
    seen = pump_events(200);
    std::vector<std::int32_t> codes;
    for (const SeenEvent &event : seen)
        if (event.code == EVENT_RESTORED || event.code == EVENT_RESIZED)
            codes.push_back(event.code);
    EXPECT_EQ(codes, (std::vector<std::int32_t>{EVENT_RESTORED, EVENT_RESIZED}));
}

TEST_F(WindowTest, ButtonPressComesAsRawMessageThenGadgetEvent) {
    const ObjectId button = gadget_create_button(ANY, 10, 10, 80, 30, u"Read TRX");
    drain_events();
    PostMessageW(static_cast<HWND>(gadget_native_handle(button)), BM_CLICK, 0, 0);
    EXPECT_EQ(event_wait(), static_cast<std::int32_t>(BM_CLICK));
    EXPECT_EQ(event_type(), -1); // a raw message has no sub-type
    EXPECT_EQ(event_wait(), EVENT_GADGET);
    EXPECT_EQ(event_gadget(), button);
    EXPECT_EQ(event_menu(), button);
    EXPECT_EQ(event_type(), 0);
}

TEST_F(WindowTest, QueueCoalescesRepeatsAndDropsPostsWhileSuspended) {
    event_post(EVENT_GADGET, 5, window, 768);
    event_post(EVENT_GADGET, 5, window, 768);
    event_post(EVENT_GADGET, 5, window, 0);
    event_post(EVENT_GADGET, 6, window, 0);
    event_post(70000, 1, window, 0); // codes above 0xFFFF always queue
    event_post(70000, 1, window, 0);
    event_queue_suspend();
    event_post(EVENT_MENU, 1, window, 0);
    event_queue_resume();
    std::vector<std::tuple<std::int32_t, std::intptr_t, std::intptr_t>> fetched;
    for (std::int32_t code; (code = event_wait_timeout(0)) != 0;)
        if (code == EVENT_GADGET || code == 70000 || code == EVENT_MENU)
            fetched.emplace_back(code, event_gadget(), event_type());
    EXPECT_EQ(fetched, (std::vector<std::tuple<std::int32_t, std::intptr_t, std::intptr_t>>{
                           {EVENT_GADGET, 5, 768},
                           {EVENT_GADGET, 5, 0},
                           {EVENT_GADGET, 6, 0},
                           {70000, 1, 0},
                           {70000, 1, 0}}));
    event_post(EVENT_GADGET, 1, window, 0);
    event_post(EVENT_GADGET, 2, 99, 0);
    event_purge_window(99);
    event_purge(EVENT_GADGET, 1, -1, -1);
    EXPECT_EQ(event_peek_type(), 0);
}

TEST_F(WindowTest, WaitWithZeroTimeoutReturnsAtOnceAndForeignPostsArrive) {
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(event_wait_timeout(0), 0);
    EXPECT_EQ(event_wait_timeout(30), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1000));
    std::thread([&] { event_post(EVENT_MENU, 42, window, 0); }).join();
    const std::vector<SeenEvent> seen = pump_events(100);
    ASSERT_EQ(events_with_code(seen, EVENT_MENU).size(), 1u);
    EXPECT_EQ(events_with_code(seen, EVENT_MENU)[0].object, 42);
}

TEST_F(WindowTest, TabMovesFocusAmongEnabledVisibleTabStops) {
    const ObjectId first = gadget_create_string(ANY, 10, 10, 80, 20, u"");
    const ObjectId skipped = gadget_create_button(ANY, 10, 40, 80, 30, u"Off");
    const ObjectId label = gadget_create_text(ANY, 10, 80, 80, 20, u"label");
    const ObjectId last = gadget_create_button(ANY, 10, 110, 80, 30, u"On");
    gadget_disable(skipped, 1);
    (void)label;
    SetForegroundWindow(hwnd);
    SetActiveWindow(hwnd);
    SetFocus(static_cast<HWND>(gadget_native_handle(first)));
    drain_events();
    PostMessageW(GetFocus(), WM_KEYDOWN, VK_TAB, 0);
    pump_events(50);
    EXPECT_EQ(GetFocus(), gadget_native_handle(last));
    PostMessageW(GetFocus(), WM_KEYDOWN, VK_TAB, 0);
    pump_events(50);
    EXPECT_EQ(GetFocus(), gadget_native_handle(first)); // wrapped
    focus_step(true);
    EXPECT_EQ(GetFocus(), gadget_native_handle(last));
}
