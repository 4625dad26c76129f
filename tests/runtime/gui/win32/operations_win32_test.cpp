// The toolkit's operations beyond the editor's on Win32, kind by kind: each is
// called through the public header and its effect is read back from the
// controls with their own messages.
#include "win32_test_support.h"

#include <commdlg.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using OperationsTest = ToolkitWindow;

namespace {

RECT outer_rect(HWND hwnd) {
    RECT rect;
    GetWindowRect(hwnd, &rect);
    return rect;
}

// The colours the window's answer to a control's WM_CTLCOLOR* leaves in a DC.
struct AskedColours {
    COLORREF text;
    COLORREF background;
};
AskedColours ask_colours(HWND parent, HWND child, UINT message) {
    HDC dc = CreateCompatibleDC(nullptr);
    SendMessageW(parent, message, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(child));
    const AskedColours asked{GetTextColor(dc), GetBkColor(dc)};
    DeleteDC(dc);
    return asked;
}

// The colours a list row's cell is drawn in, asked as the list asks its parent.
COLORREF cell_text_colour(HWND parent, HWND list, int row, int column) {
    NMLVCUSTOMDRAW draw{};
    draw.nmcd.hdr.hwndFrom = list;
    draw.nmcd.hdr.idFrom = static_cast<UINT_PTR>(GetWindowLongPtrW(list, GWLP_ID));
    draw.nmcd.hdr.code = NM_CUSTOMDRAW;
    draw.nmcd.dwItemSpec = static_cast<DWORD_PTR>(row);
    LVITEMW item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    draw.nmcd.lItemlParam = item.lParam;
    draw.nmcd.dwDrawStage = CDDS_ITEMPREPAINT;
    const LRESULT wants = SendMessageW(parent, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&draw));
    if (!(wants & CDRF_NOTIFYSUBITEMDRAW))
        return CLR_DEFAULT;
    draw.nmcd.dwDrawStage = CDDS_SUBITEM | CDDS_ITEMPREPAINT;
    draw.iSubItem = column;
    SendMessageW(parent, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&draw));
    return draw.clrText;
}

std::intptr_t answer_private(void *, std::uint32_t message, std::uintptr_t, std::intptr_t) {
    return message == WM_APP + 7 ? 1234 : WINDOW_CALLBACK_PASS;
}

void release_count(void *counter) { ++*static_cast<int *>(counter); }

} // namespace

TEST_F(OperationsTest, EventsPostedWithPayloadsFromAnyThread) {
    int released = 0;
    std::thread worker([&] { event_post_full(EVENT_MENU, 9, window, 3, &released, release_count, 0); });
    worker.join();
    const std::vector<SeenEvent> seen = events_with_code(pump_events(100), EVENT_MENU);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].object, 9);
    EXPECT_EQ(event_type_current(), 0);   // the pump fetched past it
    EXPECT_EQ(released, 1);
    event_post_full(41, 0, window, 0, nullptr, nullptr, 0);
    EXPECT_EQ(event_fetch(), 41);
    EXPECT_EQ(event_type_current(), 41);
}

TEST_F(OperationsTest, ChildWindowStateHookBackgroundAndLimits) {
    SetWindowPos(hwnd, nullptr, 100, 80, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    const ObjectId child = window_open_child(ANY, 0, 0, 200, 100, u"child",
                                             WINDOW_PARENT_CENTERED | WS_CAPTION, hwnd);
    HWND child_hwnd = static_cast<HWND>(window_native_handle(child));
    ASSERT_NE(child_hwnd, nullptr);
    EXPECT_EQ(GetWindow(child_hwnd, GW_OWNER), hwnd);
    const RECT parent_rect = outer_rect(hwnd), child_rect = outer_rect(child_hwnd);
    EXPECT_EQ(child_rect.left, parent_rect.left + (parent_rect.right - parent_rect.left -
                                                   (child_rect.right - child_rect.left)) / 2);
    window_close(child);
    // The child was the gadget list; with it gone there is none until chosen.
    EXPECT_EQ(gadget_list_use(nullptr), nullptr);
    EXPECT_EQ(gadget_list_use(hwnd), nullptr);

    window_set_state(window, WINDOW_STATE_MINIMIZED);
    EXPECT_TRUE(IsIconic(hwnd));
    window_set_state(window, WINDOW_STATE_NORMAL);
    EXPECT_FALSE(IsIconic(hwnd));

    window_set_callback(window, answer_private);
    EXPECT_EQ(SendMessageW(hwnd, WM_APP + 7, 0, 0), 1234);
    window_set_callback(window, nullptr);
    EXPECT_EQ(SendMessageW(hwnd, WM_APP + 7, 0, 0), 0);

    window_set_color(window, 0x00FF00);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP canvas = CreateCompatibleBitmap(screen, 600, 400);
    SelectObject(dc, canvas);
    EXPECT_EQ(SendMessageW(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0), 1);
    EXPECT_EQ(GetPixel(dc, 5, 5), RGB(0, 255, 0));
    DeleteDC(dc);
    DeleteObject(canvas);
    ReleaseDC(nullptr, screen);

    window_set_size_limits(window, 300, 200, 0, 0);
    MINMAXINFO limits{};
    SendMessageW(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    RECT frame{0, 0, 300, 200};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE)), FALSE, 0);
    EXPECT_EQ(limits.ptMinTrackSize.x, frame.right - frame.left);
    EXPECT_EQ(limits.ptMinTrackSize.y, frame.bottom - frame.top);

    drain_events();
    SendMessageW(hwnd, WM_TRAY_ICON, 5, WM_RBUTTONDOWN);
    SendMessageW(hwnd, WM_TRAY_ICON, 5, WM_MOUSEMOVE);   // not reported
    const std::vector<SeenEvent> tray = events_with_code(pump_events(50), EVENT_TRAY_ICON);
    ASSERT_EQ(tray.size(), 1u);
    EXPECT_EQ(tray[0].object, 5);
    EXPECT_EQ(tray[0].subtype, 1);

    EXPECT_EQ(gadget_list_use(nullptr), hwnd);
    int stranger = 0;
    EXPECT_EQ(gadget_list_use(&stranger), hwnd);
    window_set_state(4711, WINDOW_STATE_MAXIMIZED);
    window_set_color(4711, 0);
}

TEST_F(OperationsTest, ButtonFontsAndSizes) {
    const ObjectId box = gadget_create_button_ex(ANY, 10, 10, 60, 24, u"Box", BS_AUTOCHECKBOX);
    EXPECT_EQ(GetWindowLongPtrW(control(box), GWL_STYLE) & 0xF, BS_AUTOCHECKBOX);
    EXPECT_EQ(gadget_window_of(control(box)), window);
    HFONT big = CreateFontW(-30, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Arial");
    gadget_set_font(box, big);
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(control(box), WM_GETFONT, 0, 0)), big);
    EXPECT_EQ(gadget_get_font(box), big);
    EXPECT_EQ(gadget_width(box), 60);
    EXPECT_EQ(gadget_height(box), 24);
    EXPECT_GT(gadget_height(box, 1), 24);   // a 30-pixel font needs more
    gadget_set_font(ANY, big);
    const ObjectId later = gadget_create_text(ANY, 10, 50, 60, 20, u"later");
    gadget_set_font(ANY, nullptr);
    const ObjectId plain = gadget_create_text(ANY, 10, 80, 60, 20, u"plain");
    EXPECT_EQ(gadget_get_font(later), big);
    EXPECT_EQ(gadget_get_font(plain), gadget_default_font());
    gadget_free(later);
    gadget_set_font(box, nullptr);
    DeleteObject(big);
    EXPECT_EQ(gadget_width(4711, 1), 0);
}

TEST_F(OperationsTest, TextAndStringColoursLimitAndRequiredSizes) {
    const ObjectId label = gadget_create_text(ANY, 10, 10, 40, 20, u"a text much longer than forty");
    const ObjectId field = gadget_create_string(ANY, 10, 40, 100, 22, u"");
    EXPECT_EQ(gadget_get_color(label, GADGET_COLOR_TEXT), GADGET_COLOR_DEFAULT);
    gadget_set_color(label, GADGET_COLOR_TEXT, 0x0000FF);
    gadget_set_color(label, GADGET_COLOR_BACKGROUND, 0x00FF00);
    AskedColours asked = ask_colours(hwnd, control(label), WM_CTLCOLORSTATIC);
    EXPECT_EQ(asked.text, RGB(255, 0, 0));
    EXPECT_EQ(asked.background, RGB(0, 255, 0));
    gadget_set_color(field, GADGET_COLOR_BACKGROUND, 0x123456);
    EXPECT_EQ(ask_colours(hwnd, control(field), WM_CTLCOLOREDIT).background, RGB(0x56, 0x34, 0x12));
    EXPECT_EQ(gadget_get_color(field, GADGET_COLOR_BACKGROUND), 0x123456);
    gadget_set_color(label, GADGET_COLOR_TEXT, GADGET_COLOR_DEFAULT);
    gadget_set_color(label, GADGET_COLOR_BACKGROUND, GADGET_COLOR_DEFAULT);
    asked = ask_colours(hwnd, control(label), WM_CTLCOLORSTATIC);
    EXPECT_EQ(asked.text, GetSysColor(COLOR_WINDOWTEXT));

    gadget_set_attribute(field, GADGET_ATTRIBUTE_MAX_LENGTH, 3);
    EXPECT_EQ(SendMessageW(control(field), EM_GETLIMITTEXT, 0, 0), 3);
    EXPECT_EQ(gadget_get_attribute(field, GADGET_ATTRIBUTE_MAX_LENGTH), 3);
    SendMessageW(control(field), WM_CHAR, L'1', 0);
    SendMessageW(control(field), WM_CHAR, L'2', 0);
    SendMessageW(control(field), WM_CHAR, L'3', 0);
    SendMessageW(control(field), WM_CHAR, L'4', 0);
    EXPECT_EQ(gadget_get_text(field), u"123");
    EXPECT_EQ(gadget_width(field, 1), 20);

    const std::int32_t one_line = gadget_width(label, 1);
    EXPECT_GT(one_line, 40);
    gadget_set_text(label, u"a");
    EXPECT_LT(gadget_width(label, 1), one_line);
}

TEST_F(OperationsTest, ComboItemsDataFontAndImageCombo) {
    const ObjectId combo = gadget_create_combo(ANY, 10, 10, 120, 24);
    gadget_add_item(combo, -1, u"one");
    gadget_add_item(combo, -1, u"two");
    EXPECT_EQ(gadget_count_items(combo), 2);
    gadget_set_item_data(combo, 1, 77);
    EXPECT_EQ(SendMessageW(control(combo), CB_GETITEMDATA, 1, 0), 77);
    gadget_set_state(combo, 1);
    gadget_set_item_text(combo, 1, u"zwei");
    EXPECT_EQ(SendMessageW(control(combo), CB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(gadget_get_text(combo), u"zwei");
    EXPECT_EQ(gadget_get_item_data(combo, 1), 77);
    HFONT big = CreateFontW(-24, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Arial");
    gadget_set_font(combo, big);
    EXPECT_EQ(outer_rect(control(combo)).bottom - outer_rect(control(combo)).top, 24);
    gadget_give_focus(combo);
    EXPECT_EQ(GetFocus(), control(combo));
    gadget_clear_items(combo);
    EXPECT_EQ(SendMessageW(control(combo), CB_GETCOUNT, 0, 0), 0);

    const ObjectId images = gadget_create_combo(ANY, 10, 50, 120, 24, COMBO_IMAGES);
    wchar_t name[32] = {};
    GetClassNameW(control(images), name, 32);
    EXPECT_STREQ(name, WC_COMBOBOXEXW);
    HICON icon = LoadIconW(nullptr, IDI_INFORMATION);
    gadget_add_item(images, -1, u"plain");
    gadget_add_item(images, -1, u"with image", icon, 0);
    COMBOBOXEXITEMW item{};
    item.mask = CBEIF_IMAGE;
    item.iItem = 1;
    SendMessageW(control(images), CBEM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    EXPECT_GE(item.iImage, 0);
    EXPECT_EQ(gadget_get_item_text(images, 1), u"with image");
    gadget_set_state(images, 1);
    EXPECT_EQ(gadget_get_text(images), u"with image");
    gadget_free(combo);
    DeleteObject(big);
}

TEST_F(OperationsTest, ListCheckBoxesColoursDataAndColumns) {
    const ObjectId list = gadget_create_list_icon(ANY, 10, 10, 300, 200, u"A", 60,
                                                  LIST_ICON_THREE_STATE | LIST_ICON_MULTIPLE_SELECTION);
    HWND view = control(list);
    gadget_add_column(list, -1, u"B", 60);
    gadget_add_item(list, -1, u"a1\nb1", nullptr, ITEM_SELECTED | ITEM_CHECKED);
    gadget_add_item(list, -1, u"a2\nb2", nullptr, ITEM_INCONSISTENT);
    EXPECT_EQ(SendMessageW(view, LVM_GETITEMSTATE, 0, LVIS_SELECTED | LVIS_STATEIMAGEMASK),
              LVIS_SELECTED | INDEXTOSTATEIMAGEMASK(2));
    EXPECT_EQ(SendMessageW(view, LVM_GETITEMSTATE, 1, LVIS_STATEIMAGEMASK), INDEXTOSTATEIMAGEMASK(3));
    EXPECT_EQ(gadget_get_item_state(list, 1), ITEM_INCONSISTENT);
    auto states = reinterpret_cast<HIMAGELIST>(SendMessageW(view, LVM_GETIMAGELIST, LVSIL_STATE, 0));
    EXPECT_GE(ImageList_GetImageCount(states), 3);   // the third state has its box

    gadget_set_item_text(list, 0, u"x1\ny1");
    gadget_set_item_text(list, -1, u"Title B", 1);
    EXPECT_EQ(gadget_get_item_text(list, 0, 1), u"y1");
    EXPECT_EQ(gadget_get_item_text(list, -1, 1), u"Title B");

    gadget_set_item_color(list, 1, GADGET_COLOR_TEXT, 0x0000FF, 1);
    EXPECT_EQ(cell_text_colour(hwnd, view, 1, 1), RGB(255, 0, 0));
    EXPECT_EQ(cell_text_colour(hwnd, view, 0, 1), CLR_DEFAULT);   // no colours of its own
    EXPECT_EQ(gadget_get_item_color(list, 1, GADGET_COLOR_TEXT, 1), 0x0000FF);
    // A column put in front moves the row's colours along with its cells.
    gadget_add_column(list, 0, u"Front", 30);
    EXPECT_EQ(gadget_get_item_color(list, 1, GADGET_COLOR_TEXT, 2), 0x0000FF);
    gadget_set_color(list, GADGET_COLOR_BACKGROUND, 0x102030);
    EXPECT_EQ(SendMessageW(view, LVM_GETBKCOLOR, 0, 0), RGB(0x30, 0x20, 0x10));
    EXPECT_EQ(gadget_get_color(list, GADGET_COLOR_TEXT), GADGET_COLOR_DEFAULT);

    HICON icon = LoadIconW(nullptr, IDI_INFORMATION);
    gadget_set_item_image(list, 0, icon);
    LVITEMW item{};
    item.mask = LVIF_IMAGE;
    item.iItem = 0;
    SendMessageW(view, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    EXPECT_GE(item.iImage, 0);

    EXPECT_EQ(gadget_get_attribute(list, LIST_ATTRIBUTE_COLUMN_COUNT), 3);
    gadget_set_item_attribute(list, -1, LIST_ATTRIBUTE_COLUMN_WIDTH, 90, 1);
    EXPECT_EQ(SendMessageW(view, LVM_GETCOLUMNWIDTH, 1, 0), 90);
    EXPECT_EQ(gadget_get_item_attribute(list, -1, LIST_ATTRIBUTE_COLUMN_WIDTH, 1), 90);
    gadget_remove_column(list, 0);
    EXPECT_EQ(gadget_get_item_text(list, -1, 0), u"A");
    EXPECT_EQ(gadget_get_item_color(list, 1, GADGET_COLOR_TEXT, 1), 0x0000FF);
    gadget_clear_items(list);
    EXPECT_EQ(SendMessageW(view, LVM_GETITEMCOUNT, 0, 0), 0);
    gadget_remove_column(list, -1);
    EXPECT_EQ(gadget_get_attribute(list, LIST_ATTRIBUTE_COLUMN_COUNT), 0);
}

TEST_F(OperationsTest, SeveralFilesChosenComeOneByOne) {
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "kalvo_several";
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "a.mem").put('x');
    std::ofstream(folder / "b.mem").put('x');
    std::thread accept = act_on_dialog(GetCurrentThreadId(), [&](HWND dialog) {
        SetWindowTextW(GetDlgItem(dialog, 0x47C), L"\"a.mem\" \"b.mem\"");
        click_dialog_button(dialog, IDOK);
    });
    const std::wstring start = folder.wstring() + L"\\x.mem";
    std::vector<std::wstring> chosen;
    for (WideText name = requester_open_file_ex(u"Open", from_wide(start.c_str()), u"Memory|*.mem", 0,
                                                REQUESTER_MULTIPLE_FILES);
         !name.empty(); name = requester_next_file())
        chosen.push_back(wide(name));
    accept.join();
    EXPECT_EQ(chosen, (std::vector<std::wstring>{(folder / "a.mem").wstring(), (folder / "b.mem").wstring()}));
    EXPECT_EQ(requester_next_file(), u"");
    std::filesystem::remove_all(folder);
}

namespace {

// Whether the window answers a status field's owner-draw request itself.
LRESULT draw_status_field(HWND parent, HWND status, UINT field) {
    HDC dc = CreateCompatibleDC(nullptr);
    DRAWITEMSTRUCT item{};
    item.hwndItem = status;
    item.itemID = field;
    item.hDC = dc;
    SendMessageW(status, SB_GETRECT, field, reinterpret_cast<LPARAM>(&item.rcItem));
    const LRESULT answer = SendMessageW(parent, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&item));
    DeleteDC(dc);
    return answer;
}

} // namespace

TEST_F(OperationsTest, StatusBarImagesOnForeignWindowsAndASecondBar) {
    HICON icon = LoadIconW(nullptr, IDI_INFORMATION);
    // A window of the program's own, not of the toolkit.
    WNDCLASSW foreign_class{};
    foreign_class.lpfnWndProc = DefWindowProcW;
    foreign_class.hInstance = GetModuleHandleW(nullptr);
    foreign_class.lpszClassName = L"KalvoForeign";
    RegisterClassW(&foreign_class);
    HWND foreign = CreateWindowExW(0, L"KalvoForeign", L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                   400, 300, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    const auto bar = reinterpret_cast<HWND>(statusbar_create(31, foreign));
    ASSERT_NE(bar, nullptr);
    statusbar_add_field(100);
    statusbar_image(31, 0, icon, STATUSBAR_IMAGE_CENTRED);
    EXPECT_EQ(draw_status_field(foreign, bar, 0), 1);
    // Resized, the foreign window keeps its status bar at the bottom.
    SetWindowPos(foreign, nullptr, 0, 0, 500, 420, SWP_NOMOVE | SWP_NOZORDER);
    RECT client, status;
    GetClientRect(foreign, &client);
    GetWindowRect(bar, &status);
    MapWindowPoints(nullptr, foreign, reinterpret_cast<POINT *>(&status), 2);
    EXPECT_EQ(status.bottom, client.bottom);
    DestroyWindow(foreign);
    EXPECT_EQ(statusbar_create(32, nullptr), 0);

    // Two on one window: freeing the newer leaves the older working.
    const auto first = reinterpret_cast<HWND>(statusbar_create(33, hwnd));
    statusbar_add_field(120);
    statusbar_image(33, 0, icon, 0);
    statusbar_create(34, hwnd);
    statusbar_add_field(50);
    statusbar_free(34);
    EXPECT_EQ(draw_status_field(hwnd, first, 0), 1);
    statusbar_image(33, 0, nullptr, 0);
    EXPECT_NE(draw_status_field(hwnd, first, 0), 1);
    statusbar_image(4711, 0, icon, 0);   // names nothing
    statusbar_free(33);
}
