// What only the Win32 back-end has: Tab among the gadgets, the combo's closed
// height, two status bars on one window, the worker's message above every
// window, a missing event window, filter texts and default-file splitting.
#include "toolkit_view.h"
#include "win32/win32_private.h"

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

// Whether the window draws its status bar's first field itself, as it does for an image.
bool window_draws_first_field(HWND window) {
    DRAWITEMSTRUCT item{};
    item.hwndItem = FindWindowExW(window, nullptr, STATUSCLASSNAMEW, nullptr);
    item.hDC = CreateCompatibleDC(nullptr);
    SendMessageW(item.hwndItem, SB_GETRECT, 0, reinterpret_cast<LPARAM>(&item.rcItem));
    const LRESULT drawn = SendMessageW(window, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&item));
    DeleteDC(item.hDC);
    return drawn == 1;
}

int outer_height(HWND control) {
    RECT outer;
    GetWindowRect(control, &outer);
    return outer.bottom - outer.top;
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
    EXPECT_EQ(GetFocus(), control(first)); // wrapped

    for (int height : {20, 25, 32}) {
        const ObjectId combo = gadget_create_combo(ANY, 100, 10, 80, height);
        gadget_add_item(combo, -1, u"COM1");
        EXPECT_EQ(outer_height(control(combo)), height);
        gadget_free(combo);
    }
}

// A child window is owned by its parent; states, size limits and the gadget
// area's colour reach the window; a callback sees the window's messages first.
TEST_F(Win32, ChildWindowsStatesLimitsColoursAndCallbacks) {
    const ObjectId child = window_open_child(ANY, 0, 0, 200, 100, u"child",
                                             WINDOW_SYSTEM_MENU | WINDOW_SIZEABLE, hwnd);
    HWND child_hwnd = static_cast<HWND>(window_native_handle(child));
    ASSERT_NE(child_hwnd, nullptr);
    EXPECT_EQ(GetWindow(child_hwnd, GW_OWNER), hwnd);
    for (const std::int32_t state : {WINDOW_STATE_MINIMIZED, WINDOW_STATE_NORMAL,
                                     WINDOW_STATE_MAXIMIZED, WINDOW_STATE_NORMAL}) {
        window_set_state(child, state);
        EXPECT_EQ(IsIconic(child_hwnd) != 0, state == WINDOW_STATE_MINIMIZED) << state;
        EXPECT_EQ(IsZoomed(child_hwnd) != 0, state == WINDOW_STATE_MAXIMIZED) << state;
    }

    window_set_size_limits(child, 150, 80, 400, 0);
    MINMAXINFO limits{};
    SendMessageW(child_hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    RECT frame{0, 0, 150, 80};
    AdjustWindowRectEx(&frame, GetWindowLongW(child_hwnd, GWL_STYLE), FALSE,
                       GetWindowLongW(child_hwnd, GWL_EXSTYLE));
    EXPECT_EQ(limits.ptMinTrackSize.x, frame.right - frame.left);
    EXPECT_EQ(limits.ptMinTrackSize.y, frame.bottom - frame.top);

    window_set_color(child, 0x0000FF);
    RedrawWindow(child_hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    HDC dc = GetDC(child_hwnd);
    EXPECT_EQ(GetPixel(dc, 5, 5), RGB(0xFF, 0, 0));
    ReleaseDC(child_hwnd, dc);

    static UINT seen = 0;
    window_set_callback(
        child, [](void *, std::uint32_t message, std::uintptr_t, std::intptr_t) -> std::intptr_t {
            if (message != WM_APP + 7)
                return WINDOW_CALLBACK_PASS;
            seen = message;
            return 42;
        });
    EXPECT_EQ(SendMessageW(child_hwnd, WM_APP + 7, 0, 0), 42);
    EXPECT_EQ(seen, WM_APP + 7u);
    window_set_callback(child, nullptr);
    EXPECT_EQ(SendMessageW(child_hwnd, WM_APP + 7, 0, 0), 0);
    window_close_all();
    EXPECT_EQ(window_native_handle(child), nullptr);
    EXPECT_FALSE(IsWindow(hwnd));
}

// Fonts are the caller's handles; the focus goes where it is given.
TEST_F(Win32, FontsAndFocus) {
    const ObjectId field = gadget_create_string(ANY, 10, 10, 100, 24, u"7050000");
    const ObjectId combo = gadget_create_combo(ANY, 10, 40, 100, 24);
    HFONT large =
        CreateFontW(-20, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma");
    gadget_set_font(field, large);
    EXPECT_EQ(gadget_get_font(field), large);
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(control(field), WM_GETFONT, 0, 0)), large);
    EXPECT_NE(gadget_get_font(combo), large);
    gadget_set_font(field, nullptr);
    EXPECT_EQ(gadget_get_font(field), gadget_get_font(combo));
    DeleteObject(large);
    SetForegroundWindow(hwnd);
    gadget_give_focus(field);
    EXPECT_EQ(GetFocus(), control(field));
    gadget_give_focus(combo);
    EXPECT_EQ(GetFocus(), control(combo));
}

// An editable combo answers with the text typed into it, image combo or not.
TEST_F(Win32, EditableCombosAnswerWithTheTypedText) {
    constexpr std::int32_t editable = CBS_DROPDOWN, with_images = 0x10000000;
    for (const std::int32_t flags : {editable, editable | with_images}) {
        const ObjectId combo = gadget_create_combo(ANY, 100, 10, 120, 22, flags);
        gadget_add_item(combo, -1, u"COM1");
        gadget_add_item(combo, -1, u"COM2");
        gadget_set_state(combo, 1);
        EXPECT_EQ(gadget_get_text(combo), u"COM2") << flags;
        HWND edit =
            flags & with_images
                ? reinterpret_cast<HWND>(SendMessageW(control(combo), CBEM_GETEDITCONTROL, 0, 0))
                : FindWindowExW(control(combo), nullptr, L"Edit", nullptr);
        ASSERT_NE(edit, nullptr) << flags;
        SetWindowTextW(edit, L"COM77");
        EXPECT_EQ(gadget_get_text(combo), u"COM77") << flags;
        EXPECT_EQ(gadget_get_state(combo), -1) << flags; // no item is what was typed
        gadget_free(combo);
    }
}

// Two on one window: freeing the newer leaves the older drawing its fields.
TEST_F(Win32, ASecondStatusBarLeavesTheFirstDrawing) {
    statusbar_create(33, hwnd);
    statusbar_add_field(120);
    statusbar_image(33, 0, LoadIconW(nullptr, IDI_INFORMATION), 0);
    statusbar_create(34, hwnd);
    statusbar_add_field(50);
    statusbar_free(34);
    EXPECT_TRUE(window_draws_first_field(hwnd));
    statusbar_image(33, 0, nullptr, 0);
    EXPECT_FALSE(window_draws_first_field(hwnd));
    statusbar_free(33);
}

// Not every system honours MB_TOPMOST: the toolkit keeps a worker's message above the main window
// itself.
TEST_F(Win32, WorkersMessageStaysInFront) {
    answer_next_dialog(Reply::ok);
    std::thread worker(
        [] { requester_message(u"Error", u"TRX not responding!", REQUESTER_ERROR); });
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
        worker.detach(); // stuck for good; the process ends with the suite
    event_system_init();
    EXPECT_EQ(read, u"");
    EXPECT_EQ(gadget_get_text(field), u"kept");
}

TEST(Win32Files, FilterTextAndDefaultFileFollowTheDialogsRules) {
    EXPECT_EQ(file_filter_text(u"Memory (*.mem)|*.mem;"),
              std::wstring(L"Memory (*.mem)\0*.mem;\0\0", 23));
    EXPECT_EQ(file_filter_text(u""), std::wstring(L"\0\0", 2));
    DefaultFile split = split_default_file(u"C:\\radio\\sets\\field.mem");
    EXPECT_EQ(split.directory, L"C:\\radio\\sets");
    EXPECT_EQ(split.name, L"field.mem");
    split = split_default_file(u"\\field.mem"); // a leading backslash does not split
    EXPECT_EQ(split.directory + split.name, L"");
    split = split_default_file(u"C:\\radio\\what?.mem"); // no file name
    EXPECT_EQ(split.directory, L"C:\\radio");
    EXPECT_EQ(split.name, L"");
    EXPECT_EQ(split_default_file(WideText(300, u'a')).name.size(),
              259u); // within the dialog's buffer
}

} // namespace
