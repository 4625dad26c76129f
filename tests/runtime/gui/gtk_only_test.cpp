// What only the GTK back-end has to get right: the locale GTK sets up, a
// window drawn before it may take the focus, long combo items, the queue's
// close rule for clicks, field filters of its own, completion lists, file
// filters from pattern lists, and the user's clicks on three-state boxes.
#include "toolkit_view.h"

#include "gui/gtk/gtk_private.h"

#include <gtest/gtest.h>

#include <clocale>

namespace {

GtkWidget *widget_of(ObjectId gadget) { return static_cast<GtkWidget *>(gadget_native_handle(gadget)); }

// The user's locale governs characters; numbers keep the decimal point even
// after GTK has set up its own locale.
TEST(Gtk, StartUpKeepsNumbersInTheCForm) {
    EXPECT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C");
    EXPECT_STREQ(std::setlocale(LC_CTYPE, nullptr), "C.UTF-8");
}

// A window opened without taking focus takes it once drawn; closed sooner,
// nothing is left to touch it later.
TEST(Gtk, NoActivationWindowMayCloseAtOnce) {
    const std::int32_t no_activate = 0x2000;
    const GLogLevelFlags fatal = g_log_set_always_fatal(GLogLevelFlags(G_LOG_FATAL_MASK | G_LOG_LEVEL_CRITICAL));
    const std::intptr_t kept = window_open(ANY, 0, 0, 120, 80, u"kept", EDITOR_WINDOW | no_activate);
    pump_events(150);
    EXPECT_TRUE(gtk_window_get_accept_focus(GTK_WINDOW(window_native_handle(kept))));
    window_close(kept);
    for (int round = 0; round < 5; ++round) {
        const std::intptr_t brief = window_open(ANY, 0, 0, 120, 80, u"brief", EDITOR_WINDOW | no_activate);
        pump_events(20);   // drawn, not yet 50 ms old
        window_close(brief);
    }
    pump_events(150);
    g_log_set_always_fatal(fatal);
}

class GtkGadgets : public ::testing::Test {
protected:
    void SetUp() override {
        window = window_open(ANY, 0, 0, 530, 310, u"gtk", EDITOR_WINDOW);
        drain_events();
    }
    void TearDown() override { window_close(window); }
    std::intptr_t window = 0;
};

// An 80-pixel port combo shows where "/dev/ttyUSB0" and "/dev/ttyUSB57"
// differ, their end, and the whole name as a tooltip.
TEST_F(GtkGadgets, ComboCutsALongItemAtItsStartAndShowsItAllAsATooltip) {
    const std::intptr_t combo = gadget_create_combo(ANY, 440, 12, 80, 25);
    gadget_add_item(combo, -1, u"/dev/ttyUSB0");
    gadget_add_item(combo, -1, u"/dev/ttyUSB57");
    gadget_set_state(combo, 1);
    gchar *tooltip = gtk_widget_get_tooltip_text(widget_of(combo));
    EXPECT_STREQ(tooltip, "/dev/ttyUSB57");
    g_free(tooltip);
    GList *cells = gtk_cell_layout_get_cells(GTK_CELL_LAYOUT(widget_of(combo)));
    PangoEllipsizeMode mode = PANGO_ELLIPSIZE_NONE;
    g_object_get(g_list_last(cells)->data, "ellipsize", &mode, nullptr);   // the text's renderer
    EXPECT_EQ(mode, PANGO_ELLIPSIZE_START);
    g_list_free(cells);
}

// A click behind a queued close request is dropped: the window is going.
TEST_F(GtkGadgets, ClicksBehindACloseAreDroppedAndAnIdleTurnReportsMinusOne) {
    const std::intptr_t button = gadget_create_button(ANY, 10, 10, 80, 30, u"Read TRX");
    event_post(EVENT_CLOSE_WINDOW, 0, window, 0);
    click(button);
    EXPECT_EQ(event_wait_timeout(0), EVENT_CLOSE_WINDOW);
    EXPECT_EQ(event_peek_type(), 0);
    g_idle_add([](gpointer) -> gboolean { return G_SOURCE_REMOVE; }, nullptr);
    EXPECT_EQ(event_wait(), -1);
    EXPECT_EQ(event_type(), -1);
}

TEST_F(GtkGadgets, FieldsKeepOneLineAndUpperCaseAndCompletionListsOfferTheirItems) {
    const std::intptr_t upper = gadget_create_string(ANY, 10, 90, 90, 20, u"", 0x4);
    type_into(upper, "aB3\xc3\xa4");
    EXPECT_EQ(shown_text(upper), "AB3\xc3\xa4");   // multi-byte characters pass unchanged
    const std::intptr_t field = gadget_create_string(ANY, 110, 90, 90, 20, u"");
    type_into(field, "7050\n000");
    EXPECT_EQ(shown_text(field), "7050");

    const std::intptr_t completing = gadget_create_string(ANY, 10, 40, 100, 24, u"", STRING_COMPLETION);
    GtkEntryCompletion *completion = gtk_entry_get_completion(GTK_ENTRY(widget_of(completing)));
    ASSERT_NE(completion, nullptr);
    GtkTreeModel *offered = gtk_entry_completion_get_model(completion);
    gadget_add_item(completing, -1, u"beta");
    gadget_add_item(completing, 0, u"alpha");
    gadget_add_item(completing, 9, u"gamma");
    gadget_set_item_text(completing, 2, u"delta");
    gadget_remove_item(completing, 0);
    EXPECT_EQ(gtk_tree_model_iter_n_children(offered, nullptr), 2);
    EXPECT_EQ(gadget_get_item_text(completing, 0), u"beta");
    EXPECT_EQ(gadget_get_item_text(completing, 1), u"delta");
    gadget_clear_items(completing);
    EXPECT_EQ(gtk_tree_model_iter_n_children(offered, nullptr), 0);
    EXPECT_EQ(gadget_add_item(field, -1, u"x"), 0);   // no list to add to
}

// The user's click on a three-state box: the third state becomes checked, and is reported.
TEST_F(GtkGadgets, ClicksOnAThreeStateBoxCheckAndClearIt) {
    const std::intptr_t list = gadget_create_list_icon(ANY, 10, 10, 300, 200, u"Name", 80, LIST_ICON_THREE_STATE);
    gadget_add_item(list, -1, u"a", nullptr, ITEM_INCONSISTENT);
    GList *cells = gtk_cell_layout_get_cells(GTK_CELL_LAYOUT(gtk_tree_view_get_column(GTK_TREE_VIEW(widget_of(list)), 0)));
    ASSERT_TRUE(GTK_IS_CELL_RENDERER_TOGGLE(cells->data));
    g_signal_emit_by_name(cells->data, "toggled", "0");
    EXPECT_EQ(check_shown(list, 0), 1);
    EXPECT_EQ(subtypes_of(pump_events(50), list), std::vector<std::intptr_t>{CHANGED});
    g_signal_emit_by_name(cells->data, "toggled", "0");
    EXPECT_EQ(check_shown(list, 0), 0);
    g_list_free(cells);
}

TEST(Gtk, PatternListsBecomeFilters) {
    const auto memory = parse_file_patterns("Memory (*.mem)|*.mem;");
    ASSERT_EQ(memory.size(), 1u);
    EXPECT_EQ(memory[0].name, "Memory (*.mem)");
    EXPECT_EQ(memory[0].patterns, (std::vector<std::string>{"*.mem", ""}));
    const auto two = parse_file_patterns("Text|*.txt;*.TXT|All files|*.*");
    ASSERT_EQ(two.size(), 2u);
    EXPECT_EQ(two[0].patterns, (std::vector<std::string>{"*.txt", "*.TXT"}));
    EXPECT_EQ(two[1].patterns, (std::vector<std::string>{"*"}));
    EXPECT_TRUE(parse_file_patterns("").empty());
    EXPECT_TRUE(parse_file_patterns("no separator").empty());
}

} // namespace
