// The toolkit suites are written once for both back-ends against these: the
// user's input through the native controls, and what the controls show, read
// back from GTK (toolkit_view_gtk.cpp) or with Win32 messages
// (win32/toolkit_view_win32.cpp). Each part starts the runtime once.
#pragma once

#include "gui/gui.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// Events as event_wait_timeout hands them out.
struct SeenEvent {
    std::int32_t code;
    std::intptr_t object;
    std::intptr_t subtype;
    bool operator==(const SeenEvent &) const = default;
};
// Runs the event loop for about ms milliseconds and returns the toolkit events seen.
std::vector<SeenEvent> pump_events(int ms);
// Fetches and drops everything queued or pending.
void drain_events();
// Sub-types of one gadget's events, and the events of one code, among those seen.
std::vector<std::intptr_t> subtypes_of(const std::vector<SeenEvent> &events, std::intptr_t gadget);
std::vector<SeenEvent> events_with_code(const std::vector<SeenEvent> &events, std::int32_t code);
// Whether a code event_wait_timeout returned is a toolkit event (not a Win32 message).
bool is_toolkit_event(std::int32_t code);

// The sub-type of a user's change (text typed, another row chosen, a box checked).
inline constexpr std::intptr_t CHANGED = 0x300;
// The flags of the editor's main window.
inline constexpr std::int32_t EDITOR_WINDOW =
    WINDOW_SYSTEM_MENU | WINDOW_MINIMIZE_GADGET | WINDOW_SCREEN_CENTERED;

// ---- the user's input ----
void click(ObjectId button);
// Types the characters at the end of the field's text (UTF-8).
void type_into(ObjectId field, const std::string &text);
// A left click on the row's second cell.
void click_row(ObjectId list, int row);
void press_close_box(ObjectId window);

// ---- what the window shows ----
struct Rect {
    int x, y, width, height;
};
struct WindowLook {
    std::string title;
    Rect frame;        // on the screen, decorations included
    int width, height; // the client area
    bool sizeable, minimise_box, maximise_box;
};
WindowLook look_of(ObjectId window);
Rect screen_size();
// Whether the window is on screen and takes input.
bool window_usable(ObjectId window);

// ---- what a gadget shows ----
// A button's caption, a label, a field's text, the chosen item of a combo.
std::string shown_text(ObjectId gadget);
bool is_enabled(ObjectId gadget);
// The name a screen reader announces for a control.
std::string name_read_aloud(ObjectId gadget);

// A small image of the toolkit's own kind, and whether a list row shows it.
void *test_image();
bool row_shows_image(ObjectId list, int row);
// A list's cells as drawn, joined by "|" ("" for a row that is not there).
std::string shown_row(ObjectId list, int row);
std::vector<int> selected_rows(ObjectId list);
// The first and last row in view.
std::pair<int, int> rows_in_view(ObjectId list);

// The progress the window's status bar shows in its first field, 0 ... 1.
double progress_shown(ObjectId window);

// ---- requesters ----
struct DialogSeen {
    std::string title, text; // a message's text
    bool yes_no = false;     // offers Yes and No
    bool file_requester = false;
    std::string file_name; // a file requester's name box and filter
    std::string filter;
    bool in_front = false; // Win32: kept above every other window
};
enum class Reply { ok, yes, no, cancel };
// How a requester is answered once up for after_ms: file is the name to choose
// in a file requester (in the scratch folder, or a whole path).
struct DialogAnswer {
    Reply reply = Reply::ok;
    std::string file;
    int after_ms = 0;
};
// From now on every requester, whichever thread asked for it, is answered with
// what decide (run on the answering thread) returns for what it shows; one
// left without an answer is offered again. The event loop must be served.
void answer_every_dialog(std::function<std::optional<DialogAnswer>(const DialogSeen &)> decide);
// Answers the next requester to show up (answer_every_dialog answering once).
void answer_next_dialog(Reply reply, std::string file = "", int after_ms = 0);
// Waits for that answer to have been given and returns what was shown.
DialogSeen answered_dialog();
int dialogs_showing();
// For the back-ends: an answered requester has gone.
void dialog_answered(const DialogSeen &seen);

// A path in the test program's scratch folder, made an empty file if asked.
std::string scratch_path(const std::string &name, bool create = false);
// A file name that is hard on the toolkit: on GTK bytes that are no UTF-8.
std::string unusual_file_name();
WideText native_name(const std::string &path);
std::string from_native_name(const WideText &name);
