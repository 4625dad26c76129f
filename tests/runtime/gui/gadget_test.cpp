#include "gui_test_support.h"

#include <gtest/gtest.h>

#include <tuple>

#include <cstdlib>
#include <string>

namespace {

class Gadgets : public ::testing::Test {
protected:
    static void SetUpTestSuite() { window = window_open(ANY, 0, 0, 530, 310, u"gadgets", 0x64); }
    static void TearDownTestSuite() { window_close(window); }
    void SetUp() override {
        ASSERT_NE(window_native_handle(window), nullptr);
        drain_events();
    }
    static std::intptr_t window;
};
std::intptr_t Gadgets::window = 0;

// Inserts at the end, as typing there would.
void type_into(GtkWidget *editable, const char *text) {
    gtk_editable_set_position(GTK_EDITABLE(editable), -1);
    int position = gtk_editable_get_position(GTK_EDITABLE(editable));
    gtk_editable_insert_text(GTK_EDITABLE(editable), text, -1, &position);
}

TEST_F(Gadgets, ButtonClickPostsUnlessCloseHeadsTheQueue) {
    const std::intptr_t button = gadget_create_button(ANY, 10, 10, 80, 30, u"Read TRX");
    ASSERT_NE(button, 0);
    EXPECT_EQ(gadget_kind(button), GADGET_BUTTON);
    EXPECT_EQ(gadget_get_text(button), u"Read TRX");
    EXPECT_EQ(gadget_get_state(button), 0);   // not a toggle button
    drain_events();

    gtk_button_clicked(GTK_BUTTON(widget_of(button)));
    ASSERT_EQ(event_wait_timeout(0), EVENT_GADGET);
    EXPECT_EQ(event_gadget(), button);
    EXPECT_EQ(event_type(), 0);

    event_post(EVENT_CLOSE_WINDOW, 0, window, 0);
    gtk_button_clicked(GTK_BUTTON(widget_of(button)));
    EXPECT_EQ(event_wait_timeout(0), EVENT_CLOSE_WINDOW);
    EXPECT_EQ(event_peek_type(), 0);

    gadget_disable(button, 1);
    EXPECT_FALSE(gtk_widget_get_sensitive(widget_of(button)));
    gadget_disable(button, 0);
    EXPECT_TRUE(gtk_widget_get_sensitive(widget_of(button)));

    gadget_free(button);
    EXPECT_EQ(gadget_kind(button), 0);
    EXPECT_EQ(gadget_native_handle(button), nullptr);
}

TEST_F(Gadgets, NumberedGadgetIsReplacedAndUnknownNumbersDoNothing) {
    auto *first = reinterpret_cast<GtkWidget *>(gadget_create_text(3, 10, 50, 60, 20, u"PORT:"));
    ASSERT_EQ(first, widget_of(3));
    EXPECT_EQ(gadget_kind(3), GADGET_TEXT);
    EXPECT_EQ(gadget_get_text(3), u"PORT:");
    auto *second = reinterpret_cast<GtkWidget *>(gadget_create_button(3, 10, 50, 60, 20, u"B"));
    EXPECT_EQ(second, widget_of(3));
    EXPECT_EQ(gadget_kind(3), GADGET_BUTTON);
    gadget_free(3);

    EXPECT_EQ(gadget_get_text(4711), u"");
    EXPECT_EQ(gadget_get_item_text(4711, 0, 0), u"");
    EXPECT_EQ(gadget_add_item(4711, -1, u"x"), 0);
    EXPECT_EQ(gadget_get_state(0x7ff000), 0);
    gadget_set_text(4711, u"x");
    gadget_disable(4711, 1);
    gadget_remove_item(4711, 0);
}

TEST_F(Gadgets, StringFiltersUserInputButNotTheProgramsText) {
    const std::intptr_t upper = gadget_create_string(ANY, 10, 90, 90, 20, u"", 0x4);
    const std::intptr_t digits = gadget_create_string(ANY, 110, 90, 90, 20, u"", 0x10);
    const std::intptr_t channel = gadget_create_string(ANY, 210, 90, 40, 20, u"", 18);
    const std::intptr_t plain = gadget_create_string(ANY, 260, 90, 40, 20, u"start");
    EXPECT_EQ(gadget_kind(plain), GADGET_STRING);
    EXPECT_EQ(gadget_get_text(plain), u"start");

    type_into(widget_of(upper), "aB3\xc3\xa4");
    EXPECT_EQ(gadget_get_text(upper), u"AB3\u00e4");   // multi-byte characters pass unchanged
    type_into(widget_of(digits), "aB3\xc3\xa4" "7");
    EXPECT_EQ(gadget_get_text(digits), u"37");

    EXPECT_FALSE(gtk_editable_get_editable(GTK_EDITABLE(widget_of(channel))));
    gadget_set_text(channel, u"12ab");
    EXPECT_EQ(gadget_get_text(channel), u"12ab");

    drain_events();
    gadget_set_text(plain, u"7050000");
    EXPECT_EQ(subtypes_of(pump_events(30), plain), std::vector<std::intptr_t>{});
    type_into(widget_of(plain), "1");
    EXPECT_EQ(subtypes_of(pump_events(30), plain), std::vector<std::intptr_t>{0x300});
    EXPECT_EQ(gadget_get_text(plain), u"70500001");
    for (auto gadget : {upper, digits, channel, plain})
        gadget_free(gadget);
}

// An 80-pixel port combo shows where "/dev/ttyUSB0" and "/dev/ttyUSB57"
// differ, their end, and the whole name as a tooltip.
TEST_F(Gadgets, ComboCutsALongItemAtItsStartAndShowsItAllAsATooltip) {
    const std::intptr_t combo = gadget_create_combo(ANY, 440, 12, 80, 25);
    gadget_add_item(combo, -1, u"/dev/ttyUSB0");
    gadget_add_item(combo, -1, u"/dev/ttyUSB57");
    gadget_set_state(combo, 1);
    GtkWidget *widget = widget_of(combo);
    gchar *tooltip = gtk_widget_get_tooltip_text(widget);
    EXPECT_STREQ(tooltip, "/dev/ttyUSB57");
    g_free(tooltip);
    GList *cells = gtk_cell_layout_get_cells(GTK_CELL_LAYOUT(widget));
    for (GList *cell = cells; cell; cell = cell->next) {
        if (!GTK_IS_CELL_RENDERER_TEXT(cell->data)) continue;
        PangoEllipsizeMode mode = PANGO_ELLIPSIZE_NONE;
        g_object_get(cell->data, "ellipsize", &mode, nullptr);
        EXPECT_EQ(mode, PANGO_ELLIPSIZE_START);
    }
    g_list_free(cells);
    gadget_free(combo);
}

class ChannelList : public Gadgets {
protected:
    void SetUp() override {
        Gadgets::SetUp();
        list = gadget_create_list_icon(ANY, 10, 50, 320, 230, u"NumCh", 60, 12);
        ASSERT_NE(list, 0);
        gadget_add_column(list, 1, u"Freq (Hz)", 120);
        gadget_add_column(list, 2, u"Mode", 60);
        gadget_add_column(list, 3, u"PreAtt", 50);
        for (int row = 0; row < 100; ++row)
            gadget_add_item(list, row, text_str(row));
        drain_events();
    }
    void TearDown() override { gadget_free(list); }
    std::intptr_t list = 0;
};

TEST_F(ChannelList, ProgramSelectionIsSilentAndFollowsRemoval) {
    EXPECT_EQ(gadget_get_state(list), -1);
    gadget_set_state(list, 60);
    EXPECT_EQ(gadget_get_state(list), 60);
    EXPECT_EQ(gadget_get_text(list), u"60");
    gadget_set_state(list, 500);   // no such row: unchanged
    EXPECT_EQ(gadget_get_state(list), 60);
    gadget_add_column(list, 4, u"Extra", 40);   // widens the store
    EXPECT_EQ(gadget_get_state(list), 60);
    EXPECT_EQ(subtypes_of(pump_events(300), list), std::vector<std::intptr_t>{});

    // The selected row is scrolled to the middle of the view.
    GtkTreePath *first = nullptr, *last = nullptr;
    ASSERT_TRUE(gtk_tree_view_get_visible_range(GTK_TREE_VIEW(widget_of(list)), &first, &last));
    EXPECT_LT(gtk_tree_path_get_indices(first)[0], 60);
    EXPECT_GT(gtk_tree_path_get_indices(last)[0], 60);
    gtk_tree_path_free(first);
    gtk_tree_path_free(last);

    gadget_remove_item(list, 60);
    EXPECT_EQ(gadget_get_state(list), -1);
    gadget_set_state(list, 3);
    gadget_set_state(list, -1);
    EXPECT_EQ(gadget_get_state(list), -1);
    gadget_remove_item(list, 3);   // the cursor's row: no neighbour gets selected
    EXPECT_EQ(gadget_get_state(list), -1);
}

// Real pointer input through the X server's test extension.
void click_at(int x, int y, int button, int count) {
    const std::string command = "xdotool mousemove " + std::to_string(x) + " " +
                                std::to_string(y) + " click --repeat " + std::to_string(count) +
                                " --delay 40 " + std::to_string(button);
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

TEST_F(ChannelList, ClicksOnRowsPostTheirSubtypes) {
    GtkTreeView *view = GTK_TREE_VIEW(widget_of(list));
    pump_events(50);
    GdkRectangle cell{};
    GtkTreePath *path = gtk_tree_path_new_from_indices(2, -1);
    gtk_tree_view_get_cell_area(view, path, gtk_tree_view_get_column(view, 1), &cell);
    gtk_tree_path_free(path);
    int origin_x = 0, origin_y = 0;
    gdk_window_get_origin(gtk_tree_view_get_bin_window(view), &origin_x, &origin_y);
    const int x = origin_x + cell.x + cell.width / 2, y = origin_y + cell.y + cell.height / 2;

    click_at(x, y, 3, 1);
    EXPECT_EQ(subtypes_of(pump_events(150), list), std::vector<std::intptr_t>{1});
    EXPECT_EQ(gadget_get_state(list), -1);   // a right click selects nothing

    click_at(x, y, 1, 2);
    EXPECT_EQ(subtypes_of(pump_events(200), list), (std::vector<std::intptr_t>{0x300, 0, 2}));
    EXPECT_EQ(gadget_get_state(list), 2);
}

TEST_F(Gadgets, StatusBarProgressFractions) {
    auto *box = reinterpret_cast<GtkWidget *>(statusbar_create(0, window_native_handle(window)));
    ASSERT_NE(box, nullptr);
    statusbar_add_field(530);
    pump_events(50);   // a field as wide as the window fills it, no wider
    int width = 0, height = 0;
    gtk_window_get_size(GTK_WINDOW(window_native_handle(window)), &width, &height);
    EXPECT_EQ(width, 530);
    GList *fields = gtk_container_get_children(GTK_CONTAINER(box));
    ASSERT_EQ(g_list_length(fields), 1u);
    GtkWidget *frame = GTK_WIDGET(fields->data);
    g_list_free(fields);
    EXPECT_TRUE(GTK_IS_LABEL(gtk_bin_get_child(GTK_BIN(frame))));

    statusbar_progress(0, 0, 0);
    GtkWidget *bar = gtk_bin_get_child(GTK_BIN(frame));
    ASSERT_TRUE(GTK_IS_PROGRESS_BAR(bar));
    const std::pair<int, double> cases[] = {{0, 0.0}, {50, 0.5}, {100, 1.0}, {250, 1.0}, {-5, 0.0}};
    for (const auto &[value, fraction] : cases) {
        statusbar_progress(0, 0, value);
        EXPECT_DOUBLE_EQ(gtk_progress_bar_get_fraction(GTK_PROGRESS_BAR(bar)), fraction) << value;
        EXPECT_EQ(gtk_bin_get_child(GTK_BIN(frame)), bar);   // updated, not replaced
    }
    statusbar_progress(0, 0, 50);
    statusbar_progress(0, 3, 100);   // no such field
    statusbar_progress(5, 0, 100);   // no such status bar
    EXPECT_DOUBLE_EQ(gtk_progress_bar_get_fraction(GTK_PROGRESS_BAR(bar)), 0.5);
    statusbar_progress_ex(0, 0, 15, 0, 10, 20);
    EXPECT_DOUBLE_EQ(gtk_progress_bar_get_fraction(GTK_PROGRESS_BAR(bar)), 0.5);
    // An empty or reversed range: empty up to the minimum, full beyond it.
    const std::tuple<int, int, int, double> ranges[] = {{5, 10, 10, 0.0}, {10, 10, 10, 0.0},
                                                        {15, 10, 10, 1.0}, {15, 20, 10, 0.0}};
    for (const auto &[value, low, high, fraction] : ranges) {
        statusbar_progress_ex(0, 0, value, 0, low, high);
        EXPECT_DOUBLE_EQ(gtk_progress_bar_get_fraction(GTK_PROGRESS_BAR(bar)), fraction) << value << " " << low;
    }
    statusbar_free(0);
}

} // namespace
