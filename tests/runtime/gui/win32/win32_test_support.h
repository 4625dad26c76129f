// Helpers for the Win32 toolkit suites: the runtime is started once per
// program; events are pumped through event_wait like the editor does.
#pragma once

#include "event_pump.h"
#include "win32_private.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <thread>
#include <vector>

// The control behind a gadget.
inline HWND control(ObjectId gadget) { return static_cast<HWND>(gadget_native_handle(gadget)); }
// A visible top-level window of the thread with the class name, or null.
HWND find_thread_window(DWORD thread, const wchar_t *class_name);
// Starts a thread that waits (at most 10 s) for a dialog of that thread to
// appear and calls act(dialog) on it.
std::thread act_on_dialog(DWORD thread, std::function<void(HWND)> act);
// Posts a click on a dialog's button.
void click_dialog_button(HWND dialog, int id);

// A fresh editor-like window per test: 530 x 310, caption, system menu,
// minimise box, centred; it is the gadget list.
class ToolkitWindow : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    ObjectId window = 0;
    HWND hwnd = nullptr;
};

inline constexpr std::int32_t EDITOR_WINDOW_FLAGS = 0xCA0001;
