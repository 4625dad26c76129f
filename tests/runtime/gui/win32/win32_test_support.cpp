#include "win32_test_support.h"

namespace {

class ToolkitEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        static char name[] = "gui_win32_test";
        static char *args[] = {name, nullptr};
        runtime_start(1, args);
    }
};

[[maybe_unused]] ::testing::Environment *const environment =
    ::testing::AddGlobalTestEnvironment(new ToolkitEnvironment);

struct DialogSearch {
    const wchar_t *class_name;
    HWND found;
};

BOOL CALLBACK match_dialog(HWND window, LPARAM data) {
    auto *search = reinterpret_cast<DialogSearch *>(data);
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    if (IsWindowVisible(window) && lstrcmpW(name, search->class_name) == 0) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

} // namespace

bool is_toolkit_event(std::int32_t code) { return code >= EVENT_GADGET && code <= EVENT_RESIZED; }

HWND find_thread_window(DWORD thread, const wchar_t *class_name) {
    DialogSearch search{class_name, nullptr};
    EnumThreadWindows(thread, match_dialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::thread act_on_dialog(DWORD thread, std::function<void(HWND)> act) {
    return std::thread([thread, act = std::move(act)] {
        for (int i = 0; i < 1000; ++i) {
            if (HWND dialog = find_thread_window(thread, L"#32770")) {
                Sleep(100); // let the dialog finish setting itself up
                act(dialog);
                return;
            }
            Sleep(10);
        }
    });
}

void click_dialog_button(HWND dialog, int id) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void ToolkitWindow::SetUp() {
    window = window_open(ANY, 0, 0, 530, 310, u"Kalvo 1.03", EDITOR_WINDOW_FLAGS);
    ASSERT_NE(window, 0);
    hwnd = static_cast<HWND>(window_native_handle(window));
    ASSERT_NE(hwnd, nullptr);
    drain_events();
}

void ToolkitWindow::TearDown() {
    window_close(window);
    drain_events();
}
