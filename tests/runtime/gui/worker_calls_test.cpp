// Toolkit calls from worker threads, on either toolkit: each is carried out
// on the event-loop thread and returns its result, raises no event of its own
// and drops none of the user's; a worker's requester blocks only the worker.
#include "toolkit_view.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <iterator>
#include <thread>
#include <vector>

namespace {

class WorkerCalls : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        window = window_open(ANY, 0, 0, 530, 310, u"worker", EDITOR_WINDOW);
        list =
            gadget_create_list_icon(ANY, 10, 50, 320, 230, u"NumCh", 60, LIST_ICON_FULL_ROW_SELECT);
        for (int column = 1; column < 4; ++column)
            gadget_add_column(list, column, u"column", 60);
        for (int row = 0; row < 100; ++row)
            gadget_add_item(list, row, text_str(row));
        combo = gadget_create_combo(ANY, 400, 120, 60, 20);
        gadget_add_item(combo, -1, u"USB");
        gadget_set_state(combo, 0);
        button = gadget_create_button(ANY, 10, 10, 80, 30, u"Read TRX");
        user_button = gadget_create_button(ANY, 110, 10, 80, 30, u"Load File");
        statusbar_create(0, window_native_handle(window));
        statusbar_add_field(530);
    }
    static void TearDownTestSuite() { window_close(window); }
    // Serves the event loop until the worker's requester shows (at most about 5 s).
    static bool wait_for_dialog() {
        for (int tries = 0; tries < 500 && dialogs_showing() == 0; ++tries)
            pump_events(10);
        return dialogs_showing() == 1;
    }
    static std::intptr_t window, list, combo, button, user_button;
};
std::intptr_t WorkerCalls::window, WorkerCalls::list, WorkerCalls::combo, WorkerCalls::button,
    WorkerCalls::user_button;

TEST_F(WorkerCalls, ThousandsOfWorkerCallsStayCorrectBesideABusyLoop) {
    constexpr int rounds = 1000;
    const std::intptr_t freed = gadget_create_string(ANY, 400, 90, 90, 20, u"7050000");
    gadget_free(freed);
    std::atomic<bool> done{false};
    int wrong_cells = 0, wrong_texts = 0; // the worker's until joined
    std::intptr_t added_to_freed = -1;
    std::thread worker([&] {
        for (int i = 0; i < rounds; ++i) {
            const int row = i % 100;
            gadget_disable(button, i & 1);
            gadget_remove_item(list, row);
            gadget_add_item(list, row, text_str(row) + u"\n" + text_str(i) + u"\nUSB\n---");
            wrong_cells += gadget_get_item_text(list, row, 1) != text_str(i);
            statusbar_progress(0, 0, row);
            wrong_texts += gadget_get_text(combo) != u"USB";
        }
        gadget_disable(button, 0);
        wrong_texts += gadget_get_text(freed) != u"";
        added_to_freed = gadget_add_item(freed, -1, u"x");
        gadget_disable(freed, 1);
        done = true;
    });

    // The user keeps clicking and the program selecting rows; no click may be
    // lost to the worker's changes, which post nothing of their own.
    int clicks = 0, clicks_seen = 0, other_events = 0;
    while (!done) {
        click(user_button);
        ++clicks;
        gadget_set_state(list, clicks % 100);
        for (std::int32_t code; (code = event_wait_timeout(0)) > 0;) {
            clicks_seen += code == EVENT_GADGET && event_gadget() == user_button;
            other_events += code == EVENT_GADGET && event_gadget() != user_button;
        }
        // A row being replaced is missing for a moment, shifting the rows below it.
        const int row = clicks % 100;
        const std::string cells = shown_row(list, row);
        const bool shifted = cells.starts_with(std::to_string(row + 1) + "|");
        EXPECT_TRUE(cells.empty() || cells.starts_with(std::to_string(row) + "|") || shifted)
            << row << ": " << cells;
        event_wait_timeout(5); // a turn that serves the worker
    }
    worker.join();
    drain_events();

    EXPECT_EQ(wrong_cells, 0);
    EXPECT_EQ(wrong_texts, 0);
    EXPECT_EQ(added_to_freed, 0);
    EXPECT_EQ(clicks_seen, clicks);
    EXPECT_EQ(other_events, 0);
    EXPECT_GT(clicks, 0);
    EXPECT_TRUE(is_enabled(button));
    for (int row = 0; row < 100; ++row)
        EXPECT_EQ(shown_row(list, row),
                  std::to_string(row) + "|" + std::to_string(rounds - 100 + row) + "|USB|---");
    EXPECT_EQ(shown_row(list, 100), "");
}

// A worker's message or file requester blocks only the worker: the event
// loop goes on meanwhile (for a message, the main window's close box too).
// The file requester is answered a second after it shows: should it run
// inside the loop's hand-over, the loop is stuck in it until then, and sees
// no requester. The name it brings back is the file's own.
TEST_F(WorkerCalls, WorkerRequestersBlockOnlyTheWorker) {
    const std::string file = scratch_path(unusual_file_name(), true);
    for (const bool file_requester : {false, true}) {
        std::atomic<std::intptr_t> answer{-1};
        std::atomic<bool> done{false};
        WideText chosen;
        if (file_requester)
            answer_next_dialog(Reply::ok, {}, 1000);
        std::thread worker([&] {
            if (file_requester)
                chosen = requester_open_file(u"Open", native_name(file), u"Memory|*.mem;", 0);
            else
                answer = requester_message(u"Error", u"File exists, replace?", REQUESTER_QUESTION);
            done = true;
        });
        ASSERT_TRUE(wait_for_dialog()) << file_requester;
        event_post(EVENT_GADGET, 42, window, 0);
        EXPECT_EQ(subtypes_of(pump_events(50), 42).size(), 1u);
        if (!file_requester) {
            press_close_box(window);
            EXPECT_EQ(events_with_code(pump_events(100), EVENT_CLOSE_WINDOW).size(), 1u);
        }
        EXPECT_FALSE(done);
        if (!file_requester)
            answer_next_dialog(Reply::no);
        for (int tries = 0; tries < 500 && !done; ++tries)
            pump_events(10);
        worker.join();
        const DialogSeen seen = answered_dialog();
        EXPECT_EQ(dialogs_showing(), 0);
        if (file_requester) {
            EXPECT_EQ(from_native_name(chosen), file);
        } else {
            EXPECT_EQ(seen.text, "File exists, replace?");
            EXPECT_EQ(answer, REQUESTER_ANSWER_NO);
        }
    }
}

// A post from another thread follows the queue's rules as the event loop's
// own do: dropped while the queue is suspended, unless flagged to pass, and
// its payload released once nobody will see it.
TEST_F(WorkerCalls, PostsFromAnotherThreadFollowTheQueuesRules) {
    static std::atomic<int> released;
    static int dropped_payload = 1, kept_payload = 10;
    released = 0;
    const auto release = [](void *payload) { released += *static_cast<int *>(payload); };
    drain_events();
    event_queue_suspend();
    std::atomic<bool> posted{false};
    std::thread poster([&] {
        event_post_full(EVENT_GADGET, 42, window, 0, &dropped_payload, release, 0);
        event_post_full(EVENT_GADGET, 43, window, 0, &kept_payload, release,
                        EVENT_POST_WHILE_SUSPENDED);
        posted = true;
    });
    std::vector<SeenEvent> seen;
    const auto pump = [&](int ms) { std::ranges::copy(pump_events(ms), std::back_inserter(seen)); };
    for (int tries = 0; tries < 200 && !posted; ++tries)
        pump(10);
    poster.join();
    pump(50);
    event_queue_resume();
    pump(50);
    EXPECT_EQ(subtypes_of(seen, 42).size(), 0u);
    EXPECT_EQ(subtypes_of(seen, 43).size(), 1u);
    EXPECT_EQ(released, dropped_payload + kept_payload);
}

// A worker's removal waits for its next toolkit call. When none comes, it is
// still carried out: on a thread_create thread as it ends, on any other
// thread by the event loop a moment later.
TEST_F(WorkerCalls, RemovalAsAThreadsLastCallIsCarriedOut) {
    for (const bool own_thread : {false, true}) {
        const std::string last = shown_row(list, 99);
        ASSERT_NE(last, "");
        if (own_thread)
            std::thread([] { gadget_remove_item(list, 0); }).join();
        else
            ASSERT_NE(
                thread_create([](std::intptr_t gadget) { gadget_remove_item(gadget, 0); }, list),
                0);
        for (int waited = 0; waited < 2000 && shown_row(list, 99) != ""; waited += 10)
            pump_events(10);
        EXPECT_EQ(shown_row(list, 99), "") << own_thread;
        EXPECT_EQ(shown_row(list, 98), last) << own_thread;
        EXPECT_EQ(gadget_count_items(list), 99) << own_thread;
        gadget_add_item(list, 0, u"0");
    }
}

} // namespace
