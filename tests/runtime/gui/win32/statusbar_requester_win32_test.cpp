// Status bar fields and progress; message and file requesters answered by a
// helper thread the way a user would; the filter and default-file rules.
#include "win32_test_support.h"

#include <algorithm>
#include <vector>

namespace {

std::vector<int> part_edges(HWND status) {
    const auto count = static_cast<int>(SendMessageW(status, SB_GETPARTS, 0, 0));
    std::vector<int> edges(static_cast<std::size_t>(count));
    SendMessageW(status, SB_GETPARTS, static_cast<WPARAM>(count),
                 reinterpret_cast<LPARAM>(edges.data()));
    return edges;
}

HWND status_window(HWND parent) {
    return FindWindowExW(parent, nullptr, STATUSCLASSNAMEW, nullptr);
}

// Share of the field's width painted in the highlight colour, in percent.
int filled_percent(HWND status) {
    RECT part{};
    SendMessageW(status, SB_GETRECT, 0, reinterpret_cast<LPARAM>(&part));
    RedrawWindow(status, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    HDC dc = GetDC(status);
    const int y = (part.top + part.bottom) / 2;
    int filled = 0;
    for (int x = part.left + 2; x < part.right - 2; ++x)
        filled += GetPixel(dc, x, y) == GetSysColor(COLOR_HIGHLIGHT);
    ReleaseDC(status, dc);
    return filled * 100 / (part.right - part.left - 4);
}

} // namespace

using StatusBarTest = ToolkitWindow;
using RequesterTest = ToolkitWindow;

TEST_F(StatusBarTest, FieldsShareTheWidthLeftByFixedOnes) {
    SetWindowPos(hwnd, nullptr, 0, 0, 500 + 2 * GetSystemMetrics(SM_CXFIXEDFRAME), 300,
                 SWP_NOMOVE | SWP_NOZORDER);
    const auto status = reinterpret_cast<HWND>(statusbar_create(4, hwnd));
    ASSERT_NE(status, nullptr);
    RECT client;
    GetClientRect(status, &client);
    const int width = client.right;
    statusbar_add_field(100);
    statusbar_add_field(NOT_GIVEN);
    statusbar_add_field(NOT_GIVEN);
    EXPECT_EQ(part_edges(status),
              (std::vector<int>{100, 100 + (width - 100) / 2, 100 + 2 * ((width - 100) / 2)}));
    statusbar_free(4);
    EXPECT_FALSE(IsWindow(status));
    EXPECT_EQ(statusbar_create(ANY, nullptr), 0);
}

TEST_F(StatusBarTest, ProgressFillsItsShareAndBadFieldsDoNothing) {
    ASSERT_NE(statusbar_create(0, hwnd), 0);
    statusbar_add_field(530);
    HWND status = status_window(hwnd);
    statusbar_progress(0, 0, 0);
    HWND bar = FindWindowExW(status, nullptr, PROGRESS_CLASSW, nullptr);
    const bool themed = common_controls_check().visual_styles;
    EXPECT_EQ(bar != nullptr, themed);
    const struct {
        int value;
        int low, high; // expected filled share in percent
    } steps[] = {{0, 0, 0}, {-5, 0, 0}, {50, 45, 55}, {100, 97, 100}, {150, 97, 100}};
    for (const auto &step : steps) {
        statusbar_progress(0, 0, step.value);
        if (themed) {
            EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), std::clamp(step.value, 0, 100));
        } else {
            const int filled = filled_percent(status);
            EXPECT_TRUE(filled >= step.low && filled <= step.high)
                << step.value << " filled " << filled;
        }
    }
    statusbar_progress_ex(0, 0, 30, 0, 20, 40); // limits replaced: half full
    if (!themed) {
        const int filled = filled_percent(status);
        EXPECT_TRUE(filled >= 45 && filled <= 55) << filled;
    }
    // An empty or reversed range: empty up to the minimum, full beyond it.
    const struct {
        int value, minimum, maximum;
        bool full;
    } ranges[] = {{5, 10, 10, false}, {10, 10, 10, false}, {15, 10, 10, true}, {15, 20, 10, false}};
    for (const auto &range : ranges) {
        statusbar_progress_ex(0, 0, range.value, 0, range.minimum, range.maximum);
        int filled = filled_percent(status);
        if (themed) {
            PBRANGE shown{};
            SendMessageW(bar, PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&shown));
            filled = 100 * (static_cast<int>(SendMessageW(bar, PBM_GETPOS, 0, 0)) - shown.iLow) /
                     (shown.iHigh > shown.iLow ? shown.iHigh - shown.iLow : 1);
        }
        EXPECT_TRUE(range.full ? filled >= 97 : filled == 0) << range.value << " " << range.minimum << " " << filled;
    }
    statusbar_progress(0, 1, 50); // beyond the last field
    statusbar_progress(0, 1000000, 50);
    statusbar_progress(0, -1, 50);
    statusbar_progress(9, 0, 50); // no such status bar
    EXPECT_EQ(SendMessageW(status, SB_GETPARTS, 0, 0), 1);
}

TEST_F(RequesterTest, MessageAnswersComeBackAsWindowsReturnsThem) {
    std::thread ok =
        act_on_dialog(GetCurrentThreadId(), [](HWND box) { click_dialog_button(box, IDOK); });
    EXPECT_EQ(requester_message(u"Error", u"TRX not responding!", REQUESTER_ERROR), IDOK);
    ok.join();
    std::thread no =
        act_on_dialog(GetCurrentThreadId(), [](HWND box) { click_dialog_button(box, IDNO); });
    EXPECT_EQ(requester_message(u"", u"File exists, replace?", REQUESTER_QUESTION),
              REQUESTER_ANSWER_NO);
    no.join();
    std::thread yes =
        act_on_dialog(GetCurrentThreadId(), [](HWND box) { click_dialog_button(box, IDYES); });
    EXPECT_EQ(requester_message(u"", u"File exists, replace?", REQUESTER_QUESTION),
              REQUESTER_ANSWER_YES);
    yes.join();
    // Whatever the box disabled meanwhile is usable again.
    EXPECT_TRUE(IsWindowEnabled(hwnd));
}

TEST_F(RequesterTest, FilterTextAndDefaultFileFollowTheDialogsRules) {
    const std::wstring filter = file_filter_text(u"Memory (*.mem)|*.mem;");
    EXPECT_EQ(filter, std::wstring(L"Memory (*.mem)\0*.mem;\0\0", 23));
    EXPECT_EQ(file_filter_text(u""), std::wstring(L"\0\0", 2));
    DefaultFile split = split_default_file(u"C:\\radio\\sets\\field.mem");
    EXPECT_EQ(split.directory, L"C:\\radio\\sets");
    EXPECT_EQ(split.name, L"field.mem");
    split = split_default_file(u"\\field.mem"); // a leading backslash does not split
    EXPECT_EQ(split.directory, L"");
    EXPECT_EQ(split.name, L""); // and a name with "\" is no file name
    split = split_default_file(u"C:\\radio\\what?.mem");
    EXPECT_EQ(split.directory, L"C:\\radio");
    EXPECT_EQ(split.name, L"");
    split = split_default_file(u"plain.mem");
    EXPECT_EQ(split.name, L"plain.mem");
    split = split_default_file(WideText(300, u'a'));
    EXPECT_EQ(split.name.size(), 259u);
}

TEST_F(RequesterTest, FileRequesterStartsInTheDefaultFolderWithTheNameAndFilter) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    std::wstring folder(temp);
    if (!folder.empty() && folder.back() == L'\\')
        folder.pop_back();
    const WideText default_file = from_wide((folder + L"\\channels.mem").c_str());
    std::wstring shown_name, shown_filter;
    std::thread accept = act_on_dialog(GetCurrentThreadId(), [&](HWND dialog) {
        wchar_t text[MAX_PATH] = {};
        HWND name = GetDlgItem(dialog, 0x47C); // the file name box
        GetWindowTextW(name, text, MAX_PATH);
        shown_name = text;
        GetWindowTextW(GetDlgItem(dialog, 0x470), text, MAX_PATH); // the filter box
        shown_filter = text;
        click_dialog_button(dialog, IDOK);
    });
    const WideText chosen = requester_save_file(u"Please choose file to save", default_file,
                                                u"Memory (*.mem)|*.mem;", 0);
    accept.join();
    EXPECT_EQ(shown_name, L"channels.mem");
    EXPECT_EQ(shown_filter, L"Memory (*.mem)");
    EXPECT_EQ(chosen, default_file);
    EXPECT_EQ(requester_selected_pattern(), 0);

    std::thread cancel = act_on_dialog(GetCurrentThreadId(),
                                       [](HWND dialog) { click_dialog_button(dialog, IDCANCEL); });
    EXPECT_EQ(requester_open_file(u"Please choose file to load", u"", u"Memory (*.mem)|*.mem;", 0),
              u"");
    cancel.join();
}
