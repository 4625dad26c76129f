// The channel list on "SysListView32": rows as line-feed separated cells,
// selection by the program (silent) and by the user (events), bad indexes.
#include "win32_test_support.h"

#include <algorithm>

namespace {

class ListTest : public ToolkitWindow {
protected:
    void SetUp() override {
        ToolkitWindow::SetUp();
        list = gadget_create_list_icon(ANY, 10, 50, 320, 230, u"NumCh", 60,
                                       LIST_ICON_GRID_LINES | LIST_ICON_FULL_ROW_SELECT);
        ASSERT_NE(list, 0);
        gadget_add_column(list, 1, u"Freq (Hz)", 120);
        gadget_add_column(list, 2, u"Mode", 60);
        gadget_add_column(list, 3, u"PreAtt", 50);
        native = static_cast<HWND>(gadget_native_handle(list));
        for (int n = 0; n < rows; ++n)
            gadget_add_item(list, n, text_str(n));
        drain_events();
    }

    // Clicks row's middle the way the mouse does.
    void click_row(int row) {
        RECT bounds{};
        bounds.left = LVIR_BOUNDS;
        SendMessageW(native, LVM_GETITEMRECT, static_cast<WPARAM>(row),
                     reinterpret_cast<LPARAM>(&bounds));
        const LPARAM at = MAKELPARAM(40, (bounds.top + bounds.bottom) / 2);
        PostMessageW(native, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageW(native, WM_LBUTTONUP, 0, at);
    }

    // More rows than the list shows at once.
    static constexpr int rows = 40;
    ObjectId list = 0;
    HWND native = nullptr;
};

} // namespace

TEST_F(ListTest, BadRowsAndColumnsAreIgnored) {
    EXPECT_EQ(gadget_get_item_text(list, rows, 0), u"");
    EXPECT_EQ(gadget_get_item_text(list, -7, 0), u"");
    EXPECT_EQ(gadget_get_item_text(list, 3, 4), u"");
    EXPECT_EQ(gadget_get_item_text(list, 3, -1), u"");
    gadget_remove_item(list, rows);
    gadget_remove_item(list, -3);
    gadget_add_item(list, -5, u"nowhere");
    gadget_set_state(list, 2);
    gadget_set_state(list, 250); // leaves the selection alone
    EXPECT_EQ(gadget_get_state(list), 2);
    EXPECT_EQ(SendMessageW(native, LVM_GETITEMCOUNT, 0, 0), rows);
    gadget_add_item(list, 5000, u"appended\nx");
    EXPECT_EQ(gadget_get_item_text(list, rows, 0), u"appended");
}

TEST_F(ListTest, ProgramSelectionIsSilentAndShowsTheRow) {
    gadget_set_state(list, 0);
    EXPECT_EQ(gadget_get_state(list), 0);
    EXPECT_EQ(gadget_get_text(list), u"0");
    gadget_set_state(list, 35);
    EXPECT_EQ(gadget_get_state(list), 35);
    const auto top = SendMessageW(native, LVM_GETTOPINDEX, 0, 0);
    const auto shown = SendMessageW(native, LVM_GETCOUNTPERPAGE, 0, 0);
    EXPECT_TRUE(35 >= top && 35 < top + shown);
    gadget_remove_item(list, 35);
    gadget_add_item(list, 35, u"35\n14200000\nUSB\n---");
    EXPECT_TRUE(subtypes_of(pump_events(50), list).empty());
    gadget_set_state(list, -1);
    EXPECT_EQ(gadget_get_state(list), -1);
    EXPECT_EQ(gadget_get_text(list), u"");
}

TEST_F(ListTest, ReplacingRowsOneByOneLeavesViewAndSelectionAlone) {
    gadget_set_state(list, 0);
    for (int row = 0; row < rows; ++row) {   // as an exchange replaces every channel
        gadget_remove_item(list, row);
        gadget_add_item(list, row, text_str(row) + u"\n7050000\nLSB\n---");
    }
    EXPECT_EQ(SendMessageW(native, LVM_GETTOPINDEX, 0, 0), 0);
    EXPECT_EQ(gadget_get_state(list), -1);   // only the replaced row held the selection
    EXPECT_EQ(SendMessageW(native, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED), -1);
    EXPECT_EQ(gadget_get_item_text(list, rows - 1, 1), u"7050000");
}

TEST_F(ListTest, ClickingAnotherRowPostsOneChangeThenAClick) {
    gadget_set_state(list, 0);
    SetFocus(native);
    drain_events();
    click_row(2);
    const std::vector<std::intptr_t> subtypes = subtypes_of(pump_events(150), list);
    ASSERT_FALSE(subtypes.empty());
    EXPECT_EQ(subtypes.front(), SUBTYPE_CHANGED);
    EXPECT_EQ(std::count(subtypes.begin(), subtypes.end(), SUBTYPE_CHANGED), 1);
    EXPECT_NE(std::find(subtypes.begin(), subtypes.end(), SUBTYPE_CLICK), subtypes.end());
    EXPECT_EQ(gadget_get_state(list), 2);
    EXPECT_EQ(GetPropW(native, L"KW_LastSelected"), reinterpret_cast<HANDLE>(3));
}

TEST_F(ListTest, GridLinesAreDrawnOverTheRows) {
    RECT row{};
    row.left = LVIR_BOUNDS;
    SendMessageW(native, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row));
    UpdateWindow(native);
    RedrawWindow(native, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    HDC dc = GetDC(native);
    const COLORREF grid = GetSysColor(COLOR_BTNFACE);
    // Inside the empty frequency cell of row 0, on its last pixel line.
    EXPECT_EQ(GetPixel(dc, 100, row.bottom - 1), grid);
    EXPECT_NE(GetPixel(dc, 100, row.bottom - 4), grid);
    // The column boundary after "NumCh" (60 pixels wide).
    EXPECT_EQ(GetPixel(dc, 59, row.bottom + 5), grid);
    ReleaseDC(native, dc);
}
