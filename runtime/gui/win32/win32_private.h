// Shared inside the Win32 back-end only: records, operation tables, event
// codes and the hand-over of calls to the thread that owns the windows.
#pragma once

#include "internal/event_queue.h"
#include "gui/gui.h"
#include "internal/gui_handover.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <functional>

#include <commctrl.h>

#include <cstdint>
#include <string>
#include <utility>

// ---------------------------------------------------------------------------
// Event codes and gadget sub-types of this back-end
// ---------------------------------------------------------------------------
inline constexpr std::int32_t EVENT_ACTIVATED = 13104;
inline constexpr std::int32_t EVENT_MINIMIZED = 13107;
inline constexpr std::int32_t EVENT_MAXIMIZED = 13108;
inline constexpr std::int32_t EVENT_RESTORED = 13109;
inline constexpr std::int32_t EVENT_TIMER = 13110;
inline constexpr std::int32_t EVENT_RIGHT_CLICK = 13111;
inline constexpr std::int32_t EVENT_LEFT_CLICK = 13112;
inline constexpr std::int32_t EVENT_LEFT_DOUBLE_CLICK = 13113;
inline constexpr std::int32_t EVENT_DEACTIVATED = 13114;
inline constexpr std::int32_t EVENT_REPAINT = 13115;
inline constexpr std::int32_t EVENT_MOVED = 13117;
inline constexpr std::int32_t EVENT_RESIZED = 13118;

inline constexpr std::intptr_t SUBTYPE_CLICK = 0;
inline constexpr std::intptr_t SUBTYPE_RIGHT_CLICK = 1;
inline constexpr std::intptr_t SUBTYPE_DOUBLE_CLICK = 2;
inline constexpr std::intptr_t SUBTYPE_RIGHT_DOUBLE_CLICK = 3;
inline constexpr std::intptr_t SUBTYPE_CHANGED = 768;
inline constexpr std::intptr_t SUBTYPE_FOCUS_IN = 14000;
inline constexpr std::intptr_t SUBTYPE_FOCUS_OUT = 14001;
inline constexpr std::intptr_t SUBTYPE_DRAG = 14002;

// Accelerator commands of every window: Tab and Shift+Tab.
inline constexpr WORD COMMAND_FOCUS_NEXT = 64001;
inline constexpr WORD COMMAND_FOCUS_PREVIOUS = 64002;

// A gadget's message handler returns this when it leaves the message alone.
inline constexpr LRESULT NOT_HANDLED = static_cast<LRESULT>(0xD0D0D0D1u);

// ---------------------------------------------------------------------------
// Hand-over of calls to the thread that owns the windows
// ---------------------------------------------------------------------------
// (internal/gui_handover.h): calls travel as WM_KW_CALL to the post-event
// window, whose handler of a handed-over call (lParam) this is.
void gui_thread_run_posted(LPARAM call);
inline constexpr UINT WM_KW_CALL = WM_APP + 1;
// The post-event window's handler of a call to run later (lParam).
void gui_thread_start_later(HWND window, LPARAM call);
inline constexpr UINT WM_KW_LATER = WM_APP + 2;

// Holds a slim lock for a scope.
class SlimLock {
public:
    explicit SlimLock(SRWLOCK &lock) : lock_(lock) { AcquireSRWLockExclusive(&lock_); }
    ~SlimLock() { ReleaseSRWLockExclusive(&lock_); }
    SlimLock(const SlimLock &) = delete;
    SlimLock &operator=(const SlimLock &) = delete;

private:
    SRWLOCK &lock_;
};

// ---------------------------------------------------------------------------
// Text helpers: WideText and the system's wide strings are both UTF-16.
// ---------------------------------------------------------------------------
inline const wchar_t *wide(const WideText &text) {
    return reinterpret_cast<const wchar_t *>(text.c_str());
}
inline WideText from_wide(const wchar_t *text) {
    return text ? WideText(reinterpret_cast<const char16_t *>(text)) : WideText();
}
// The window text of any window.
WideText window_text(HWND hwnd);

// ---------------------------------------------------------------------------
// Event queue
// ---------------------------------------------------------------------------
void event_system_init();
void event_system_shutdown();
HWND post_event_window();

// ---------------------------------------------------------------------------
// Windows
// ---------------------------------------------------------------------------
struct WindowRecord {
    HWND handle;                // non-null while open
    ACCEL *accelerator_entries; // heap array of accelerator_count entries
    HACCEL accelerator_table;
    std::int32_t accelerator_count;
    std::int32_t iconic;     // set while minimised or maximised
    std::int32_t ready;      // 0 while window_open runs
    WindowCallback callback; // sees the window's messages first; null for none
    HBRUSH background;       // paints the client area; null for the class's own
    std::int32_t min_width, min_height, max_width, max_height; // client limits, 0 = none
};

// window_extras.cpp: the window's hook, background and size limits.
WindowCallback window_callback_of(WindowRecord *record);
bool window_paint_background(WindowRecord *record, HDC dc);
void window_track_limits(WindowRecord *record, MINMAXINFO *limits);
void window_release_extras(WindowRecord *record);

void window_system_init();
// Number of the toolkit window hwnd is or lies in, -1 when none.
ObjectId window_number_of(HWND hwnd);
WindowRecord *window_lookup(ObjectId window);
LRESULT default_window_message(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);

// Keyboard: the accelerator table for the active window (null: none applies),
// focus movement for Tab and Shift+Tab, and the focus cues.
HACCEL dispatch_accelerators(HWND active);
void focus_step(bool backward);
void keyboard_cues(HWND window, bool show);

// ---------------------------------------------------------------------------
// Gadgets
// ---------------------------------------------------------------------------
struct GadgetRecord;

// Operation table of one gadget kind: the kind number and the table size,
// then 39 slots in fixed order, null where the kind has no such operation.
// No operation of gui.h dispatches to slot 11 (resize), so every kind leaves
// it null.
using UnusedSlot = void (*)();
using Item = std::intptr_t;
struct GadgetClass {
    std::int32_t kind{};
    std::int32_t size{};
    LRESULT (*message)(GadgetRecord *, HWND parent, UINT, WPARAM, LPARAM){};     // 1
    void (*release)(GadgetRecord *){};                                           // 2
    std::intptr_t (*get_state)(GadgetRecord *){};                                // 3
    void (*set_state)(GadgetRecord *, std::intptr_t){};                          // 4
    WideText (*get_text)(GadgetRecord *){};                                      // 5
    void (*set_text)(GadgetRecord *, const WideText &){};                        // 6
    std::intptr_t (*add_item)(GadgetRecord *, Item, const WideText &, HANDLE){}; // 7
    std::intptr_t (*add_item_flags)(GadgetRecord *, Item, const WideText &, HANDLE,
                                    std::int32_t){};                               // 8
    void (*remove_item)(GadgetRecord *, Item){};                                   // 9
    void (*clear_items)(GadgetRecord *){};                                         // 10
    UnusedSlot resize{};                                                           // 11
    std::intptr_t (*count_items)(GadgetRecord *){};                                // 12
    std::intptr_t (*get_item_state)(GadgetRecord *, Item){};                       // 13
    void (*set_item_state)(GadgetRecord *, Item, std::intptr_t){};                 // 14
    WideText (*get_item_text)(GadgetRecord *, Item, std::int32_t){};               // 15
    void (*set_item_text)(GadgetRecord *, Item, const WideText &, std::int32_t){}; // 16
    UnusedSlot slot_17{}, slot_18{}, slot_19{}, slot_20{}, slot_21{}, slot_22{};   // 17-22
    std::intptr_t (*add_column)(GadgetRecord *, std::int32_t, const WideText &,
                                std::int32_t){};                                             // 23
    void (*remove_column)(GadgetRecord *, std::int32_t){};                                   // 24
    std::intptr_t (*get_attribute)(GadgetRecord *, std::int32_t){};                          // 25
    void (*set_attribute)(GadgetRecord *, std::int32_t, std::intptr_t){};                    // 26
    std::intptr_t (*get_item_attribute)(GadgetRecord *, Item, std::int32_t, std::int32_t){}; // 27
    void (*set_item_attribute)(GadgetRecord *, Item, std::int32_t, std::intptr_t,
                               std::int32_t){};                                               // 28
    void (*set_color)(GadgetRecord *, std::int32_t, std::int32_t){};                          // 29
    std::int32_t (*get_color)(GadgetRecord *, std::int32_t){};                                // 30
    void (*set_item_color)(GadgetRecord *, Item, std::int32_t, std::int32_t, std::int32_t){}; // 31
    std::int32_t (*get_item_color)(GadgetRecord *, Item, std::int32_t, std::int32_t){};       // 32
    void (*set_item_data)(GadgetRecord *, Item, std::int32_t){};                              // 33
    std::int32_t (*get_item_data)(GadgetRecord *, Item){};                                    // 34
    UnusedSlot required_size{};      // 35: measured by gadget_width/height (mode 1) for every kind
    UnusedSlot slot_36{}, slot_37{}; // 36-37
    void (*set_font)(GadgetRecord *, HFONT){};              // 38
    void (*set_item_image)(GadgetRecord *, Item, HANDLE){}; // 39
};
static_assert(sizeof(GadgetClass) == 8 + 39 * sizeof(void *));

struct GadgetRecord {
    HWND handle; // the control; non-null while the gadget lives
    const GadgetClass *gadget_class;
    std::intptr_t reserved;
    WNDPROC previous;      // the control's procedure before gadget_procedure
    std::intptr_t word[4]; // per-kind state, kind words 1 to 4: see kind_word
};

// A record's kind word by its number (1 to 4), and what each kind keeps there.
inline std::intptr_t &kind_word(GadgetRecord *record, int number) {
    return record->word[number - 1];
}
inline constexpr int IMAGE_COMBO_WORD = 1;       // combo: non-zero for an image combo
inline constexpr int COMBO_IMAGES_WORD = 2;      // image combo: its image list
inline constexpr int LIST_LONGEST_WORD = 1;      // list: longest cell text ever set
inline constexpr int LIST_GRID_COLOUR_WORD = 3;  // list: grid colour (-1 = button face)
inline constexpr int LIST_FLAGS_WORD = 4;        // list: its own flags, LIST_* bits below
inline constexpr int BACKGROUND_COLOUR_WORD = 1; // kinds with colours: background
inline constexpr int TEXT_COLOUR_WORD = 2;       // kinds with colours: text colour
inline constexpr int BRUSH_WORD = 3;             // kinds with colours: background brush

void gadget_system_init();
void common_controls_register();
GadgetRecord *gadget_lookup(ObjectId gadget);
// The gadget whose control hwnd is, or null.
GadgetRecord *gadget_of_control(HWND hwnd);
// Creation path shared by all kinds: the control is created in the current
// gadget list and registered; null when there is no list or no control.
GadgetRecord *gadget_create(ObjectId number, ObjectId *id, const GadgetClass *gadget_class,
                            const wchar_t *class_name, const WideText &text, DWORD style,
                            DWORD extended_style, std::int32_t x, std::int32_t y,
                            std::int32_t width, std::int32_t height);
std::intptr_t gadget_result(ObjectId number, ObjectId id, GadgetRecord *record);
// Hands a parent's WM_COMMAND or WM_NOTIFY to the gadget of control; NOT_HANDLED
// when it is no gadget or leaves the message alone.
LRESULT gadget_message(HWND control, HWND parent, UINT message, WPARAM wparam, LPARAM lparam);
void gadget_post_event(HWND control, std::intptr_t subtype);
// Replaces a list row in place, leaving it as removing it and adding text at
// its index would, but with its selection and focus and the list's scroll
// position untouched. False (nothing done) for another kind or a missing row.
bool list_replace_item(GadgetRecord *record, std::intptr_t row, const WideText &text);
LRESULT CALLBACK gadget_procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
// Drops the gadget list of a window being destroyed.
void gadget_list_forget(HWND window);
HFONT gadget_default_font();

#include "internal/gadget_dispatch.h"

// A list's own flags, and its rows and columns.
inline constexpr std::intptr_t LIST_TEXT_COLOUR_SET = 0x1;
inline constexpr std::intptr_t LIST_BACKGROUND_SET = 0x2;
inline constexpr std::intptr_t LIST_HAS_GRID_LINES = 0x4;
inline constexpr std::intptr_t LIST_THREE_STATE = 0x8;
inline std::intptr_t &list_flags(GadgetRecord *record) {
    return kind_word(record, LIST_FLAGS_WORD);
}
inline int list_row_count(HWND list) {
    return static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
}
inline bool list_valid_row(HWND list, std::intptr_t row) {
    return row >= 0 && row < list_row_count(list);
}
inline int list_column_count(HWND list) {
    HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    return header ? static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
}
// Draws a list's grid lines over its rows (list_grid.cpp): the answer to
// its NM_CUSTOMDRAW.
LRESULT list_custom_draw(GadgetRecord *record, NMLVCUSTOMDRAW *draw);
// Row geometry a list measured, kept until its font changes.
inline constexpr wchar_t LIST_RECT_TOP_PROPERTY[] = L"KW_RectTop";
inline constexpr wchar_t LIST_RECT_BOTTOM_PROPERTY[] = L"KW_RectBottom";

// Window properties: a window's number (+ 1) and the control that had the
// focus when it was deactivated.
inline constexpr wchar_t WINDOW_ID_PROPERTY[] = L"KW_WindowID";
inline constexpr wchar_t FOCUS_PROPERTY[] = L"KW_Focus";
inline void window_post(std::int32_t code, std::intptr_t object, ObjectId window) {
    event_records_post(code, object, window, 0, nullptr, nullptr, 0);
}
// Every numbered window's procedure (window_procedure.cpp), and the rest of a
// window's end once it is destroyed: everything it held, and its number.
LRESULT CALLBACK window_procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
void window_destroyed(HWND hwnd, WindowRecord *record, ObjectId id);

// Texts as the kinds' operations take them: as they are.
inline const WideText &kind_text(const WideText &text) { return text; }
// A kind without text operations shows its control's window text.
inline WideText gadget_plain_text(GadgetRecord *record) { return window_text(record->handle); }
inline void gadget_set_plain_text(GadgetRecord *record, const WideText &text) {
    SetWindowTextW(record->handle, wide(text));
}
// What adding a list row answers, also when a held removal's row is replaced.
inline constexpr std::intptr_t ROW_ADDED = 0;

// Combo boxes (combo_items.cpp): image combos ("ComboBoxEx32", kind word 1
// set) keep their items' images in an image list (kind word 2); the item
// operations beyond the ones the editor uses.
bool is_image_combo(GadgetRecord *record);
void image_combo_insert(GadgetRecord *record, Item position, const WideText &text, HANDLE image);
WideText combo_item_text(GadgetRecord *record, Item item);
void combo_release(GadgetRecord *record);
void combo_clear(GadgetRecord *record);
std::intptr_t combo_count(GadgetRecord *record);
void combo_set_item_text(GadgetRecord *record, Item item, const WideText &text,
                         std::int32_t column);
void combo_set_item_data(GadgetRecord *record, Item item, std::int32_t data);
std::int32_t combo_get_item_data(GadgetRecord *record, Item item);
void combo_set_font(GadgetRecord *record, HFONT font);
void combo_set_item_image(GadgetRecord *record, Item item, HANDLE image);
void combo_apply_closed_height(HWND combo, int height);
// The item images of a combo or list (kind word 2): a bitmap or an icon is
// added and its index returned, -1 when it could not be; released with the
// gadget.
HIMAGELIST gadget_images(GadgetRecord *record);
int gadget_image_add(GadgetRecord *record, HANDLE image);
void gadget_images_release(GadgetRecord *record);

// Lists (list_items.cpp): the operations beyond the ones the editor uses,
// and what list_icon.cpp hands them.
// The list operations both back-ends have take texts and images as these.
using ItemText = const WideText &;
using ItemImage = HANDLE;
#include "internal/list_operations.h"
// Piece n of the line-feed separated text goes to column start + n; returns
// the column after the last piece.
int list_set_cells(GadgetRecord *record, int row, int start, const WideText &text);
int list_image_index(GadgetRecord *record, HANDLE image);
void list_row_deleted(const NMLISTVIEW *row);
void list_column_inserted(GadgetRecord *record, int column);
LRESULT list_colour_draw(GadgetRecord *record, NMLVCUSTOMDRAW *draw);
void list_add_third_state(GadgetRecord *record);

// Colours of text and string gadgets (colour.cpp): kind word 1 background,
// 2 text colour (-1 = default), 3 the background brush. The message handler
// answers the parent's WM_CTLCOLOR* messages for the control.
void colour_words_init(GadgetRecord *record);
LRESULT colour_message(GadgetRecord *record, HWND parent, UINT message, WPARAM wparam,
                       LPARAM lparam);
void colour_release(GadgetRecord *record);
void colour_set(GadgetRecord *record, std::int32_t type, std::int32_t colour);
std::int32_t colour_get(GadgetRecord *record, std::int32_t type);

// Common-controls version (major * 65536 + minor) and whether visual styles
// are in force; measured once.
struct CommonControls {
    std::int32_t version;
    bool visual_styles;
};
CommonControls common_controls_check();

// ---------------------------------------------------------------------------
// Status bars and requesters
// ---------------------------------------------------------------------------
void statusbar_system_init();
// The parent window's messages a status bar needs: resizes and owner drawing.
void statusbar_parent_message(HWND parent, UINT message, WPARAM wparam, LPARAM lparam,
                              LRESULT *result);
void requester_system_init();
// The owner of a requester: the foreground window when it is one of ours.
HWND requester_owner();
// Around every requester: the calling thread's other visible windows are
// disabled and lose their topmost place until the requester is gone.
void modal_begin();
void modal_end();
// Ends the requesters shown on other threads (their answer becomes 0).
void requester_dismiss_pending();
// Shows a requester on the calling worker thread: only that thread waits
// for it, and a shut-down ends its loop. False when shut-down began, so the
// answer counts for nothing.
bool run_modal_on_worker(const std::function<void()> &show);

// File requester text, built for the dialog: "Name|*.ext|..." with every
// "|" turned into a zero unit and at least two zero units at the end.
std::wstring file_filter_text(const WideText &pattern);
// Splits a default file into initial directory and file name.
struct DefaultFile {
    std::wstring directory;
    std::wstring name;
};
DefaultFile split_default_file(const WideText &file);
