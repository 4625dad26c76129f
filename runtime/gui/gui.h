// GUI toolkit: numbered windows and gadgets, a polled event queue, a status
// bar and modal requesters. One header for both back-ends (GTK 3 and Win32);
// only the numeric constants differ, and they are chosen here.
//
// Thread rule: every operation may be called from any thread. Calls made from
// a thread other than the one running event_wait are carried out on that
// thread and return its result. Once toolkit_shutdown_begin has run, such
// calls return at once (0 or an empty text).
#pragma once

#include "core/core.h"

#include <cstdint>

#if defined(_WIN32)
inline constexpr std::int32_t EVENT_GADGET = 13100;
inline constexpr std::int32_t EVENT_MENU = 13101;
inline constexpr std::int32_t EVENT_CLOSE_WINDOW = 13116;

inline constexpr std::int32_t WINDOW_SYSTEM_MENU = 0xC80000;   // caption and system menu
inline constexpr std::int32_t WINDOW_MINIMIZE_GADGET = 0x20000;
inline constexpr std::int32_t WINDOW_SCREEN_CENTERED = 0x1;

inline constexpr std::int32_t STRING_READ_ONLY = 0x800;
inline constexpr std::int32_t STRING_NUMERIC = 0x2000;

inline constexpr std::int32_t LIST_ICON_GRID_LINES = 0x10000;
inline constexpr std::int32_t LIST_ICON_FULL_ROW_SELECT = 0x40000040;

inline constexpr std::int32_t REQUESTER_ERROR = 16;      // error icon, OK
inline constexpr std::int32_t REQUESTER_QUESTION = 52;   // warning icon, Yes and No
#else
inline constexpr std::int32_t EVENT_MENU = 1;
inline constexpr std::int32_t EVENT_CLOSE_WINDOW = 2;
inline constexpr std::int32_t EVENT_GADGET = 3;

inline constexpr std::int32_t WINDOW_SYSTEM_MENU = 0x4;
inline constexpr std::int32_t WINDOW_MINIMIZE_GADGET = 0x20;
inline constexpr std::int32_t WINDOW_SCREEN_CENTERED = 0x40;

inline constexpr std::int32_t STRING_READ_ONLY = 0x2;
inline constexpr std::int32_t STRING_NUMERIC = 0x10;

inline constexpr std::int32_t LIST_ICON_GRID_LINES = 0x4;
// GTK lists always select whole rows; the bit is kept so both builds pass the
// same flag word.
inline constexpr std::int32_t LIST_ICON_FULL_ROW_SELECT = 0x8;

inline constexpr std::int32_t REQUESTER_ERROR = 8;
inline constexpr std::int32_t REQUESTER_QUESTION = 17;
#endif

inline constexpr std::intptr_t REQUESTER_ANSWER_YES = 6;
inline constexpr std::intptr_t REQUESTER_ANSWER_NO = 7;

// Gadget kinds
inline constexpr std::int32_t GADGET_BUTTON = 1;
inline constexpr std::int32_t GADGET_STRING = 2;
inline constexpr std::int32_t GADGET_TEXT = 3;
inline constexpr std::int32_t GADGET_COMBO = 8;
inline constexpr std::int32_t GADGET_LIST_ICON = 12;

// ---------------------------------------------------------------------------
// Start-up and shut-down of the whole runtime, in the platform's fixed order
// (core, toolkit, event queue, windows, gadgets, serial ports, status bars,
// threads, files) and back.
// ---------------------------------------------------------------------------
void runtime_start(int argc, char **argv);
// From now on calls from other threads return at once and any requester such
// a thread is waiting on is dismissed (answer 0). Call before waiting for
// worker threads at exit.
void toolkit_shutdown_begin();
void runtime_stop();

// ---------------------------------------------------------------------------
// Event queue
// ---------------------------------------------------------------------------
std::int32_t event_wait();
std::int32_t event_wait_timeout(std::int32_t ms);
std::intptr_t event_gadget();
std::intptr_t event_menu();
std::intptr_t event_type();
void event_post(std::int32_t type, std::intptr_t object, std::intptr_t window,
                std::intptr_t subtype);
std::int32_t event_peek_type();
void event_queue_suspend();
void event_queue_resume();
void event_purge(std::int32_t type, std::intptr_t object, std::intptr_t window,
                 std::intptr_t subtype);
void event_purge_window(std::intptr_t window);
void toolkit_flush();

// ---------------------------------------------------------------------------
// Windows
// ---------------------------------------------------------------------------
std::intptr_t window_open(ObjectId number, std::int32_t x, std::int32_t y, std::int32_t width,
                          std::int32_t height, const WideText &title, std::int32_t flags);
void *window_native_handle(ObjectId window);
void window_close(ObjectId window);
void window_close_all();

// ---------------------------------------------------------------------------
// Gadgets
// ---------------------------------------------------------------------------
std::intptr_t gadget_create_button(ObjectId number, std::int32_t x, std::int32_t y,
                                   std::int32_t width, std::int32_t height,
                                   const WideText &text, std::int32_t flags = 0);
std::intptr_t gadget_create_text(ObjectId number, std::int32_t x, std::int32_t y,
                                 std::int32_t width, std::int32_t height, const WideText &text,
                                 std::int32_t flags = 0);
std::intptr_t gadget_create_string(ObjectId number, std::int32_t x, std::int32_t y,
                                   std::int32_t width, std::int32_t height,
                                   const WideText &text, std::int32_t flags = 0);
std::intptr_t gadget_create_combo(ObjectId number, std::int32_t x, std::int32_t y,
                                  std::int32_t width, std::int32_t height,
                                  std::int32_t flags = 0);
std::intptr_t gadget_create_list_icon(ObjectId number, std::int32_t x, std::int32_t y,
                                      std::int32_t width, std::int32_t height,
                                      const WideText &title, std::int32_t title_width,
                                      std::int32_t flags = 0);
void gadget_free(ObjectId gadget);
std::int32_t gadget_kind(ObjectId gadget);
// The main native control (GtkWidget* or HWND), null when the gadget is not in use.
void *gadget_native_handle(ObjectId gadget);
void gadget_disable(ObjectId gadget, std::int32_t state);
WideText gadget_get_text(ObjectId gadget);
void gadget_set_text(ObjectId gadget, const WideText &text);
std::intptr_t gadget_get_state(ObjectId gadget);
void gadget_set_state(ObjectId gadget, std::intptr_t state);
// position -1 appends
std::intptr_t gadget_add_item(ObjectId gadget, std::intptr_t position, const WideText &text);
void gadget_remove_item(ObjectId gadget, std::intptr_t item);
WideText gadget_get_item_text(ObjectId gadget, std::intptr_t item, std::int32_t column = 0);
std::intptr_t gadget_add_column(ObjectId gadget, std::int32_t position, const WideText &title,
                                std::int32_t width);

// ---------------------------------------------------------------------------
// Status bar
// ---------------------------------------------------------------------------
std::intptr_t statusbar_create(ObjectId number, void *window);
void statusbar_add_field(std::int32_t width);
void statusbar_progress(ObjectId statusbar, std::int32_t field, std::int32_t value);
void statusbar_progress_ex(ObjectId statusbar, std::int32_t field, std::int32_t value,
                           std::int32_t flags, std::int32_t min, std::int32_t max);
void statusbar_free(ObjectId statusbar);

// ---------------------------------------------------------------------------
// Requesters
// ---------------------------------------------------------------------------
std::intptr_t requester_message(const WideText &title, const WideText &text, std::int32_t flags);
WideText requester_open_file(const WideText &title, const WideText &file, const WideText &pattern,
                             std::int32_t pattern_index);
WideText requester_save_file(const WideText &title, const WideText &file, const WideText &pattern,
                             std::int32_t pattern_index);
std::int32_t requester_selected_pattern();
