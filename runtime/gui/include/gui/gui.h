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
inline constexpr std::int32_t WINDOW_PARENT_CENTERED = 0x2;
inline constexpr std::int32_t WINDOW_SIZEABLE = 0x40000;       // WS_THICKFRAME
inline constexpr std::int32_t WINDOW_INVISIBLE = 0x10000000;
// window_set_state: the same bits that open a window maximised or minimised.
inline constexpr std::int32_t WINDOW_STATE_MAXIMIZED = 0x1000000;
inline constexpr std::int32_t WINDOW_STATE_MINIMIZED = 0x20000000;

inline constexpr std::int32_t STRING_READ_ONLY = 0x800;
inline constexpr std::int32_t STRING_NUMERIC = 0x2000;

inline constexpr std::int32_t LIST_ICON_GRID_LINES = 0x10000;
inline constexpr std::int32_t LIST_ICON_FULL_ROW_SELECT = 0x40000000;
inline constexpr std::int32_t LIST_ICON_CHECK_BOXES = 0x1;
// The third state of check boxes; alone, without check boxes, it does nothing.
inline constexpr std::int32_t LIST_ICON_THIRD_STATE = 0x40;
inline constexpr std::int32_t LIST_ICON_THREE_STATE = LIST_ICON_CHECK_BOXES | LIST_ICON_THIRD_STATE;
inline constexpr std::int32_t LIST_ICON_MULTIPLE_SELECTION = 0x4;
inline constexpr std::int32_t COMBO_EDITABLE = 0x2;
inline constexpr std::int32_t COMBO_IMAGES = 0x10000000;

inline constexpr std::int32_t REQUESTER_ERROR = 16;      // error icon, OK
inline constexpr std::int32_t REQUESTER_QUESTION = 52;   // warning icon, Yes and No
#else
inline constexpr std::int32_t EVENT_MENU = 1;
inline constexpr std::int32_t EVENT_CLOSE_WINDOW = 2;
inline constexpr std::int32_t EVENT_GADGET = 3;

inline constexpr std::int32_t WINDOW_SYSTEM_MENU = 0x4;
inline constexpr std::int32_t WINDOW_MINIMIZE_GADGET = 0x20;
inline constexpr std::int32_t WINDOW_SCREEN_CENTERED = 0x40;
inline constexpr std::int32_t WINDOW_PARENT_CENTERED = 0x100;
inline constexpr std::int32_t WINDOW_SIZEABLE = 0x2;
inline constexpr std::int32_t WINDOW_INVISIBLE = 0x1;
inline constexpr std::int32_t WINDOW_STATE_MAXIMIZED = 512;
inline constexpr std::int32_t WINDOW_STATE_MINIMIZED = 1024;

inline constexpr std::int32_t STRING_READ_ONLY = 0x2;
inline constexpr std::int32_t STRING_NUMERIC = 0x10;

inline constexpr std::int32_t LIST_ICON_GRID_LINES = 0x4;
// GTK lists always select whole rows: no bit asks for it.
inline constexpr std::int32_t LIST_ICON_FULL_ROW_SELECT = 0;
inline constexpr std::int32_t LIST_ICON_CHECK_BOXES = 0x2;
// The third state of check boxes; alone, without check boxes, it does nothing.
inline constexpr std::int32_t LIST_ICON_THIRD_STATE = 0x8;
inline constexpr std::int32_t LIST_ICON_THREE_STATE = LIST_ICON_CHECK_BOXES | LIST_ICON_THIRD_STATE;
inline constexpr std::int32_t LIST_ICON_MULTIPLE_SELECTION = 0x1;
inline constexpr std::int32_t COMBO_EDITABLE = 0x1;
inline constexpr std::int32_t COMBO_IMAGES = 0x8;
// A string gadget that offers its items as completions while the user types.
inline constexpr std::int32_t STRING_COMPLETION = 0x40;

inline constexpr std::int32_t REQUESTER_ERROR = 8;
inline constexpr std::int32_t REQUESTER_QUESTION = 17;
#endif

inline constexpr std::int32_t WINDOW_STATE_NORMAL = 0;

// requester_open_file_ex: let the user choose several files.
inline constexpr std::int32_t REQUESTER_MULTIPLE_FILES = 0x1;

// Post flags of event_post_full.
inline constexpr std::uint32_t EVENT_POST_WHILE_SUSPENDED = 0x1; // even while suspended
inline constexpr std::uint32_t EVENT_POST_ALWAYS_APPEND = 0x2;   // even a repeat of the newest

inline constexpr std::intptr_t REQUESTER_ANSWER_YES = 6;
inline constexpr std::intptr_t REQUESTER_ANSWER_NO = 7;

// Gadget kinds
inline constexpr std::int32_t GADGET_BUTTON = 1;
inline constexpr std::int32_t GADGET_STRING = 2;
inline constexpr std::int32_t GADGET_TEXT = 3;
inline constexpr std::int32_t GADGET_COMBO = 8;
inline constexpr std::int32_t GADGET_LIST_ICON = 12;

// ---------------------------------------------------------------------------
// Start-up and shut-down of the toolkit: event queue, windows, gadgets,
// requesters and status bars, and back. runtime_start (start/start.h) calls
// them with the other layers'; the calling thread owns every window.
// ---------------------------------------------------------------------------
void gui_init(int argc, char **argv);
void gui_shutdown();
// From now on calls from other threads return at once and any requester such
// a thread is waiting on is dismissed (answer 0). Call before waiting for
// worker threads at exit.
void toolkit_shutdown_begin();

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
// As event_post, with a payload the event owns (release is called with it
// when the event stops being current or is purged) and post flags.
void event_post_full(std::int32_t type, std::intptr_t object, std::intptr_t window,
                     std::intptr_t subtype, void *payload, void (*release)(void *),
                     std::uint32_t flags);
// Makes the oldest queued event current without running the event loop;
// returns its code, 0 when the queue is empty.
std::int32_t event_fetch();
// Code of the current event (0 after a fetch that found nothing).
std::int32_t event_type_current();
// Payload of the current event, null when it has none.
void *event_payload();
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
// As window_open, with a parent (native window, null for none) the window
// stays in front of and can be centred on (WINDOW_PARENT_CENTERED).
std::intptr_t window_open_child(ObjectId number, std::int32_t x, std::int32_t y,
                                std::int32_t width, std::int32_t height, const WideText &title,
                                std::int32_t flags, void *parent);
void *window_native_handle(ObjectId window);
// WINDOW_STATE_MAXIMIZED, WINDOW_STATE_MINIMIZED, anything else restores.
void window_set_state(ObjectId window, std::int32_t state);
// Client-size limits for a sizeable window; 0 leaves a limit out.
void window_set_size_limits(ObjectId window, std::int32_t min_width, std::int32_t min_height,
                            std::int32_t max_width, std::int32_t max_height);
// Background colour 0xBBGGRR of the window's gadget area; -1 = the theme's.
void window_set_color(ObjectId window, std::int32_t colour);
#if defined(_WIN32)
// A hook that sees a window's messages before the toolkit does; whatever it
// returns other than WINDOW_CALLBACK_PASS answers the message. Window ANY
// sets the hook of every window that has none of its own; null removes it.
using WindowCallback = std::intptr_t (*)(void *hwnd, std::uint32_t message, std::uintptr_t wparam,
                                         std::intptr_t lparam);
inline constexpr std::intptr_t WINDOW_CALLBACK_PASS = static_cast<std::intptr_t>(0xE0E0E0E1u);
void window_set_callback(ObjectId window, WindowCallback callback);
// A notification icon whose callback message is WM_TRAY_ICON on a toolkit
// window reports its clicks as EVENT_TRAY_ICON (object = icon identifier,
// sub-type 0 left, 1 right, 2 left double, 3 right double click).
inline constexpr std::uint32_t WM_TRAY_ICON = 12501;
inline constexpr std::int32_t EVENT_TRAY_ICON = 13102;
#endif
void window_close(ObjectId window);
void window_close_all();

// ---------------------------------------------------------------------------
// Gadgets
// ---------------------------------------------------------------------------
std::intptr_t gadget_create_button(ObjectId number, std::int32_t x, std::int32_t y,
                                   std::int32_t width, std::int32_t height,
                                   const WideText &text, std::int32_t flags = 0);
// The full form of gadget_create_button, flags always given.
std::intptr_t gadget_create_button_ex(ObjectId number, std::int32_t x, std::int32_t y,
                                      std::int32_t width, std::int32_t height,
                                      const WideText &text, std::int32_t flags);
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
// Names a control after a text gadget of the same window, for screen readers:
// the control is announced by the label's text (its position on screen says
// nothing to assistive technology). Done once, after both exist.
void gadget_set_label(ObjectId gadget, ObjectId label);
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
// Full form: image is a native image (GdkPixbuf* or HBITMAP/HICON) or null;
// flags are the new item's state as gadget_set_item_state takes it (lists).
std::intptr_t gadget_add_item(ObjectId gadget, std::intptr_t position, const WideText &text,
                              void *image, std::int32_t flags);
void gadget_remove_item(ObjectId gadget, std::intptr_t item);
WideText gadget_get_item_text(ObjectId gadget, std::intptr_t item, std::int32_t column = 0);
std::intptr_t gadget_add_column(ObjectId gadget, std::int32_t position, const WideText &title,
                                std::int32_t width);
// Fonts: a PangoFontDescription*, which the gadget copies, or an HFONT,
// which the caller keeps alive while gadgets use it. Gadget ANY sets the font
// of gadgets created from now on; a null font returns to the default.
void gadget_set_font(ObjectId gadget, void *font);
// The gadget's font, valid while the gadget lives and its font is unchanged.
void *gadget_get_font(ObjectId gadget);
// Colours 0xBBGGRR; GADGET_COLOR_DEFAULT (-1) returns to the toolkit's own.
inline constexpr std::int32_t GADGET_COLOR_TEXT = 1;
inline constexpr std::int32_t GADGET_COLOR_BACKGROUND = 2;
inline constexpr std::int32_t GADGET_COLOR_DEFAULT = -1;
void gadget_set_color(ObjectId gadget, std::int32_t type, std::int32_t colour);
std::int32_t gadget_get_color(ObjectId gadget, std::int32_t type);

// Item operations of the kinds that have items (combo, list, string with a
// completion list). Item states: ITEM_SELECTED, ITEM_CHECKED and, for lists
// with three-state check boxes, ITEM_INCONSISTENT.
inline constexpr std::intptr_t ITEM_SELECTED = 0x1;
inline constexpr std::intptr_t ITEM_CHECKED = 0x2;
inline constexpr std::intptr_t ITEM_INCONSISTENT = 0x4;
void gadget_give_focus(ObjectId gadget);
void gadget_clear_items(ObjectId gadget);
std::intptr_t gadget_count_items(ObjectId gadget);
std::intptr_t gadget_get_item_state(ObjectId gadget, std::intptr_t item);
void gadget_set_item_state(ObjectId gadget, std::intptr_t item, std::intptr_t state);
// Item -1 sets a list column's header; a list's column 0 takes the whole
// row's text, line feeds separating the cells.
void gadget_set_item_text(ObjectId gadget, std::intptr_t item, const WideText &text,
                          std::int32_t column = 0);
void gadget_set_item_data(ObjectId gadget, std::intptr_t item, std::int32_t data);
std::int32_t gadget_get_item_data(ObjectId gadget, std::intptr_t item);
// image as for gadget_add_item; null removes it.
void gadget_set_item_image(ObjectId gadget, std::intptr_t item, void *image);
// Item -1 colours every row, column -1 every column.
void gadget_set_item_color(ObjectId gadget, std::intptr_t item, std::int32_t type,
                           std::int32_t colour, std::int32_t column = -1);
std::int32_t gadget_get_item_color(ObjectId gadget, std::intptr_t item, std::int32_t type,
                                   std::int32_t column = 0);
// Attributes: GADGET_ATTRIBUTE_MAX_LENGTH of a string gadget, the column count
// of a list; item attribute LIST_ATTRIBUTE_COLUMN_WIDTH of a list column
// (a width below 1 hides the column).
inline constexpr std::int32_t GADGET_ATTRIBUTE_MAX_LENGTH = 1;
inline constexpr std::int32_t LIST_ATTRIBUTE_COLUMN_COUNT = 3;
inline constexpr std::int32_t LIST_ATTRIBUTE_COLUMN_WIDTH = 1;
std::intptr_t gadget_get_attribute(ObjectId gadget, std::int32_t attribute);
void gadget_set_attribute(ObjectId gadget, std::int32_t attribute, std::intptr_t value);
std::intptr_t gadget_get_item_attribute(ObjectId gadget, std::intptr_t item,
                                        std::int32_t attribute, std::int32_t column);
void gadget_set_item_attribute(ObjectId gadget, std::intptr_t item, std::int32_t attribute,
                               std::intptr_t value, std::int32_t column);
// -1 removes every column.
void gadget_remove_column(ObjectId gadget, std::int32_t column);

// Size in pixels as placed; with mode 1 the size the gadget's content needs.
std::int32_t gadget_width(ObjectId gadget, std::int32_t mode = 0);
std::int32_t gadget_height(ObjectId gadget, std::int32_t mode = 0);
// Number of the toolkit window a native control lies in, -1 when none.
ObjectId gadget_window_of(void *native);
// Makes the native window's gadget area the place new gadgets go and returns
// the previous one; null only returns the current one.
void *gadget_list_use(void *window);

// ---------------------------------------------------------------------------
// Status bar
// ---------------------------------------------------------------------------
std::intptr_t statusbar_create(ObjectId number, void *window);
void statusbar_add_field(std::int32_t width);
void statusbar_progress(ObjectId statusbar, std::int32_t field, std::int32_t value);
void statusbar_progress_ex(ObjectId statusbar, std::int32_t field, std::int32_t value,
                           std::int32_t flags, std::int32_t min, std::int32_t max);
// statusbar_progress_ex border flags (else sunken).
inline constexpr std::int32_t STATUSBAR_BORDER_RAISED = 0x1;
inline constexpr std::int32_t STATUSBAR_BORDER_NONE = 0x2;
// The field shows an image (GdkPixbuf*, or HBITMAP/HICON; the caller keeps
// it alive) instead of text or progress; null clears the field. Flags: border
// as statusbar_progress_ex, STATUSBAR_IMAGE_CENTRED or _RIGHT placement.
inline constexpr std::int32_t STATUSBAR_IMAGE_CENTRED = 0x4;
inline constexpr std::int32_t STATUSBAR_IMAGE_RIGHT = 0x8;
void statusbar_image(ObjectId statusbar, std::int32_t field, void *image, std::int32_t flags);
void statusbar_free(ObjectId statusbar);

// ---------------------------------------------------------------------------
// Requesters
// ---------------------------------------------------------------------------
std::intptr_t requester_message(const WideText &title, const WideText &text,
                                std::int32_t flags = 0);
WideText requester_open_file(const WideText &title, const WideText &file, const WideText &pattern,
                             std::int32_t pattern_index);
WideText requester_save_file(const WideText &title, const WideText &file, const WideText &pattern,
                             std::int32_t pattern_index);
// With REQUESTER_MULTIPLE_FILES several files may be chosen: the first is
// returned, requester_next_file returns the others in turn, then empty.
WideText requester_open_file_ex(const WideText &title, const WideText &file,
                                const WideText &pattern, std::int32_t pattern_index,
                                std::int32_t flags);
WideText requester_next_file();
std::int32_t requester_selected_pattern();
