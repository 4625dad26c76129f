// Gadgets, the channel list and the status bar, on either toolkit: each
// operation goes through the public header, and its effect is read back from
// the controls.
#include "toolkit_view.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

namespace {

class Gadgets : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        window = window_open(ANY, 0, 0, 530, 310, u"gadgets", EDITOR_WINDOW);
    }
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

TEST_F(Gadgets, ButtonsAndLabelsShowTheirTextAndClicksPostEvents) {
    const std::intptr_t button = gadget_create_button(ANY, 10, 10, 80, 30, u"Read TRX");
    const std::intptr_t label = gadget_create_text(ANY, 100, 10, 60, 20, u"PORT:");
    EXPECT_EQ(shown_text(button), "Read TRX");
    EXPECT_EQ(shown_text(label), "PORT:");
    // A field made before its label is still read out by the label's text.
    const std::intptr_t field = gadget_create_string(ANY, 170, 10, 60, 20, u"");
    const std::intptr_t caption = gadget_create_text(ANY, 240, 10, 60, 20, u"Freq");
    EXPECT_NE(name_read_aloud(field), "Freq");
    gadget_set_label(field, caption);
    EXPECT_EQ(name_read_aloud(field), "Freq");
    gadget_set_text(caption, u"Freq (Hz)");
    EXPECT_EQ(name_read_aloud(field), "Freq (Hz)");
    gadget_free(field);
    gadget_free(caption);
    click(button);
    EXPECT_EQ(subtypes_of(pump_events(50), button), Subtypes{0});
    gadget_disable(button, 1);
    EXPECT_FALSE(is_enabled(button));
    gadget_disable(button, 0);
    EXPECT_TRUE(is_enabled(button));
    gadget_free(button);
    gadget_free(label);
    EXPECT_EQ(gadget_native_handle(button), nullptr);

    // Numbers that name no gadget do nothing.
    EXPECT_EQ(gadget_get_text(button), u"");
    EXPECT_EQ(gadget_get_item_text(4711, 0, 0), u"");
    EXPECT_EQ(gadget_add_item(4711, -1, u"x"), 0);
    EXPECT_EQ(gadget_get_state(0x7ff000), 0);
    gadget_set_text(4711, u"x");
    gadget_disable(4711, 1);
    gadget_remove_item(4711, 0);
}

TEST_F(Gadgets, FieldsFilterWhatTheUserTypesButNotTheProgramsText) {
    const std::intptr_t digits = gadget_create_string(ANY, 10, 90, 90, 20, u"", STRING_NUMERIC);
    const std::intptr_t fixed =
        gadget_create_string(ANY, 110, 90, 40, 20, u"", STRING_READ_ONLY | STRING_NUMERIC);
    const std::intptr_t plain = gadget_create_string(ANY, 160, 90, 90, 20, u"start");
    EXPECT_EQ(shown_text(plain), "start");
    type_into(digits, "aB3\xc3\xa4"
                      "7");
    EXPECT_EQ(shown_text(digits), "37");
    gadget_set_text(fixed, u"12ab"); // the program may set any text
    type_into(fixed, "5");           // the user none
    EXPECT_EQ(shown_text(fixed), "12ab");

    drain_events();
    gadget_set_text(plain, u"7050000");
    EXPECT_EQ(subtypes_of(pump_events(30), plain), Subtypes{});
    type_into(plain, "1");
    const Subtypes typed = subtypes_of(pump_events(30), plain);
    EXPECT_EQ(std::count(typed.begin(), typed.end(), CHANGED), 1);
    EXPECT_EQ(gadget_get_text(plain), u"70500001");
    // A length limit holds what the user types, not what the program sets.
    gadget_set_attribute(digits, GADGET_ATTRIBUTE_MAX_LENGTH, 3);
    EXPECT_EQ(gadget_get_attribute(digits, GADGET_ATTRIBUTE_MAX_LENGTH), 3);
    type_into(digits, "456");
    EXPECT_EQ(shown_text(digits), "374");
    gadget_set_attribute(digits, GADGET_ATTRIBUTE_MAX_LENGTH, -2);
    EXPECT_EQ(gadget_get_attribute(digits, GADGET_ATTRIBUTE_MAX_LENGTH), 1);
    for (auto gadget : {digits, fixed, plain})
        gadget_free(gadget);
}

TEST_F(Gadgets, ComboShowsTheChosenItem) {
    const std::intptr_t combo = gadget_create_combo(ANY, 10, 10, 120, 28);
    gadget_add_item(combo, -1, u"LSB");
    gadget_add_item(combo, -1, u"USB");
    EXPECT_EQ(shown_text(combo), "");
    gadget_set_state(combo, 1);
    EXPECT_EQ(shown_text(combo), "USB");
    EXPECT_EQ(gadget_get_text(combo), u"USB");
    EXPECT_EQ(gadget_get_state(combo), 1);
    EXPECT_EQ(gadget_count_items(combo), 2);
    gadget_set_item_text(combo, 1, u"FM ");
    EXPECT_EQ(shown_text(combo), "FM ");
    EXPECT_EQ(gadget_get_item_text(combo, 1), u"FM ");
    gadget_set_item_data(combo, 0, 77);
    EXPECT_EQ(gadget_get_item_data(combo, 0), 77);
    gadget_clear_items(combo);
    EXPECT_EQ(gadget_count_items(combo), 0);
    EXPECT_EQ(shown_text(combo), "");
    EXPECT_EQ(gadget_get_state(combo), -1);
    gadget_free(combo);
}

// What every kind shares: its size as placed and as its content needs, its
// colours, and the window it lies in.
TEST_F(Gadgets, SizesColoursAndWindowOfEveryKind) {
    const std::intptr_t gadgets[] = {
        gadget_create_button_ex(ANY, 10, 10, 80, 30, u"Read TRX", 0),
        gadget_create_text(ANY, 100, 10, 60, 20, u"PORT:"),
        gadget_create_string(ANY, 170, 10, 90, 24, u"7050000"),
        gadget_create_list_icon(ANY, 10, 50, 200, 120, u"NumCh", 60),
    };
    const std::int32_t kinds[] = {GADGET_BUTTON, GADGET_TEXT, GADGET_STRING, GADGET_LIST_ICON};
    const std::pair<int, int> sizes[] = {{80, 30}, {60, 20}, {90, 24}, {200, 120}};
    for (int n = 0; n < 4; ++n) {
        EXPECT_EQ(gadget_kind(gadgets[n]), kinds[n]);
        EXPECT_EQ(std::make_pair(gadget_width(gadgets[n]), gadget_height(gadgets[n])), sizes[n])
            << kinds[n];
        EXPECT_GT(gadget_width(gadgets[n], 1) * gadget_height(gadgets[n], 1), 0) << kinds[n];
        EXPECT_EQ(gadget_window_of(gadget_native_handle(gadgets[n])), window) << kinds[n];
    }
    EXPECT_EQ(shown_text(gadgets[0]), "Read TRX");
    EXPECT_EQ(gadget_window_of(nullptr), -1);
    // A longer text needs more room; the room it was given stays.
    const int short_width = gadget_width(gadgets[1], 1);
    gadget_set_text(gadgets[1], u"PORT: /dev/ttyUSB57");
    EXPECT_GT(gadget_width(gadgets[1], 1), short_width);
    EXPECT_EQ(gadget_width(gadgets[1]), 60);

    for (const std::intptr_t coloured : {gadgets[1], gadgets[2], gadgets[3]}) {
        gadget_set_color(coloured, GADGET_COLOR_TEXT, 0x0000FF);
        gadget_set_color(coloured, GADGET_COLOR_BACKGROUND, 0x00FF00);
        EXPECT_EQ(gadget_get_color(coloured, GADGET_COLOR_TEXT), 0x0000FF);
        EXPECT_EQ(gadget_get_color(coloured, GADGET_COLOR_BACKGROUND), 0x00FF00);
        gadget_set_color(coloured, GADGET_COLOR_TEXT, GADGET_COLOR_DEFAULT);
        EXPECT_EQ(gadget_get_color(coloured, GADGET_COLOR_TEXT), GADGET_COLOR_DEFAULT);
    }
    for (const std::intptr_t gadget : gadgets)
        gadget_free(gadget);
}

class ChannelList : public Gadgets {
protected:
    void SetUp() override {
        Gadgets::SetUp();
        list = gadget_create_list_icon(ANY, 10, 50, 320, 230, u"NumCh", 60,
                                       LIST_ICON_GRID_LINES | LIST_ICON_FULL_ROW_SELECT |
                                           LIST_ICON_THIRD_STATE);
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
    gadget_set_state(list, 500); // no such row: unchanged
    EXPECT_TRUE(subtypes_of(pump_events(300), list).empty());
    const auto [top, bottom] = rows_in_view(list);
    EXPECT_TRUE(top <= 60 && bottom >= 60) << top << "-" << bottom;
    // Widening the rows keeps the chosen row chosen and the view where it is
    // (GTK may still move it a few rows while it measures the new model).
    gadget_add_column(list, 4, u"Extra", 40);
    EXPECT_TRUE(subtypes_of(pump_events(100), list).empty());
    EXPECT_NEAR(rows_in_view(list).first, top, (bottom - top) / 2);
    EXPECT_EQ(selected_rows(list), Rows{60});
    EXPECT_EQ(gadget_get_state(list), 60);
    EXPECT_EQ(gadget_get_text(list), u"60");

    EXPECT_EQ(gadget_get_item_text(list, 100, 0), u""); // rows and cells that are not there
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
    gadget_remove_item(list, 3); // the cursor's row: no neighbour gets selected
    EXPECT_EQ(selected_rows(list), Rows{});
}

TEST_F(ChannelList, ReplacingEveryRowInPlaceLeavesViewAndSelectionAlone) {
    gadget_set_state(list, 0);
    for (int row = 0; row < 100; ++row) { // as a transfer replaces every channel
        gadget_remove_item(list, row);
        gadget_add_item(list, row, text_str(row) + u"\n7050000\nLSB\n---");
    }
    EXPECT_TRUE(subtypes_of(pump_events(100), list).empty());
    EXPECT_EQ(rows_in_view(list).first, 0);
    EXPECT_EQ(selected_rows(list), Rows{}); // only the replaced row held the selection
    EXPECT_EQ(shown_row(list, 99), "99|7050000|LSB|---");
}

// Rows and columns changed through the item operations, read back as drawn:
// cell texts, the header, hidden and removed columns, states, data, colours.
TEST_F(ChannelList, ItemAndColumnOperationsShowInTheList) {
    EXPECT_EQ(gadget_count_items(list), 100);
    gadget_set_item_text(list, 3, u"3\n7050000\nCW \nATT");
    gadget_set_item_text(list, 4, u"LSB", 2);
    EXPECT_EQ(shown_row(list, 3), "3|7050000|CW |ATT");
    EXPECT_EQ(shown_row(list, 4), "4||LSB|");
    gadget_set_item_text(list, -1, u"Hz", 1);
    EXPECT_EQ(gadget_get_item_text(list, -1, 1), u"Hz");

    gadget_set_item_state(list, 5, ITEM_SELECTED);
    EXPECT_EQ(selected_rows(list), Rows{5});
    EXPECT_EQ(gadget_get_item_state(list, 5) & ITEM_SELECTED, ITEM_SELECTED);
    gadget_set_item_state(list, 5, 0);
    EXPECT_EQ(selected_rows(list), Rows{});
    gadget_set_item_data(list, 6, -123456);
    EXPECT_EQ(gadget_get_item_data(list, 6), -123456);
    gadget_set_item_color(list, 7, GADGET_COLOR_TEXT, 0x0000FF, 1);
    EXPECT_EQ(gadget_get_item_color(list, 7, GADGET_COLOR_TEXT, 1), 0x0000FF);
    EXPECT_EQ(gadget_get_item_color(list, 7, GADGET_COLOR_TEXT, 2), GADGET_COLOR_DEFAULT);

    gadget_set_attribute(list, LIST_ATTRIBUTE_COLUMN_COUNT, 9); // the count is the list's own
    EXPECT_EQ(gadget_get_attribute(list, LIST_ATTRIBUTE_COLUMN_COUNT), 4);
    gadget_set_item_attribute(list, 0, LIST_ATTRIBUTE_COLUMN_WIDTH, 77, 2);
    pump_events(50); // the width shown, once the list is laid out again
    EXPECT_EQ(gadget_get_item_attribute(list, 0, LIST_ATTRIBUTE_COLUMN_WIDTH, 2), 77);
    gadget_set_item_attribute(list, 0, LIST_ATTRIBUTE_COLUMN_WIDTH, 0, 2);
    EXPECT_EQ(gadget_get_item_attribute(list, 0, LIST_ATTRIBUTE_COLUMN_WIDTH, 2), 0);
    gadget_set_item_attribute(list, 0, LIST_ATTRIBUTE_COLUMN_WIDTH, 60, 2);
    gadget_remove_column(list, 3);
    EXPECT_EQ(gadget_get_attribute(list, LIST_ATTRIBUTE_COLUMN_COUNT), 3);
    EXPECT_EQ(shown_row(list, 3), "3|7050000|CW ");
    EXPECT_TRUE(subtypes_of(pump_events(50), list).empty()); // the program's changes post nothing

    gadget_clear_items(list);
    EXPECT_EQ(gadget_count_items(list), 0);
    EXPECT_EQ(shown_row(list, 0), "");
}

// Check boxes with a third state: each state set is the state shown.
TEST_F(Gadgets, ThreeStateCheckBoxesKeepTheirState) {
    const std::intptr_t list =
        gadget_create_list_icon(ANY, 10, 50, 200, 100, u"Name", 80, LIST_ICON_THREE_STATE);
    gadget_add_item(list, -1, u"a");
    gadget_add_item(list, -1, u"b", nullptr, static_cast<std::int32_t>(ITEM_CHECKED));
    EXPECT_EQ(gadget_get_item_state(list, 1), ITEM_CHECKED);
    for (const std::intptr_t state : {ITEM_CHECKED, ITEM_INCONSISTENT, std::intptr_t{0}}) {
        gadget_set_item_state(list, 0, state);
        EXPECT_EQ(gadget_get_item_state(list, 0), state);
    }
    gadget_free(list);
}

// A row's image is the one its list shows; none takes it away again.
TEST_F(Gadgets, ListRowsShowTheirImage) {
    const std::intptr_t list = gadget_create_list_icon(ANY, 10, 10, 200, 100, u"Name", 80);
    gadget_add_item(list, -1, u"a");
    gadget_set_item_image(list, 0, test_image());
    EXPECT_TRUE(row_shows_image(list, 0));
    gadget_set_item_image(list, 0, nullptr);
    EXPECT_FALSE(row_shows_image(list, 0));
    gadget_free(list);
}

TEST_F(ChannelList, AClickOnARowSelectsItAndPostsTheChange) {
    pump_events(50);
    click_row(list, 2);
    EXPECT_EQ(subtypes_of(pump_events(200), list), (Subtypes{CHANGED, 0}));
    EXPECT_EQ(selected_rows(list), Rows{2});
}

TEST_F(Gadgets, StatusBarProgressFractions) {
    ASSERT_NE(statusbar_create(0, window_native_handle(window)), 0);
    statusbar_add_field(530);
    pump_events(50);
    EXPECT_EQ(look_of(window).width, 530); // a field as wide as the window fills it, no wider
    const std::pair<int, double> values[] = {
        {0, 0.0}, {50, 0.5}, {100, 1.0}, {250, 1.0}, {-5, 0.0}};
    for (const auto &[value, fraction] : values) {
        statusbar_progress(0, 0, value);
        EXPECT_NEAR(progress_shown(window), fraction, 0.05) << value;
    }
    statusbar_progress(0, 0, 50);
    statusbar_progress(0, 3, 100); // no such field
    statusbar_progress(0, -1, 100);
    statusbar_progress(5, 0, 100); // no such status bar
    EXPECT_NEAR(progress_shown(window), 0.5, 0.05);
    // A range of its own; an empty or reversed one: empty up to the minimum, full beyond it.
    const std::tuple<int, int, int, double> ranges[] = {{15, 10, 20, 0.5},
                                                        {5, 10, 10, 0.0},
                                                        {10, 10, 10, 0.0},
                                                        {15, 10, 10, 1.0},
                                                        {15, 20, 10, 0.0}};
    for (const auto &[value, low, high, fraction] : ranges) {
        statusbar_progress_ex(0, 0, value, 0, low, high);
        EXPECT_NEAR(progress_shown(window), fraction, 0.05)
            << value << " in " << low << "..." << high;
    }
}

} // namespace
