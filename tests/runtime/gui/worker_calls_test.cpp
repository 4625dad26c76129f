#include "gui_test_support.h"

#include <gtest/gtest.h>

#include <glib/gstdio.h>

#include <algorithm>
#include <atomic>
#include <thread>

namespace {

class WorkerCalls : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        window = window_open(ANY, 0, 0, 530, 310, u"worker", 0x64);
        list = gadget_create_list_icon(ANY, 10, 50, 320, 230, u"NumCh", 60, 12);
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
    static std::intptr_t window, list, combo, button, user_button;
};
std::intptr_t WorkerCalls::window, WorkerCalls::list, WorkerCalls::combo, WorkerCalls::button,
    WorkerCalls::user_button;

TEST_F(WorkerCalls, ThousandsOfWorkerCallsStayCorrectBesideABusyLoop) {
    constexpr int rounds = 2000;
    std::atomic<bool> done{false};
    int wrong_cells = 0, wrong_texts = 0;   // worker only until joined
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
        done = true;
        g_main_context_wakeup(nullptr);
    });

    // The user keeps clicking and selecting rows; no click may be lost to
    // the worker's programmatic changes.
    int clicks = 0, clicks_seen = 0;
    while (!done) {
        gtk_button_clicked(GTK_BUTTON(gadget_native_handle(user_button)));
        ++clicks;
        gadget_set_state(list, clicks % 100);
        for (std::int32_t code; (code = event_wait_timeout(0)) > 0;)
            clicks_seen += code == EVENT_GADGET && event_gadget() == user_button;
        // A row being replaced is missing for a moment, shifting the rows below it.
        const int row = clicks % 100;
        const WideText cell = gadget_get_item_text(list, row, 0);
        if (!cell.empty()) {
            EXPECT_TRUE(text_val(cell) == row || text_val(cell) == row + 1) << row;
        }
        event_wait();   // one blocking iteration serves the worker
    }
    worker.join();
    drain_events();

    EXPECT_EQ(wrong_cells, 0);
    EXPECT_EQ(wrong_texts, 0);
    EXPECT_EQ(clicks_seen, clicks);
    EXPECT_GT(clicks, 0);
    EXPECT_TRUE(gtk_widget_get_sensitive(static_cast<GtkWidget *>(gadget_native_handle(button))));
    for (int row = 0; row < 100; ++row) {
        EXPECT_EQ(gadget_get_item_text(list, row, 0), text_str(row));
        EXPECT_EQ(gadget_get_item_text(list, row, 1), text_str(rounds - 100 + row));
    }
    EXPECT_EQ(gadget_get_item_text(list, 100, 0), u"");
}

TEST_F(WorkerCalls, WorkerRequesterBlocksOnlyTheWorker) {
    std::atomic<std::intptr_t> answer{-1};
    std::thread worker([&] { answer = requester_message(u"Error", u"File exists, replace?", 17); });
    GtkWidget *dialog = wait_for_toplevel(GTK_TYPE_MESSAGE_DIALOG);
    ASSERT_NE(dialog, nullptr);
    // The event loop goes on while the worker waits for its answer.
    event_post(EVENT_GADGET, 42, window, 0);
    EXPECT_EQ(event_wait_timeout(0), EVENT_GADGET);
    EXPECT_EQ(event_gadget(), 42);
    EXPECT_EQ(answer, -1);
    // So does the main window: its close request gets past the message.
    gtk_window_close(GTK_WINDOW(window_native_handle(window)));
    std::vector<SeenEvent> seen = pump_events(100);
    EXPECT_TRUE(std::any_of(seen.begin(), seen.end(),
                            [](const SeenEvent &e) { return e.code == EVENT_CLOSE_WINDOW; }));
    EXPECT_EQ(answer, -1);

    gtk_dialog_response(GTK_DIALOG(dialog), GTK_RESPONSE_NO);
    worker.join();
    EXPECT_EQ(answer, REQUESTER_ANSWER_NO);
    pump_events(20);
    EXPECT_EQ(find_toplevel(GTK_TYPE_MESSAGE_DIALOG), nullptr);
}

// A file requester for a worker behaves like a message: only the worker
// waits. The name it brings back is the file's own, UTF-8 or not.
TEST_F(WorkerCalls, WorkerFileRequesterBlocksOnlyTheWorker) {
    char folder[] = "/tmp/kalvo_gui_XXXXXX";
    ASSERT_NE(g_mkdtemp(folder), nullptr);
    const std::string file = std::string(folder) + "/caf\xE9.mem"; // Latin-1
    ASSERT_TRUE(g_file_set_contents(file.c_str(), "x", 1, nullptr));
    std::atomic<bool> done{false};
    WideText chosen;
    std::thread worker([&] {
        chosen = requester_open_file(u"Open", text_from_file_name(file.c_str()), u"Memory (*.mem)|*.mem;", 0);
        done = true;
    });
    // Should the requester run inside the loop's hand-over, this ends it.
    const guint rescue = g_timeout_add(3000, [](gpointer) -> gboolean {
        if (GtkWidget *dialog = find_toplevel(GTK_TYPE_FILE_CHOOSER_DIALOG))
            gtk_dialog_response(GTK_DIALOG(dialog), GTK_RESPONSE_CANCEL);
        return G_SOURCE_REMOVE;
    }, nullptr);
    GtkWidget *dialog = wait_for_toplevel(GTK_TYPE_FILE_CHOOSER_DIALOG);
    EXPECT_NE(dialog, nullptr);
    event_post(EVENT_GADGET, 42, window, 0);
    EXPECT_EQ(event_wait_timeout(0), EVENT_GADGET);
    EXPECT_FALSE(done);
    // The chooser turns an answer down while it still loads the folder.
    for (int tries = 0; tries < 100 && !done; ++tries) {
        if ((dialog = find_toplevel(GTK_TYPE_FILE_CHOOSER_DIALOG)))
            gtk_dialog_response(GTK_DIALOG(dialog), GTK_RESPONSE_ACCEPT);
        pump_events(20);
    }
    worker.join();
    if (GSource *source = g_main_context_find_source_by_id(nullptr, rescue))
        g_source_destroy(source);
    EXPECT_EQ(text_to_file_name(chosen), file);
    g_remove(file.c_str());
    g_rmdir(folder);
}

TEST_F(WorkerCalls, WorkerCallsOnFreedGadgetsDoNothing) {
    const std::intptr_t doomed = gadget_create_string(ANY, 400, 90, 90, 20, u"7050000");
    gadget_free(doomed);
    WideText text = u"unset";
    std::intptr_t added = -1;
    std::atomic<bool> done{false};
    std::thread worker([&] {
        text = gadget_get_text(doomed);
        added = gadget_add_item(doomed, -1, u"x");
        gadget_disable(doomed, 1);
        done = true;
    });
    while (!done)
        event_wait_timeout(5);
    worker.join();
    EXPECT_EQ(text, u"");
    EXPECT_EQ(added, 0);
}

} // namespace

// A worker's removal waits for its next toolkit call; when there is none, it
// is carried out as the worker ends.
TEST_F(WorkerCalls, RemovalAsAWorkersLastCallIsCarriedOut) {
    ASSERT_EQ(gadget_get_item_text(list, 99, 0), u"99");
    ASSERT_NE(thread_create([](std::intptr_t gadget) { gadget_remove_item(gadget, 0); }, list), 0);
    for (int waited = 0; waited < 2000 && gadget_get_item_text(list, 99, 0) == u"99"; waited += 10)
        pump_events(10);
    EXPECT_EQ(gadget_get_item_text(list, 0, 0), u"1");
    EXPECT_EQ(gadget_get_item_text(list, 99, 0), u"");
    gadget_add_item(list, 0, u"0");
}
