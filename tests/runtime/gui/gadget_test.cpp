// Gadgets, lists and the status bar, on either toolkit: each operation goes
// through the public header, and its effect is read back from the controls.
#include "toolkit_view.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

namespace {

class Gadgets : public ::testing::Test {
protected:
    static void SetUpTestSuite() { window = window_open(ANY, 0, 0, 530, 310, u"gadgets", EDITOR_WINDOW); }
    static void TearDownTestSuite() { window_close(window); }
    void SetUp() override {
        ASSERT_NE(window_native_handle(window), nullptr);
        gadget_list_use(window_native_handle(window));
        drain_events();
    }
    static std::intptr_t window;
};
std::intptr_t Gadgets::window = 0;

using Rows = std::vector<int>;
using Subtypes = std::vector<std::intptr_t>;

TEST_F(Gadgets, ButtonsPostClicksNumbersAreReusedAndNumbersNamingNothingDoNothing) {
    const std::intptr_t button = gadget_create_button(ANY, 10, 10, 80, 30, u"Read TRX");
    EXPECT_EQ(gadget_kind(button), GADGET_BUTTON);
    EXPECT_EQ(shown_text(button), "Read TRX");
    drain_events();
    click(button);
    EXPECT_EQ(subtypes_of(pump_events(50), button), Subtypes{0});
    gadget_disable(button, 1);
    EXPECT_FALSE(is_enabled(button));
    gadget_disable(button, 0);
    EXPECT_TRUE(is_enabled(button));
    gadget_free(button);
    EXPECT_EQ(gadget_kind(button), 0);
    EXPECT_EQ(gadget_native_handle(button), nullptr);

    gadget_create_text(3, 10, 50, 60, 20, u"PORT:");
    EXPECT_EQ(gadget_kind(3), GADGET_TEXT);
    EXPECT_EQ(shown_text(3), "PORT:");
    gadget_create_button(3, 10, 50, 60, 20, u"B");   // the text goes
    EXPECT_EQ(gadget_kind(3), GADGET_BUTTON);
    EXPECT_EQ(shown_text(3), "B");
    gadget_free(3);

    EXPECT_EQ(gadget_get_text(4711), u"");
    EXPECT_EQ(gadget_get_item_text(4711, 0, 0), u"");
    EXPECT_EQ(gadget_add_item(4711, -1, u"x"), 0);
    EXPECT_EQ(gadget_get_state(0x7ff000), 0);
    EXPECT_EQ(gadget_width(4711), 0);
    EXPECT_EQ(gadget_get_font(4711), nullptr);
    gadget_set_text(4711, u"x");
    gadget_disable(4711, 1);
    gadget_remove_item(4711, 0);
}

TEST_F(Gadgets, FieldsFilterWhatTheUserTypesButNotTheProgramsText) {
    const std::intptr_t digits = gadget_create_string(ANY, 10, 90, 90, 20, u"", STRING_NUMERIC);
    const std::intptr_t fixed = gadget_create_string(ANY, 110, 90, 40, 20, u"", STRING_READ_ONLY | STRING_NUMERIC);
    const std::intptr_t plain = gadget_create_string(ANY, 160, 90, 90, 20, u"start");
    const std::intptr_t short_field = gadget_create_string(ANY, 260, 90, 90, 20, u"");
    EXPECT_EQ(gadget_kind(plain), GADGET_STRING);
    EXPECT_EQ(shown_text(plain), "start");
    type_into(digits, "aB3\xc3\xa4" "7");
    EXPECT_EQ(shown_text(digits), "37");
    gadget_set_text(fixed, u"12ab");   // the program may set any text
    type_into(fixed, "5");             // the user none
    EXPECT_EQ(shown_text(fixed), "12ab");
    gadget_set_attribute(short_field, GADGET_ATTRIBUTE_MAX_LENGTH, 3);
    type_into(short_field, "12345");
    EXPECT_EQ(shown_text(short_field), "123");
    EXPECT_EQ(gadget_width(short_field, 1), 20);

    drain_events();
    gadget_set_text(plain, u"7050000");
    EXPECT_EQ(subtypes_of(pump_events(30), plain), Subtypes{});
    type_into(plain, "1");
    const Subtypes typed = subtypes_of(pump_events(30), plain);
    EXPECT_EQ(std::count(typed.begin(), typed.end(), CHANGED), 1);
    EXPECT_EQ(gadget_get_text(plain), u"70500001");
    for (auto gadget : {digits, fixed, plain, short_field})
        gadget_free(gadget);
}

TEST_F(Gadgets, ComboShowsItsChosenItemThroughChangesToIt) {
    const std::intptr_t combo = gadget_create_combo(ANY, 10, 10, 120, 28, COMBO_IMAGES);
    gadget_add_item(combo, -1, u"one", test_image(), 0);
    gadget_add_item(combo, -1, u"two");
    EXPECT_EQ(combo_count(combo), 2);
    gadget_set_item_data(combo, 1, 77);
    gadget_set_state(combo, 1);
    gadget_set_item_text(combo, 1, u"zwei");
    EXPECT_EQ(shown_text(combo), "zwei");
    EXPECT_EQ(gadget_get_item_data(combo, 1), 77);   // the item was changed, not replaced
    gadget_give_focus(combo);
    EXPECT_TRUE(has_focus(combo));
    gadget_clear_items(combo);
    EXPECT_EQ(combo_count(combo), 0);
    EXPECT_EQ(shown_text(combo), "");
    gadget_free(combo);
}

// Fonts and colours no program sets: one read-back of each.
TEST_F(Gadgets, FontsColoursAndTheSizeTheContentNeeds) {
    void *big = make_font(30);
    const std::intptr_t button = gadget_create_button(ANY, 10, 10, 60, 30, u"T");
    gadget_set_font(button, big);
    EXPECT_EQ(font_size(button), 30);
    EXPECT_GT(gadget_height(button, 1), gadget_height(button));   // the big font needs more than placed
    gadget_set_font(button, nullptr);
    EXPECT_LT(font_size(button), 30);
    gadget_set_font(ANY, big);   // every gadget from now on
    const std::intptr_t later = gadget_create_text(ANY, 10, 50, 60, 20, u"later");
    gadget_set_font(ANY, nullptr);
    const std::intptr_t label = gadget_create_text(ANY, 10, 110, 40, 20, u"a text much longer than forty");
    EXPECT_EQ(font_size(later), 30);
    EXPECT_LT(font_size(label), 30);

    gadget_set_color(label, GADGET_COLOR_TEXT, 0xFF0000);
    gadget_set_color(label, GADGET_COLOR_BACKGROUND, 0x00FF00);   // leaves the text colour alone
    EXPECT_EQ(text_colour(label), 0xFF0000);
    // The text laid out on one line is wider than the 40 pixels placed.
    const std::int32_t one_line = gadget_width(label, 1);
    EXPECT_GT(one_line, 40);
    gadget_set_text(label, u"a");
    EXPECT_LT(gadget_width(label, 1), one_line);
    for (auto gadget : {button, later, label})
        gadget_free(gadget);
    free_font(big);
}

TEST_F(Gadgets, ListCheckBoxesCellsColoursAndColumns) {
    const std::intptr_t list = gadget_create_list_icon(ANY, 10, 10, 300, 200, u"A", 50,
                                                       LIST_ICON_THREE_STATE | LIST_ICON_MULTIPLE_SELECTION);
    gadget_add_column(list, -1, u"B", 60);
    gadget_add_column(list, -1, u"C", 70);
    gadget_add_item(list, -1, u"a1\nb1\nc1", nullptr, ITEM_SELECTED | ITEM_CHECKED);
    gadget_add_item(list, -1, u"a2\nb2\nc2", nullptr, ITEM_INCONSISTENT);
    gadget_add_item(list, -1, u"a3");
    EXPECT_EQ(check_shown(list, 0), 1);
    EXPECT_EQ(check_shown(list, 1), 2);
    EXPECT_EQ(check_shown(list, 2), 0);
    drain_events();
    gadget_set_item_state(list, 2, ITEM_CHECKED | ITEM_SELECTED);   // the program's: no event
    EXPECT_EQ(check_shown(list, 2), 1);
    EXPECT_EQ(selected_rows(list), (Rows{0, 2}));
    EXPECT_TRUE(subtypes_of(pump_events(50), list).empty());

    gadget_set_item_text(list, 0, u"x1\ny1");   // column 0: the row's cells from the first
    gadget_set_item_text(list, 1, u"z", 2);
    gadget_set_item_text(list, -1, u"Title B", 1);
    EXPECT_EQ(shown_row(list, 0), "x1|y1|c1");
    EXPECT_EQ(shown_row(list, 1), "a2|b2|z");
    EXPECT_EQ(column_title(list, 1), "Title B");
    gadget_set_item_color(list, 1, GADGET_COLOR_TEXT, 0x0000FF, 1);
    EXPECT_EQ(cell_text_colour(list, 1, 1), 0x0000FF);
    EXPECT_EQ(cell_text_colour(list, 0, 1), -1);
    EXPECT_FALSE(row_has_image(list, 0));
    gadget_set_item_image(list, 0, test_image());
    EXPECT_TRUE(row_has_image(list, 0));

    EXPECT_EQ(gadget_get_attribute(list, LIST_ATTRIBUTE_COLUMN_COUNT), 3);
    gadget_set_item_attribute(list, -1, LIST_ATTRIBUTE_COLUMN_WIDTH, 0, 1);
    EXPECT_EQ(column_width(list, 1), 0);
    gadget_set_item_attribute(list, -1, LIST_ATTRIBUTE_COLUMN_WIDTH, 90, 1);
    EXPECT_EQ(column_width(list, 1), 90);
    // Columns put in front and removed again move the cells' colours along.
    gadget_add_column(list, 0, u"Front", 30);
    EXPECT_EQ(cell_text_colour(list, 1, 2), 0x0000FF);
    gadget_remove_column(list, 0);
    EXPECT_EQ(column_title(list, 0), "A");
    EXPECT_EQ(cell_text_colour(list, 1, 1), 0x0000FF);
    gadget_clear_items(list);
    EXPECT_EQ(shown_row(list, 0), "");
    gadget_remove_column(list, -1);
    EXPECT_EQ(column_count(list), 0);
    gadget_free(list);
}

class ChannelList : public Gadgets {
protected:
    void SetUp() override {
        Gadgets::SetUp();
        list = gadget_create_list_icon(ANY, 10, 50, 320, 230, u"NumCh", 60,
                                       LIST_ICON_GRID_LINES | LIST_ICON_FULL_ROW_SELECT);
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

TEST_F(ChannelList, ProgramSelectionIsSilentInViewAndFollowsRemoval) {
    EXPECT_EQ(gadget_get_state(list), -1);
    gadget_set_state(list, 60);
    gadget_set_state(list, 500);   // no such row: unchanged
    EXPECT_TRUE(subtypes_of(pump_events(300), list).empty());
    const auto [top, bottom] = rows_in_view(list);
    EXPECT_TRUE(top <= 60 && bottom >= 60) << top << "-" << bottom;
    gadget_add_column(list, 4, u"Extra", 40);   // widens the rows, and scrolls nothing
    EXPECT_TRUE(subtypes_of(pump_events(100), list).empty());
    EXPECT_EQ(rows_in_view(list).first, top);
    EXPECT_EQ(selected_rows(list), Rows{60});
    EXPECT_EQ(gadget_get_state(list), 60);
    EXPECT_EQ(gadget_get_text(list), u"60");

    EXPECT_EQ(gadget_get_item_text(list, 100, 0), u"");   // rows and cells that are not there
    EXPECT_EQ(gadget_get_item_text(list, -7, 0), u"");
    EXPECT_EQ(gadget_get_item_text(list, 3, 9), u"");
    gadget_remove_item(list, 100);
    gadget_remove_item(list, -3);
    EXPECT_EQ(shown_row(list, 99), "99||||");
    EXPECT_EQ(shown_row(list, 100), "");

    gadget_remove_item(list, 60);
    EXPECT_EQ(selected_rows(list), Rows{});
    EXPECT_EQ(gadget_get_state(list), -1);
    gadget_set_state(list, 3);
    gadget_set_state(list, -1);
    gadget_remove_item(list, 3);   // the cursor's row: no neighbour gets selected
    EXPECT_EQ(selected_rows(list), Rows{});
}

TEST_F(ChannelList, ReplacingEveryRowInPlaceLeavesViewAndSelectionAlone) {
    gadget_set_state(list, 0);
    for (int row = 0; row < 100; ++row) {   // as a transfer replaces every channel
        gadget_remove_item(list, row);
        gadget_add_item(list, row, text_str(row) + u"\n7050000\nLSB\n---");
    }
    EXPECT_TRUE(subtypes_of(pump_events(100), list).empty());
    EXPECT_EQ(rows_in_view(list).first, 0);
    EXPECT_EQ(selected_rows(list), Rows{});   // only the replaced row held the selection
    EXPECT_EQ(shown_row(list, 99), "99|7050000|LSB|---");
}

TEST_F(ChannelList, ClicksOnRowsPostTheirSubtypes) {
    pump_events(50);
    click_row(list, 2);
    EXPECT_EQ(subtypes_of(pump_events(200), list), (Subtypes{CHANGED, 0}));
    EXPECT_EQ(selected_rows(list), Rows{2});
    click_row(list, 2, 1, 2);
    Subtypes seen = subtypes_of(pump_events(200), list);
    EXPECT_EQ(std::count(seen.begin(), seen.end(), 2), 1);   // a double click
    click_row(list, 4, 3);
    seen = subtypes_of(pump_events(200), list);
    EXPECT_EQ(std::count(seen.begin(), seen.end(), 1), 1);   // a right click
}

TEST_F(Gadgets, StatusBarProgressFractions) {
    ASSERT_NE(statusbar_create(0, window_native_handle(window)), 0);
    statusbar_add_field(530);
    pump_events(50);
    EXPECT_EQ(look_of(window).width, 530);   // a field as wide as the window fills it, no wider
    const std::pair<int, double> values[] = {{0, 0.0}, {50, 0.5}, {100, 1.0}, {250, 1.0}, {-5, 0.0}};
    for (const auto &[value, fraction] : values) {
        statusbar_progress(0, 0, value);
        EXPECT_NEAR(progress_shown(window), fraction, 0.05) << value;
    }
    statusbar_progress(0, 0, 50);
    statusbar_progress(0, 3, 100);    // no such field
    statusbar_progress(0, -1, 100);
    statusbar_progress(5, 0, 100);    // no such status bar
    EXPECT_NEAR(progress_shown(window), 0.5, 0.05);
    statusbar_progress_ex(0, 0, 15, 0, 10, 20);
    EXPECT_NEAR(progress_shown(window), 0.5, 0.05);
    // An empty or reversed range: empty up to the minimum, full beyond it.
    const std::tuple<int, int, int, double> ranges[] = {
        {5, 10, 10, 0.0}, {10, 10, 10, 0.0}, {15, 10, 10, 1.0}, {15, 20, 10, 0.0}};
    for (const auto &[value, low, high, fraction] : ranges) {
        statusbar_progress_ex(0, 0, value, 0, low, high);
        EXPECT_NEAR(progress_shown(window), fraction, 0.05) << value << " in " << low << "..." << high;
    }
    statusbar_image(0, 0, test_image(), STATUSBAR_IMAGE_RIGHT);
    EXPECT_TRUE(field_shows_image(window, 0));
    statusbar_image(0, 0, nullptr, 0);
    EXPECT_FALSE(field_shows_image(window, 0));
    statusbar_image(4711, 0, test_image(), 0);   // names nothing
    statusbar_free(0);
}

} // namespace
