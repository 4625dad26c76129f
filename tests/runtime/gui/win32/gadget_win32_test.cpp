// Gadget core and the simple kinds on their Win32 controls: creation,
// the operation table, programmatic changes without events, the user's own
// changes with them, and the combo's exact closed height.
#include "win32_test_support.h"

#include <algorithm>

using GadgetTest = ToolkitWindow;

namespace {

int outer_height(HWND hwnd) {
    RECT outer;
    GetWindowRect(hwnd, &outer);
    return outer.bottom - outer.top;
}

// Types at the end of the field's text.
void type_into(HWND edit, const wchar_t *text) {
    SendMessageW(edit, EM_SETSEL, 0x7FFF, 0x7FFF);
    for (const wchar_t *c = text; *c; ++c)
        SendMessageW(edit, WM_CHAR, *c, 0);
}

} // namespace

TEST_F(GadgetTest, KindsSitOnTheirControlsWithTheirStylesAndNumbers) {
    const ObjectId button = gadget_create_button(ANY, 10, 10, 80, 30, u"Read TRX");
    const ObjectId label = gadget_create_text(ANY, 10, 50, 40, 20, u"PORT:");
    const ObjectId field =
        gadget_create_string(ANY, 10, 80, 40, 20, u"", STRING_READ_ONLY | STRING_NUMERIC);
    const ObjectId combo = gadget_create_combo(ANY, 10, 110, 80, 25);
    const auto numbered =
        reinterpret_cast<HWND>(gadget_create_button(3, 100, 10, 80, 30, u"three"));
    const struct {
        ObjectId gadget;
        std::int32_t kind;
        const wchar_t *class_name;
    } expected[] = {{button, GADGET_BUTTON, L"Button"},
                    {label, GADGET_TEXT, L"Static"},
                    {field, GADGET_STRING, L"Edit"},
                    {combo, GADGET_COMBO, L"ComboBox"},
                    {3, GADGET_BUTTON, L"Button"}};
    for (const auto &gadget : expected) {
        EXPECT_EQ(gadget_kind(gadget.gadget), gadget.kind);
        wchar_t name[32] = {};
        GetClassNameW(control(gadget.gadget), name, 32);
        EXPECT_STREQ(name, gadget.class_name);
        EXPECT_EQ(GetWindowLongPtrW(control(gadget.gadget), GWLP_ID), gadget.gadget);
        EXPECT_EQ(GetParent(control(gadget.gadget)), hwnd);
    }
    EXPECT_EQ(control(3), numbered);
    const auto field_style = GetWindowLongPtrW(control(field), GWL_STYLE);
    EXPECT_TRUE(field_style & ES_READONLY);
    EXPECT_TRUE(field_style & ES_NUMBER);
    EXPECT_EQ(GetWindowLongPtrW(control(combo), GWL_STYLE) & 0x3, CBS_DROPDOWNLIST);
    EXPECT_EQ(gadget_get_text(button), u"Read TRX");
    EXPECT_EQ(gadget_get_text(label), u"PORT:");
    EXPECT_EQ(gadget_get_state(field), 0);
    EXPECT_EQ(gadget_get_state(label), 0);
    // Numbers and operations that name nothing do nothing.
    EXPECT_EQ(gadget_kind(4321), 0);
    EXPECT_EQ(gadget_get_text(4321), u"");
    EXPECT_EQ(gadget_get_item_text(button, 0, 0), u"");
    EXPECT_EQ(gadget_add_item(label, -1, u"x"), 0);
    gadget_disable(4321, 1);
    gadget_set_text(4321, u"x");
    gadget_disable(button, 1);
    EXPECT_FALSE(IsWindowEnabled(control(button)));
    gadget_disable(button, 0);
    EXPECT_TRUE(IsWindowEnabled(control(button)));
}

TEST_F(GadgetTest, ProgramChangesPostNothingWhileTheUsersChangesPost) {
    const ObjectId field = gadget_create_string(ANY, 10, 10, 90, 20, u"");
    const ObjectId digits =
        gadget_create_string(ANY, 10, 40, 40, 20, u"", STRING_READ_ONLY | STRING_NUMERIC);
    drain_events();
    gadget_set_text(field, u"7050000");
    gadget_set_text(digits, u"not digits"); // the program may set any text
    const std::vector<SeenEvent> after_program = pump_events(50);
    EXPECT_TRUE(subtypes_of(after_program, field).empty());
    EXPECT_TRUE(subtypes_of(after_program, digits).empty());
    EXPECT_EQ(gadget_get_text(field), u"7050000");
    EXPECT_EQ(gadget_get_text(digits), u"not digits");

    type_into(control(field), L"1");
    EXPECT_EQ(gadget_get_text(field), u"70500001");
    const std::vector<std::intptr_t> changes = subtypes_of(pump_events(50), field);
    EXPECT_NE(std::find(changes.begin(), changes.end(), EN_CHANGE), changes.end());
    type_into(control(digits), L"5"); // read-only: typing changes nothing
    EXPECT_EQ(gadget_get_text(digits), u"not digits");
}

TEST_F(GadgetTest, ClosedComboIsExactlyTheRequestedHeight) {
    for (int height : {20, 25, 32}) {
        const ObjectId combo = gadget_create_combo(ANY, 10, 10, 80, height);
        EXPECT_EQ(outer_height(control(combo)), height) << "asked for " << height;
        gadget_add_item(combo, -1, u"COM1");
        EXPECT_EQ(outer_height(control(combo)), height) << "after an item, asked for " << height;
        gadget_free(combo);
    }
    const ObjectId editable = gadget_create_combo(ANY, 10, 10, 80, 22, CBS_DROPDOWN);
    EXPECT_EQ(outer_height(control(editable)), 22);
    HWND edit = FindWindowExW(control(editable), nullptr, L"Edit", nullptr);
    ASSERT_NE(edit, nullptr);
    EXPECT_TRUE(GetWindowLongPtrW(edit, GWL_STYLE) & WS_TABSTOP);
    gadget_add_item(editable, -1, u"COM3");
    gadget_set_text(editable, u"COM3");
    EXPECT_EQ(gadget_get_text(editable), u"COM3");
    EXPECT_EQ(gadget_get_state(editable), -1); // typed text, no item chosen
}

TEST_F(GadgetTest, FreeingAndClosingReleaseGadgetsAndTheirEvents) {
    const ObjectId button = gadget_create_button(ANY, 10, 10, 80, 30, u"gone");
    HWND native = control(button);
    event_post(EVENT_GADGET, button, window, 0);
    gadget_free(button);
    EXPECT_FALSE(IsWindow(native));
    EXPECT_EQ(gadget_kind(button), 0);
    EXPECT_TRUE(subtypes_of(pump_events(30), button).empty());

    // Reusing a number replaces the gadget that had it.
    gadget_create_button(11, 10, 10, 80, 30, u"first");
    HWND first = control(11);
    gadget_create_text(11, 10, 10, 80, 30, u"second");
    EXPECT_FALSE(IsWindow(first));
    EXPECT_EQ(gadget_kind(11), GADGET_TEXT);

    window_close(window);
    EXPECT_EQ(gadget_kind(11), 0);
    // No window is the gadget list any more: nothing can be created.
    EXPECT_EQ(gadget_create_button(ANY, 0, 0, 10, 10, u"orphan"), 0);
    window = window_open(ANY, 0, 0, 530, 310, u"again", EDITOR_WINDOW_FLAGS);
}
