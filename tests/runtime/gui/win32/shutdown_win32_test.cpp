// Shut-down with a worker still in the toolkit: its message box is ended and
// its later calls return at once, although the window thread no longer
// serves them. Shut-down cannot be undone, so this is a program of its own.
#include "win32_test_support.h"

#include <atomic>
#include <chrono>

using ShutdownTest = ToolkitWindow;

namespace {

// Waits without serving any message, as the editor does at exit.
bool wait_without_pumping(const std::atomic<bool> &flag, int ms) {
    for (int waited = 0; waited < ms && !flag; ++waited)
        Sleep(1);
    return flag;
}

} // namespace

TEST_F(ShutdownTest, WorkerMessageIsDismissedAndLaterCallsReturnAtOnce) {
    const ObjectId field = gadget_create_string(ANY, 10, 10, 90, 20, u"kept");
    std::atomic<bool> finished{false};
    std::atomic<DWORD> worker_id{0};
    std::intptr_t answer = -1;
    WideText read_after;
    std::thread worker([&] {
        worker_id = GetCurrentThreadId();
        answer = requester_message(u"Error", u"TRX not responding!", REQUESTER_ERROR);
        read_after = gadget_get_text(field);
        finished = true;
    });
    std::atomic<bool> chooser_finished{false};
    std::atomic<DWORD> chooser_id{0};
    WideText chosen = u"none";
    std::thread chooser([&] {
        chooser_id = GetCurrentThreadId();
        chosen = requester_save_file(u"Save", u"", u"Memory (*.mem)|*.mem;", 0);
        chooser_finished = true;
    });
    bool shown = false;
    for (int i = 0; i < 2000 && !shown; ++i) {
        event_wait_timeout(5);
        shown = worker_id && find_thread_window(worker_id, L"#32770") && chooser_id &&
                find_thread_window(chooser_id, L"#32770");
    }
    ASSERT_TRUE(shown);

    toolkit_shutdown_begin();
    EXPECT_TRUE(wait_without_pumping(finished, 5000));
    EXPECT_TRUE(wait_without_pumping(chooser_finished, 5000));
    worker.join();
    chooser.join();
    EXPECT_EQ(chosen, u"");
    EXPECT_EQ(answer, 0);
    EXPECT_EQ(read_after, u"");
    // The window thread itself still works.
    EXPECT_EQ(gadget_get_text(field), u"kept");

    // A message asked for after shut-down is not shown at all.
    std::atomic<bool> returned{false};
    std::intptr_t late_answer = -1;
    std::thread late([&] {
        late_answer = requester_message(u"Error", u"late", REQUESTER_ERROR);
        returned = true;
    });
    EXPECT_TRUE(wait_without_pumping(returned, 2000));
    late.join();
    EXPECT_EQ(late_answer, 0);
}
