// What only the GTK back-end has to get right: the locale GTK sets up, a
// window drawn before it may take the focus, long combo items, an idle turn
// of the event loop, and file filters from pattern lists.
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

// A tool window with a maximise gadget keeps the resizing the gadget asked
// for, though it shows no maximise gadget.
TEST(Gtk, ResizableToolWindowStaysResizable) {
    const std::int32_t tool_with_maximise = 0x810;
    const std::intptr_t window = window_open(ANY, 10, 10, 200, 100, u"tool", tool_with_maximise);
    pump_events(100);
    const WindowLook look = look_of(window);
    EXPECT_TRUE(look.sizeable);
    EXPECT_FALSE(look.maximise_box);
    EXPECT_FALSE(look.minimise_box);
    GtkWindow *native = GTK_WINDOW(window_native_handle(window));
    EXPECT_TRUE(gtk_window_get_resizable(native));
    EXPECT_EQ(gtk_window_get_type_hint(native), GDK_WINDOW_TYPE_HINT_UTILITY);
    window_close(window);
}

// An 80-pixel port combo shows where "/dev/ttyUSB0" and "/dev/ttyUSB57"
// differ, their end, and the whole name as a tooltip.
TEST(Gtk, ComboCutsALongItemAtItsStartAndShowsItAllAsATooltip) {
    const std::intptr_t window = window_open(ANY, 0, 0, 530, 310, u"gtk", EDITOR_WINDOW);
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
    window_close(window);
}

// A turn of the loop that served no event of ours ends the wait all the same.
TEST(Gtk, AnIdleTurnEndsTheWaitWithMinusOne) {
    drain_events();
    g_idle_add([](gpointer) -> gboolean { return G_SOURCE_REMOVE; }, nullptr);
    EXPECT_EQ(event_wait(), -1);
    EXPECT_EQ(event_type(), -1);
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
