// The toolkit's operations beyond the editor's, kind by kind: each is called
// through the public header and its effect is read back from GTK itself (the
// widgets' properties, what a cell renderer is given to draw, X window hints).
#include <gtest/gtest.h>   // before X11, whose None macro it would not survive

#include "gui_test_support.h"

#include <gdk/gdkx.h>
#include <glib/gstdio.h>
#include <X11/Xutil.h>

#include <chrono>
#include <string>
#include <vector>

namespace {

class Operations : public ::testing::Test {
protected:
    void SetUp() override {
        window = window_open(ANY, 0, 0, 530, 310, u"operations", WINDOW_SIZEABLE);
        ASSERT_NE(window_native_handle(window), nullptr);
        drain_events();
    }
    void TearDown() override { window_close(window); }
    std::intptr_t window = 0;
};

GdkRGBA style_colour(GtkWidget *widget, const char *property) {
    GdkRGBA *colour = nullptr;
    GtkStyleContext *style = gtk_widget_get_style_context(widget);
    gtk_style_context_get(style, gtk_style_context_get_state(style), property, &colour, nullptr);
    GdkRGBA value = colour ? *colour : GdkRGBA{};
    if (colour)
        gdk_rgba_free(colour);
    return value;
}

int style_font_size(GtkWidget *widget) {
    PangoFontDescription *font = nullptr;
    GtkStyleContext *style = gtk_widget_get_style_context(widget);
    gtk_style_context_get(style, gtk_style_context_get_state(style), "font", &font, nullptr);
    const int size = font ? pango_font_description_get_size(font) / PANGO_SCALE : 0;
    if (font)
        pango_font_description_free(font);
    return size;
}

// What the column's renderers are handed to draw for row n.
std::vector<GtkCellRenderer *> cells_for_row(GtkTreeView *view, int column, int row) {
    GtkTreeViewColumn *header = gtk_tree_view_get_column(view, column);
    GtkTreeModel *model = gtk_tree_view_get_model(view);
    GtkTreeIter iter;
    gtk_tree_model_iter_nth_child(model, &iter, nullptr, row);
    gtk_tree_view_column_cell_set_cell_data(header, model, &iter, FALSE, FALSE);
    GList *list = gtk_cell_layout_get_cells(GTK_CELL_LAYOUT(header));
    std::vector<GtkCellRenderer *> cells;
    for (GList *c = list; c; c = c->next)
        cells.push_back(GTK_CELL_RENDERER(c->data));
    g_list_free(list);
    return cells;
}

template <class T> T renderer_property(GtkCellRenderer *cell, const char *name) {
    T value{};
    g_object_get(cell, name, &value, nullptr);
    return value;
}

void release_count(void *counter) { ++*static_cast<int *>(counter); }

// ---------------------------------------------------------------------------

TEST_F(Operations, EventQueuePayloadsFlagsAndFetchingWithoutTheLoop) {
    int released = 0;
    event_post_full(40, 1, window, 0, &released, release_count, 0);
    event_post_full(40, 1, window, 0, &released, release_count, 0);   // a repeat: dropped
    EXPECT_EQ(released, 1);
    event_post_full(40, 1, window, 0, &released, release_count, EVENT_POST_ALWAYS_APPEND);
    EXPECT_EQ(event_fetch(), 40);
    EXPECT_EQ(event_type_current(), 40);
    EXPECT_EQ(event_payload(), &released);
    EXPECT_EQ(event_fetch(), 40);   // the appended repeat; the first one's payload goes
    EXPECT_EQ(released, 2);
    EXPECT_EQ(event_fetch(), 0);
    EXPECT_EQ(event_type_current(), 0);
    EXPECT_EQ(event_type(), -1);
    EXPECT_EQ(released, 3);

    event_queue_suspend();
    event_post_full(41, 0, window, 0, &released, release_count, 0);
    event_post_full(42, 0, window, 0, &released, release_count, EVENT_POST_WHILE_SUSPENDED);
    event_queue_resume();
    EXPECT_EQ(released, 4);   // the suspended post
    event_purge(42, -1, -1, -1);
    EXPECT_EQ(released, 5);
    EXPECT_EQ(event_fetch(), 0);
}

TEST_F(Operations, ChildWindowCentresOnItsParentAndKeepsLimitsAndColour) {
    auto *parent = GTK_WINDOW(window_native_handle(window));
    gtk_window_move(parent, 100, 80);
    toolkit_flush();
    const std::intptr_t child =
        window_open_child(ANY, 0, 0, 200, 100, u"child", WINDOW_PARENT_CENTERED, parent);
    auto *child_window = GTK_WINDOW(window_native_handle(child));
    ASSERT_NE(child_window, nullptr);
    EXPECT_EQ(gtk_window_get_transient_for(child_window), parent);
    GdkRectangle frame{};
    gdk_window_get_frame_extents(gtk_widget_get_window(GTK_WIDGET(parent)), &frame);
    int x = 0, y = 0;
    gtk_window_get_position(child_window, &x, &y);
    EXPECT_EQ(x, frame.x + frame.width / 2 - 100);
    EXPECT_EQ(y, frame.y + frame.height / 2 - 50);
    window_close(child);
    // A parent that is no window of ours is not trusted.
    int stranger = 0;
    const std::intptr_t orphan = window_open_child(ANY, 0, 0, 50, 50, u"", 0, &stranger);
    EXPECT_EQ(gtk_window_get_transient_for(GTK_WINDOW(window_native_handle(orphan))), nullptr);
    window_close(orphan);

    window_set_size_limits(window, 300, 200, 800, 600);
    pump_events(50);   // GTK hands hints to X at its next layout
    XSizeHints hints{};
    long supplied = 0;
    GdkWindow *native = gtk_widget_get_window(GTK_WIDGET(parent));
    XGetWMNormalHints(GDK_WINDOW_XDISPLAY(native), GDK_WINDOW_XID(native), &hints, &supplied);
    EXPECT_TRUE(hints.flags & PMinSize);
    EXPECT_GE(hints.min_width, 300);
    EXPECT_EQ(hints.max_width, 800);
    EXPECT_EQ(hints.max_height, 600);

    window_set_color(window, 0x0000FF);
    auto *layout = static_cast<GtkWidget *>(g_object_get_data(G_OBJECT(parent), "kw_gadgetlist"));
    EXPECT_DOUBLE_EQ(style_colour(layout, "background-color").red, 1.0);
    EXPECT_DOUBLE_EQ(style_colour(layout, "background-color").blue, 0.0);

    window_set_state(4711, WINDOW_STATE_MAXIMIZED);   // names nothing: no effect
    window_set_size_limits(4711, 1, 1, 1, 1);
    window_set_color(4711, 0);
}

TEST_F(Operations, GadgetListsAndTheWindowAGadgetLiesIn) {
    void *first = window_native_handle(window);
    const std::intptr_t second = window_open(ANY, 0, 0, 100, 100, u"second", 0);
    void *second_native = window_native_handle(second);
    EXPECT_EQ(gadget_list_use(nullptr), second_native);   // opening made it current
    EXPECT_EQ(gadget_list_use(first), second_native);
    const std::intptr_t button = gadget_create_button(ANY, 0, 0, 50, 20, u"b");
    EXPECT_EQ(gadget_window_of(gadget_native_handle(button)), window);
    EXPECT_EQ(gadget_window_of(second_native), second);
    int stranger = 0;
    EXPECT_EQ(gadget_window_of(&stranger), -1);
    EXPECT_EQ(gadget_list_use(&stranger), first);   // only answers
    EXPECT_EQ(gadget_list_use(nullptr), first);
    window_close(second);
}

TEST_F(Operations, ButtonFormsFontsAndSizes) {
    const std::intptr_t toggle = gadget_create_button_ex(ANY, 10, 10, 60, 30, u"T", 0x4);
    ASSERT_TRUE(GTK_IS_TOGGLE_BUTTON(widget_of(toggle)));
    gadget_set_state(toggle, 1);
    EXPECT_TRUE(gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(widget_of(toggle))));

    PangoFontDescription *big = pango_font_description_from_string("Sans 23");
    gadget_set_font(toggle, big);
    GtkWidget *label = gtk_bin_get_child(GTK_BIN(widget_of(toggle)));
    EXPECT_EQ(style_font_size(label), 23);
    EXPECT_TRUE(pango_font_description_equal(static_cast<PangoFontDescription *>(gadget_get_font(toggle)), big));
    EXPECT_EQ(gadget_width(toggle), 60);
    EXPECT_EQ(gadget_height(toggle), 30);
    // Its content asks for more than the 30 pixels it was given.
    EXPECT_GT(gadget_height(toggle, 1), 30);
    gadget_set_font(toggle, nullptr);
    EXPECT_LT(style_font_size(label), 23);

    gadget_set_font(ANY, big);   // every gadget from now on
    const std::intptr_t later = gadget_create_text(ANY, 10, 50, 60, 20, u"later");
    gadget_set_font(ANY, nullptr);
    const std::intptr_t plain = gadget_create_text(ANY, 10, 80, 60, 20, u"plain");
    EXPECT_EQ(style_font_size(widget_of(later)), 23);
    EXPECT_LT(style_font_size(widget_of(plain)), 23);
    pango_font_description_free(big);

    EXPECT_EQ(gadget_get_font(4711), nullptr);
    EXPECT_EQ(gadget_width(4711), 0);
    EXPECT_EQ(gadget_height(4711, 1), 0);
}

TEST_F(Operations, TextColoursAndTheSizeOfItsText) {
    const std::intptr_t label = gadget_create_text(ANY, 10, 10, 40, 20, u"a text much longer than forty");
    EXPECT_EQ(gadget_get_color(label, GADGET_COLOR_TEXT), GADGET_COLOR_DEFAULT);
    gadget_set_color(label, GADGET_COLOR_TEXT, 0xFF0000);   // blue
    gadget_set_color(label, GADGET_COLOR_BACKGROUND, 0x00FF00);
    EXPECT_EQ(gadget_get_color(label, GADGET_COLOR_TEXT), 0xFF0000);
    const GdkRGBA text = style_colour(widget_of(label), "color");
    EXPECT_DOUBLE_EQ(text.blue, 1.0);
    EXPECT_DOUBLE_EQ(text.red, 0.0);
    GtkWidget *event_box = gtk_widget_get_parent(widget_of(label));
    EXPECT_TRUE(gtk_event_box_get_visible_window(GTK_EVENT_BOX(event_box)));
    EXPECT_DOUBLE_EQ(style_colour(event_box, "background-color").green, 1.0);
    gadget_set_color(label, GADGET_COLOR_BACKGROUND, GADGET_COLOR_DEFAULT);
    EXPECT_FALSE(gtk_event_box_get_visible_window(GTK_EVENT_BOX(event_box)));
    EXPECT_EQ(gadget_get_color(label, GADGET_COLOR_BACKGROUND), GADGET_COLOR_DEFAULT);

    // The text laid out on one line is wider than the 40 pixels placed.
    const std::int32_t one_line = gadget_width(label, 1);
    EXPECT_GT(one_line, 40);
    gadget_set_text(label, u"a");
    EXPECT_LT(gadget_width(label, 1), one_line);
    EXPECT_EQ(gadget_width(label), 40);
}

TEST_F(Operations, StringLimitColoursAndCompletionList) {
    const std::intptr_t field = gadget_create_string(ANY, 10, 10, 100, 24, u"", 0);
    auto *entry = GTK_ENTRY(widget_of(field));
    gadget_set_attribute(field, GADGET_ATTRIBUTE_MAX_LENGTH, 3);
    EXPECT_EQ(gtk_entry_get_max_length(entry), 3);
    EXPECT_EQ(gadget_get_attribute(field, GADGET_ATTRIBUTE_MAX_LENGTH), 3);
    int position = 0;
    gtk_editable_insert_text(GTK_EDITABLE(entry), "12345", -1, &position);
    EXPECT_STREQ(gtk_entry_get_text(entry), "123");
    gadget_set_attribute(field, GADGET_ATTRIBUTE_MAX_LENGTH, -7);
    EXPECT_EQ(gtk_entry_get_max_length(entry), 1);
    gadget_set_color(field, GADGET_COLOR_TEXT, 0x0000FF);
    EXPECT_DOUBLE_EQ(style_colour(GTK_WIDGET(entry), "color").red, 1.0);
    EXPECT_EQ(gadget_width(field, 1), 20);
    EXPECT_EQ(gtk_entry_get_completion(entry), nullptr);
    EXPECT_EQ(gadget_add_item(field, -1, u"x"), 0);   // no list to add to

    const std::intptr_t completing = gadget_create_string(ANY, 10, 40, 100, 24, u"", STRING_COMPLETION);
    GtkEntryCompletion *completion = gtk_entry_get_completion(GTK_ENTRY(widget_of(completing)));
    ASSERT_NE(completion, nullptr);
    EXPECT_TRUE(gtk_entry_completion_get_popup_completion(completion));
    GtkTreeModel *offered = gtk_entry_completion_get_model(completion);
    gadget_add_item(completing, -1, u"beta");
    gadget_add_item(completing, 0, u"alpha");
    gadget_add_item(completing, 9, u"gamma");
    EXPECT_EQ(gtk_tree_model_iter_n_children(offered, nullptr), 3);
    EXPECT_EQ(gadget_count_items(completing), 3);
    gadget_set_item_text(completing, 2, u"delta");
    EXPECT_EQ(gadget_get_item_text(completing, 0), u"alpha");
    EXPECT_EQ(gadget_get_item_text(completing, 2), u"delta");
    gadget_remove_item(completing, 0);
    EXPECT_EQ(gadget_get_item_text(completing, 0), u"beta");
    gadget_clear_items(completing);
    EXPECT_EQ(gtk_tree_model_iter_n_children(offered, nullptr), 0);
}

TEST_F(Operations, ComboItemsDataImagesFontAndFocus) {
    const std::intptr_t combo = gadget_create_combo(ANY, 10, 10, 120, 28, COMBO_IMAGES);
    GdkPixbuf *image = gdk_pixbuf_new(GDK_COLORSPACE_RGB, FALSE, 8, 8, 8);
    gadget_add_item(combo, -1, u"one", image, 0);
    gadget_add_item(combo, -1, u"two");
    EXPECT_EQ(gadget_count_items(combo), 2);
    gadget_set_item_data(combo, 1, 77);
    EXPECT_EQ(gadget_get_item_data(combo, 1), 77);
    gadget_set_state(combo, 1);
    gadget_set_item_text(combo, 1, u"zwei");
    EXPECT_EQ(gadget_get_text(combo), u"zwei");   // still the chosen item
    EXPECT_EQ(gadget_get_item_data(combo, 1), 77);
    gadget_set_item_image(combo, 1, image);

    // What the combo's renderers are given to draw for each row.
    GtkTreeModel *model = gtk_combo_box_get_model(GTK_COMBO_BOX(widget_of(combo)));
    GList *cells = gtk_cell_layout_get_cells(GTK_CELL_LAYOUT(widget_of(combo)));
    for (int row = 0; row < 2; ++row) {
        GtkTreeIter iter;
        gtk_tree_model_iter_nth_child(model, &iter, nullptr, row);
        gtk_cell_area_apply_attributes(gtk_cell_layout_get_area(GTK_CELL_LAYOUT(widget_of(combo))), model,
                                       &iter, FALSE, FALSE);
        GdkPixbuf *shown = renderer_property<GdkPixbuf *>(GTK_CELL_RENDERER(cells->data), "pixbuf");
        EXPECT_EQ(shown, image);
        if (shown)
            g_object_unref(shown);
    }
    PangoFontDescription *font = pango_font_description_from_string("Serif 19");
    gadget_set_font(combo, font);
    PangoFontDescription *drawn = renderer_property<PangoFontDescription *>(
        GTK_CELL_RENDERER(g_list_last(cells)->data), "font-desc");
    EXPECT_EQ(pango_font_description_get_size(drawn), 19 * PANGO_SCALE);
    pango_font_description_free(drawn);
    pango_font_description_free(font);
    g_list_free(cells);

    gadget_give_focus(combo);
    GtkWidget *focus = gtk_window_get_focus(GTK_WINDOW(gtk_widget_get_toplevel(widget_of(combo))));
    ASSERT_NE(focus, nullptr);
    EXPECT_TRUE(focus == widget_of(combo) || gtk_widget_is_ancestor(focus, widget_of(combo)));
    gadget_clear_items(combo);
    EXPECT_EQ(gtk_tree_model_iter_n_children(model, nullptr), 0);

    // Without the image flag a combo shows no images.
    const std::intptr_t plain = gadget_create_combo(ANY, 10, 50, 120, 28, COMBO_EDITABLE);
    gadget_add_item(plain, -1, u"one", image, 0);
    GtkTreeIter iter;
    GtkTreeModel *plain_model = gtk_combo_box_get_model(GTK_COMBO_BOX(widget_of(plain)));
    gtk_tree_model_get_iter_first(plain_model, &iter);
    GdkPixbuf *kept = nullptr;
    gtk_tree_model_get(plain_model, &iter, 2, &kept, -1);
    EXPECT_EQ(kept, nullptr);
    gadget_clear_items(plain);
    EXPECT_STREQ(gtk_entry_get_text(GTK_ENTRY(gtk_bin_get_child(GTK_BIN(widget_of(plain))))), "");
    g_object_unref(image);
}

TEST_F(Operations, ListCheckBoxesStatesAndTheirEvents) {
    const std::intptr_t list = gadget_create_list_icon(ANY, 10, 10, 300, 200, u"Name", 80,
                                                       LIST_ICON_THREE_STATE | LIST_ICON_MULTIPLE_SELECTION);
    gadget_add_column(list, -1, u"Value", 60);
    auto *view = GTK_TREE_VIEW(widget_of(list));
    gadget_add_item(list, -1, u"a\n1", nullptr, ITEM_SELECTED | ITEM_CHECKED);
    gadget_add_item(list, -1, u"b\n2", nullptr, ITEM_INCONSISTENT);
    gadget_add_item(list, -1, u"c\n3");
    EXPECT_EQ(gadget_count_items(list), 3);
    EXPECT_EQ(gadget_get_item_state(list, 0), ITEM_SELECTED | ITEM_CHECKED);
    EXPECT_EQ(gadget_get_item_state(list, 1), ITEM_INCONSISTENT);

    // The first column draws a check box before the text.
    const std::vector<GtkCellRenderer *> first = cells_for_row(view, 0, 0);
    ASSERT_EQ(first.size(), 2u);
    EXPECT_TRUE(GTK_IS_CELL_RENDERER_TOGGLE(first[0]));
    EXPECT_TRUE(GTK_IS_CELL_RENDERER_TEXT(first[1]));
    EXPECT_TRUE(renderer_property<gboolean>(first[0], "active"));
    EXPECT_TRUE(renderer_property<gboolean>(cells_for_row(view, 0, 1)[0], "inconsistent"));
    EXPECT_EQ(cells_for_row(view, 1, 0).size(), 1u);
    GtkTreeSelection *selection = gtk_tree_view_get_selection(view);
    GtkTreeIter iter;
    gtk_tree_model_get_iter_first(gtk_tree_view_get_model(view), &iter);
    EXPECT_TRUE(gtk_tree_selection_iter_is_selected(selection, &iter));
    drain_events();

    // The user's click: the third state becomes checked, and is reported.
    g_signal_emit_by_name(first[0], "toggled", "1");
    EXPECT_EQ(gadget_get_item_state(list, 1), ITEM_CHECKED);
    EXPECT_EQ(subtypes_of(pump_events(50), list), std::vector<std::intptr_t>{0x300});
    g_signal_emit_by_name(first[0], "toggled", "1");
    EXPECT_EQ(gadget_get_item_state(list, 1), 0);
    drain_events();
    gadget_set_item_state(list, 2, ITEM_CHECKED | ITEM_SELECTED);   // the program's: no event
    EXPECT_EQ(gadget_get_item_state(list, 2), ITEM_CHECKED | ITEM_SELECTED);
    EXPECT_TRUE(subtypes_of(pump_events(50), list).empty());
    gadget_clear_items(list);
    EXPECT_EQ(gtk_tree_model_iter_n_children(gtk_tree_view_get_model(view), nullptr), 0);
    EXPECT_EQ(gadget_get_item_state(list, 0), 0);
}

TEST_F(Operations, ListCellsColoursDataImagesAndColumns) {
    const std::intptr_t list = gadget_create_list_icon(ANY, 10, 10, 300, 200, u"A", 50, 0);
    gadget_add_column(list, -1, u"B", 60);
    gadget_add_column(list, -1, u"C", 70);
    auto *view = GTK_TREE_VIEW(widget_of(list));
    gadget_add_item(list, -1, u"a1\nb1\nc1");
    gadget_add_item(list, -1, u"a2\nb2\nc2");
    gadget_set_item_text(list, 0, u"x1\ny1");   // column 0: the row's cells from the first
    gadget_set_item_text(list, 1, u"z\nnot split", 2);
    gadget_set_item_text(list, -1, u"Title B", 1);
    EXPECT_EQ(gadget_get_item_text(list, 0, 1), u"y1");
    EXPECT_EQ(gadget_get_item_text(list, 0, 2), u"c1");
    gchar *drawn_text = renderer_property<gchar *>(cells_for_row(view, 2, 1).back(), "text");
    EXPECT_STREQ(drawn_text, "z\nnot split");
    g_free(drawn_text);
    EXPECT_STREQ(gtk_tree_view_column_get_title(gtk_tree_view_get_column(view, 1)), "Title B");

    gadget_set_item_color(list, 1, GADGET_COLOR_TEXT, 0x0000FF, 1);
    gadget_set_item_color(list, -1, GADGET_COLOR_BACKGROUND, 0x00FF00);
    GtkCellRenderer *cell = cells_for_row(view, 1, 1).back();
    GdkRGBA *drawn = renderer_property<GdkRGBA *>(cell, "foreground-rgba");
    EXPECT_NEAR(drawn->red, 1.0, 0.01);
    EXPECT_NEAR(drawn->blue, 0.0, 0.01);
    gdk_rgba_free(drawn);
    EXPECT_EQ(gadget_get_item_color(list, 1, GADGET_COLOR_TEXT, 1), 0x0000FF);
    EXPECT_EQ(gadget_get_item_color(list, 1, GADGET_COLOR_TEXT, 0), GADGET_COLOR_DEFAULT);
    EXPECT_EQ(gadget_get_item_color(list, 0, GADGET_COLOR_BACKGROUND, 2), 0x00FF00);

    EXPECT_EQ(gadget_get_item_data(list, 7), 0);
    // The first column shows images once a row has one.
    EXPECT_EQ(cells_for_row(view, 0, 0).size(), 1u);
    GdkPixbuf *image = gdk_pixbuf_new(GDK_COLORSPACE_RGB, FALSE, 8, 8, 8);
    gadget_set_item_image(list, 0, image);
    GdkPixbuf *shown = renderer_property<GdkPixbuf *>(cells_for_row(view, 0, 0)[0], "pixbuf");
    EXPECT_EQ(shown, image);
    g_object_unref(shown);
    g_object_unref(image);

    EXPECT_EQ(gadget_get_attribute(list, LIST_ATTRIBUTE_COLUMN_COUNT), 3);
    gadget_set_item_attribute(list, -1, LIST_ATTRIBUTE_COLUMN_WIDTH, 0, 1);
    EXPECT_FALSE(gtk_tree_view_column_get_visible(gtk_tree_view_get_column(view, 1)));
    EXPECT_EQ(gadget_get_item_attribute(list, -1, LIST_ATTRIBUTE_COLUMN_WIDTH, 1), 0);
    gadget_set_item_attribute(list, -1, LIST_ATTRIBUTE_COLUMN_WIDTH, 90, 1);
    EXPECT_EQ(gtk_tree_view_column_get_fixed_width(gtk_tree_view_get_column(view, 1)), 90);

    // Removing the first column hands its image to the next one; a new column
    // reuses the freed cells, empty.
    gadget_remove_column(list, 0);
    EXPECT_EQ(gtk_tree_view_get_n_columns(view), 2u);
    EXPECT_EQ(gadget_get_item_text(list, 0, 0), u"y1");
    EXPECT_EQ(cells_for_row(view, 0, 0).size(), 2u);
    gadget_add_column(list, -1, u"D", 40);
    EXPECT_EQ(gadget_get_item_text(list, 0, 2), u"");
    PangoFontDescription *font = pango_font_description_from_string("Sans 21");
    gadget_set_font(list, font);
    EXPECT_EQ(style_font_size(gtk_tree_view_column_get_widget(gtk_tree_view_get_column(view, 2))), 21);
    pango_font_description_free(font);
    gadget_remove_column(list, -1);
    EXPECT_EQ(gtk_tree_view_get_n_columns(view), 0u);
}

TEST_F(Operations, StatusBarFieldShowsAnImage) {
    auto *box = reinterpret_cast<GtkWidget *>(statusbar_create(31, window_native_handle(window)));
    ASSERT_NE(box, nullptr);
    statusbar_add_field(100);
    statusbar_add_field(NOT_GIVEN);
    GdkPixbuf *image = gdk_pixbuf_new(GDK_COLORSPACE_RGB, FALSE, 8, 8, 8);
    statusbar_image(31, 1, image, STATUSBAR_IMAGE_RIGHT | 0x2);
    GList *fields = gtk_container_get_children(GTK_CONTAINER(box));
    GtkWidget *frame = GTK_WIDGET(g_list_nth_data(fields, 1));
    g_list_free(fields);
    GtkWidget *shown = gtk_bin_get_child(GTK_BIN(frame));
    ASSERT_TRUE(GTK_IS_IMAGE(shown));
    EXPECT_EQ(gtk_image_get_pixbuf(GTK_IMAGE(shown)), image);
    EXPECT_EQ(gtk_widget_get_halign(shown), GTK_ALIGN_END);
    EXPECT_EQ(gtk_frame_get_shadow_type(GTK_FRAME(frame)), GTK_SHADOW_NONE);
    statusbar_progress(31, 1, 50);   // progress takes the field back
    EXPECT_TRUE(GTK_IS_PROGRESS_BAR(gtk_bin_get_child(GTK_BIN(frame))));
    statusbar_image(31, 1, nullptr, 0);
    EXPECT_TRUE(GTK_IS_LABEL(gtk_bin_get_child(GTK_BIN(frame))));
    statusbar_image(4711, 0, image, 0);   // names nothing
    g_object_unref(image);
}

TEST_F(Operations, SeveralFilesChosenComeOneByOne) {
    char folder[] = "/tmp/kalvo_gui_XXXXXX";
    ASSERT_NE(g_mkdtemp(folder), nullptr);
    const std::string first = std::string(folder) + "/a.mem", second = std::string(folder) + "/b.mem";
    g_file_set_contents(first.c_str(), "", 0, nullptr);
    g_file_set_contents(second.c_str(), "", 0, nullptr);
    bool multiple = false;
    answer_when_shown(GTK_TYPE_FILE_CHOOSER_DIALOG, [&](GtkWidget *dialog) {
        auto *chooser = GTK_FILE_CHOOSER(dialog);
        multiple = gtk_file_chooser_get_select_multiple(chooser);
        // The folder loads in the background; select until both are taken.
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        for (guint chosen = 0; chosen < 2 && std::chrono::steady_clock::now() < end;) {
            gtk_file_chooser_select_all(chooser);
            gtk_main_iteration_do(FALSE);
            GSList *names = gtk_file_chooser_get_filenames(chooser);
            chosen = g_slist_length(names);
            g_slist_free_full(names, g_free);
        }
        gtk_dialog_response(GTK_DIALOG(dialog), GTK_RESPONSE_ACCEPT);
    });
    std::vector<std::string> chosen;
    for (WideText name = requester_open_file_ex(u"Open", text_from_utf8((std::string(folder) + "/").c_str()),
                                                u"Memory|*.mem", 0, REQUESTER_MULTIPLE_FILES);
         !name.empty(); name = requester_next_file())
        chosen.push_back(text_to_utf8(name));
    EXPECT_TRUE(multiple);
    EXPECT_EQ(chosen, (std::vector<std::string>{first, second}));
    EXPECT_EQ(requester_next_file(), u"");
    g_remove(first.c_str());
    g_remove(second.c_str());
    g_rmdir(folder);
}

} // namespace
