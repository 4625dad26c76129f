// Toolkit calls from a worker thread while the window thread is busy with
// the user's input: each call is carried out on the window thread, returns
// its result, raises no event of its own and drops none of the user's.
#include "win32_test_support.h"

#include <algorithm>
#include <atomic>

using WorkerTest = ToolkitWindow;

TEST_F(WorkerTest, WorkerCallsNeverDropTheUsersEventsNorRaiseTheirOwn) {
    const ObjectId list = gadget_create_list_icon(ANY, 10, 50, 320, 230, u"NumCh", 60,
                                                  LIST_ICON_GRID_LINES | LIST_ICON_FULL_ROW_SELECT);
    gadget_add_column(list, 1, u"Freq (Hz)", 120);
    for (int n = 0; n < 100; ++n)
        gadget_add_item(list, n, text_str(n));
    const ObjectId port = gadget_create_combo(ANY, 440, 12, 80, 25);
    gadget_add_item(port, -1, u"COM3");
    gadget_set_state(port, 0);
    const ObjectId button = gadget_create_button(ANY, 10, 10, 80, 30, u"Read TRX");
    const ObjectId typed_into = gadget_create_string(ANY, 400, 90, 90, 20, u"");
    ASSERT_NE(statusbar_create(0, hwnd), 0);
    statusbar_add_field(530);
    statusbar_progress(0, 0, 0);
    drain_events();

    constexpr int rounds = 150; // every row once, half of them twice
    std::atomic<bool> finished{false};
    std::atomic<int> wrong_reads{0};
    std::thread worker([&] {
        for (int round = 0; round < rounds; ++round) {
            const int channel = round % 100;
            gadget_disable(button, round & 1);
            if (gadget_get_text(port) != u"COM3")
                ++wrong_reads;
            const WideText expected = round < 100 ? WideText() : text_str(round - 100);
            if (gadget_get_item_text(list, channel, 1) != expected)
                ++wrong_reads;
            gadget_remove_item(list, channel);
            gadget_add_item(list, channel, text_str(channel) + u"\n" + text_str(round));
            statusbar_progress(0, 0, channel);
        }
        finished = true;
    });

    HWND edit = static_cast<HWND>(gadget_native_handle(typed_into));
    int typed = 0;
    std::vector<SeenEvent> seen;
    while (!finished) {
        SendMessageW(edit, WM_CHAR, L'0' + typed % 10, 0);
        ++typed;
        // A bounded slice of the loop per keystroke: the worker keeps it busy.
        for (int i = 0; i < 20; ++i) {
            const std::int32_t code = event_wait_timeout(1);
            if (code == 0)
                break;
            if (code == EVENT_GADGET)
                seen.push_back({code, event_gadget(), event_type()});
        }
    }
    worker.join();
    for (const SeenEvent &event : pump_events(100))
        seen.push_back(event);

    const std::vector<std::intptr_t> typing = subtypes_of(seen, typed_into);
    EXPECT_EQ(std::count(typing.begin(), typing.end(), EN_CHANGE), typed);
    EXPECT_TRUE(subtypes_of(seen, list).empty());
    EXPECT_TRUE(subtypes_of(seen, port).empty());
    EXPECT_EQ(wrong_reads, 0);
    EXPECT_EQ(gadget_get_item_text(list, (rounds - 1) % 100, 1), text_str(rounds - 1));
    EXPECT_EQ(gadget_get_item_text(list, 99, 1), u"99");
    EXPECT_EQ(gadget_get_item_text(list, 0, 0), u"0");
    EXPECT_GT(typed, 10);
}

TEST_F(WorkerTest, WorkerRequesterBlocksOnlyTheWorker) {
    std::atomic<std::intptr_t> answer{-1};
    std::atomic<DWORD> worker_id{0};
    std::thread worker([&] {
        worker_id = GetCurrentThreadId();
        answer = requester_message(u"Error", u"TRX not responding!", REQUESTER_ERROR);
    });
    while (!worker_id)
        Sleep(1);
    // The box stays in front when the user activates the main window.
    std::atomic<bool> in_front{false};
    std::thread user = act_on_dialog(worker_id, [&](HWND box) {
        in_front = (GetWindowLongPtrW(box, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
        click_dialog_button(box, IDOK);
    });
    // The window thread goes on serving events while the box is up.
    int served = 0;
    for (int i = 0; i < 2000 && answer == -1; ++i) {
        event_post(EVENT_MENU, i, window, 0);
        if (event_wait_timeout(5) == EVENT_MENU && event_menu() == i)
            ++served;
    }
    worker.join();
    user.join();
    EXPECT_EQ(answer, IDOK);
    EXPECT_GT(served, 0);
    EXPECT_TRUE(in_front);
}

// A worker's file requester is shown on the worker's thread, like its
// messages: the window thread goes on serving events meanwhile.
TEST_F(WorkerTest, WorkerFileRequesterBlocksOnlyTheWorker) {
    std::atomic<bool> returned{false};
    std::atomic<DWORD> worker_id{0};
    WideText chosen = u"none";
    std::thread worker([&] {
        worker_id = GetCurrentThreadId();
        chosen = requester_open_file(u"Open", u"", u"Memory (*.mem)|*.mem;", 0);
        returned = true;
    });
    while (!worker_id)
        Sleep(1);
    std::atomic<bool> on_worker{false};
    std::thread user = act_on_dialog(worker_id, [&](HWND dialog) {
        on_worker = true;
        click_dialog_button(dialog, IDCANCEL);
    });
    // Should the dialog run on this thread inside the hand-over, this ends it.
    const DWORD self = GetCurrentThreadId();
    std::thread rescue([&] {
        for (; !returned; Sleep(50))
            if (HWND dialog = find_thread_window(self, L"#32770"))
                click_dialog_button(dialog, IDCANCEL);
    });
    int served = 0;
    for (int i = 0; i < 4000 && !returned; ++i) {
        event_post(EVENT_MENU, i, window, 0);
        if (event_wait_timeout(5) == EVENT_MENU && event_menu() == i)
            ++served;
    }
    worker.join();
    user.join();
    rescue.join();
    EXPECT_TRUE(on_worker);
    EXPECT_GT(served, 0);
    EXPECT_EQ(chosen, u"");
}

// Without the hidden event window nobody would run a worker's call: it is
// refused at once instead of waiting for ever.
TEST_F(WorkerTest, CallsWithoutTheEventWindowAreRefused) {
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
