// Helpers for the Win32 toolkit suites: the runtime is started once per
// program; events are pumped through event_wait like the editor does.
#pragma once

#include "win32_private.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <thread>
#include <vector>

struct SeenEvent {
    std::int32_t code;
    std::intptr_t object;
    std::intptr_t subtype;
};

// Runs the message loop for about ms milliseconds; the toolkit events seen.
std::vector<SeenEvent> pump_events(int ms);
// Fetches and drops everything queued or pending.
void drain_events();
// Gadget events of one gadget among the events seen.
std::vector<std::intptr_t> subtypes_of(const std::vector<SeenEvent> &events, std::intptr_t gadget);
std::vector<SeenEvent> events_with_code(const std::vector<SeenEvent> &events, std::int32_t code);

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
