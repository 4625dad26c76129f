// What only the Win32 back-end has: window hooks and tray clicks, size and
// state events, Tab among the gadgets, the combo's closed height, status bars
// on windows that are not the toolkit's and two on one window, the worker's
// message above every window, a missing event window, default-file splitting.
#include "toolkit_view.h"
#include "win32_private.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

class Win32 : public ::testing::Test {
protected:
    void SetUp() override {
        window = window_open(ANY, 0, 0, 530, 310, u"Kalvo 1.03", EDITOR_WINDOW);
        hwnd = static_cast<HWND>(window_native_handle(window));
        ASSERT_NE(hwnd, nullptr);
        drain_events();
    }
    void TearDown() override { window_close(window); }
    ObjectId window = 0;
    HWND hwnd = nullptr;
};

HWND control(ObjectId gadget) { return static_cast<HWND>(gadget_native_handle(gadget)); }

int outer_height(HWND control) {
    RECT outer;
    GetWindowRect(control, &outer);
    return outer.bottom - outer.top;
}

std::intptr_t answer_private(void *, std::uint32_t message, std::uintptr_t, std::intptr_t) {
    return message == WM_APP + 7 ? 1234 : WINDOW_CALLBACK_PASS;
}

TEST_F(Win32, HooksTrayClicksAndSizeAndStateEvents) {
    window_set_callback(window, answer_private);
    EXPECT_EQ(SendMessageW(hwnd, WM_APP + 7, 0, 0), 1234);
    window_set_callback(window, nullptr);
    EXPECT_EQ(SendMessageW(hwnd, WM_APP + 7, 0, 0), 0);

    SendMessageW(hwnd, WM_TRAY_ICON, 5, WM_RBUTTONDOWN);
    SendMessageW(hwnd, WM_TRAY_ICON, 5, WM_MOUSEMOVE);   // not reported
    EXPECT_EQ(events_with_code(pump_events(50), EVENT_TRAY_ICON), (std::vector<SeenEvent>{{EVENT_TRAY_ICON, 5, 1}}));

    for (int width = 300; width < 330; width += 10)
        SetWindowPos(hwnd, nullptr, 0, 0, width, 200, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(events_with_code(pump_events(100), EVENT_RESIZED).size(), 1u);   // coalesced
    window_set_state(window, WINDOW_STATE_MINIMIZED);
    EXPECT_TRUE(IsIconic(hwnd));
    EXPECT_EQ(events_with_code(pump_events(200), EVENT_MINIMIZED).size(), 1u);
    window_set_state(window, WINDOW_STATE_NORMAL);
    std::vector<std::int32_t> codes;
    for (const SeenEvent &event : pump_events(200))
        if (event.code == EVENT_RESTORED || event.code == EVENT_RESIZED)
            codes.push_back(event.code);
    EXPECT_EQ(codes, (std::vector<std::int32_t>{EVENT_RESTORED, EVENT_RESIZED}));
}

TEST_F(Win32, TabMovesAmongEnabledTabStopsAndCombosKeepTheirHeight) {
    const ObjectId first = gadget_create_string(ANY, 10, 10, 80, 20, u"");
    const ObjectId skipped = gadget_create_button(ANY, 10, 40, 80, 30, u"Off");
    gadget_create_text(ANY, 10, 80, 80, 20, u"label");
    const ObjectId last = gadget_create_button(ANY, 10, 110, 80, 30, u"On");
    gadget_disable(skipped, 1);
    SetForegroundWindow(hwnd);
    SetFocus(control(first));
    PostMessageW(GetFocus(), WM_KEYDOWN, VK_TAB, 0);
    pump_events(50);
    EXPECT_EQ(GetFocus(), control(last));
    PostMessageW(GetFocus(), WM_KEYDOWN, VK_TAB, 0);
    pump_events(50);
    EXPECT_EQ(GetFocus(), control(first));   // wrapped

    for (int height : {20, 25, 32}) {
        const ObjectId combo = gadget_create_combo(ANY, 100, 10, 80, height);
        gadget_add_item(combo, -1, u"COM1");
        EXPECT_EQ(outer_height(control(combo)), height);
        gadget_free(combo);
    }
    const ObjectId editable = gadget_create_combo(ANY, 100, 10, 80, 22, COMBO_EDITABLE);
    EXPECT_EQ(outer_height(control(editable)), 22);
    gadget_set_text(editable, u"COM3");
    EXPECT_EQ(gadget_get_state(editable), -1);   // typed text, no item chosen
}

TEST_F(Win32, StatusBarsOnForeignWindowsAndASecondBar) {
    WNDCLASSW foreign_class{};
    foreign_class.lpfnWndProc = DefWindowProcW;
    foreign_class.hInstance = GetModuleHandleW(nullptr);
    foreign_class.lpszClassName = L"KalvoForeign";
    RegisterClassW(&foreign_class);
    HWND foreign = CreateWindowExW(0, L"KalvoForeign", L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400, 300,
                                   nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    const auto bar = reinterpret_cast<HWND>(statusbar_create(31, foreign));
    ASSERT_NE(bar, nullptr);
    statusbar_add_field(100);
    // Resized, the foreign window keeps its status bar at the bottom.
    SetWindowPos(foreign, nullptr, 0, 0, 500, 420, SWP_NOMOVE | SWP_NOZORDER);
    RECT client, status;
    GetClientRect(foreign, &client);
    GetWindowRect(bar, &status);
    MapWindowPoints(nullptr, foreign, reinterpret_cast<POINT *>(&status), 2);
    EXPECT_EQ(status.bottom, client.bottom);
    DestroyWindow(foreign);

    // Two on one window: freeing the newer leaves the older working.
    statusbar_create(33, hwnd);
    statusbar_add_field(120);
    statusbar_image(33, 0, test_image(), 0);
    statusbar_create(34, hwnd);
    statusbar_add_field(50);
    statusbar_free(34);
    EXPECT_TRUE(field_shows_image(window, 0));
    statusbar_image(33, 0, nullptr, 0);
    EXPECT_FALSE(field_shows_image(window, 0));
    statusbar_free(33);
}

// Not every system honours MB_TOPMOST: the toolkit keeps a worker's message above the main window itself.
TEST_F(Win32, WorkersMessageStaysInFront) {
    answer_next_dialog(Reply::ok);
    std::thread worker([] { requester_message(u"Error", u"TRX not responding!", REQUESTER_ERROR); });
    const DialogSeen seen = answered_dialog();
    worker.join();
    EXPECT_TRUE(seen.in_front);
}

// Without the hidden event window nobody would run a worker's call: it is
// refused at once instead of waiting for ever.
TEST_F(Win32, CallsWithoutTheEventWindowAreRefused) {
    const ObjectId field = gadget_create_string(ANY, 10, 10, 90, 20, u"kept");
    event_system_shutdown();
    std::atomic<bool> returned{false};
    WideText read;
    std::thread worker([&] {
        read = gadget_get_text(field);
        returned = true;
    });
    for (int waited = 0; waited < 2000 && !returned; ++waited)
        Sleep(1);
    EXPECT_TRUE(returned);
    if (returned)
        worker.join();
    else
        worker.detach();   // stuck for good; the process ends with the suite
    event_system_init();
    EXPECT_EQ(read, u"");
    EXPECT_EQ(gadget_get_text(field), u"kept");
}

TEST(Win32Files, FilterTextAndDefaultFileFollowTheDialogsRules) {
    EXPECT_EQ(file_filter_text(u"Memory (*.mem)|*.mem;"), std::wstring(L"Memory (*.mem)\0*.mem;\0\0", 23));
    EXPECT_EQ(file_filter_text(u""), std::wstring(L"\0\0", 2));
    DefaultFile split = split_default_file(u"C:\\radio\\sets\\field.mem");
    EXPECT_EQ(split.directory, L"C:\\radio\\sets");
    EXPECT_EQ(split.name, L"field.mem");
    split = split_default_file(u"\\field.mem");   // a leading backslash does not split
    EXPECT_EQ(split.directory + split.name, L"");
    split = split_default_file(u"C:\\radio\\what?.mem");   // no file name
    EXPECT_EQ(split.directory, L"C:\\radio");
    EXPECT_EQ(split.name, L"");
    EXPECT_EQ(split_default_file(WideText(300, u'a')).name.size(), 259u);   // within the dialog's buffer
}

} // namespace
