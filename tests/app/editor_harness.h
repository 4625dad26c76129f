// Runs the editor inside a test process on the real toolkit: start-up, the
// event loop in slices, clicks and typing through GTK, and a watcher that
// answers the requesters the editor opens.
#pragma once

#include "app/kalvo.h"
#include "tests/app/linked_radio.h"

#include <functional>
#include <string>
#include <vector>

struct SeenRequester {
    std::string title;
    std::string text; // message text, or "file chooser"
};

// runtime_start and app_start, once per process.
void harness_start();
// Serves events with the editor's dispatch_event until done() or timeout_ms;
// returns done(). A close event is left to the caller: it returns false.
bool run_events_until(const std::function<bool()> &done, int timeout_ms);
void run_events_for(int ms);

void click(std::intptr_t button);
void choose_combo_item(std::intptr_t combo, int index);
void type_text(std::intptr_t field, const std::string &text);
// Puts text on the clipboard and pastes it into the emptied field, as
// Ctrl+V would.
void paste_text(std::intptr_t field, const std::string &text);
void select_row(int row);
bool is_enabled(std::intptr_t gadget);
std::string cell(int row, int column);
std::string text_of(std::intptr_t gadget);
// Fraction shown by the status bar's progress bar (0 when it has none).
double progress_fraction();
// Selects the port_combo item with this name; false when it is not listed.
bool choose_port(const std::string &name);
// Every row back to the channel number alone, row 0 selected.
void reset_rows();

// Answers, taken in order by the next requesters: a file path for a file
// chooser ("" cancels), a GtkResponseType for a question. Error messages are
// answered with OK without a queued answer.
void queue_file_answer(const std::string &path);
void queue_question_answer(int response);
std::vector<SeenRequester> take_seen_requesters();
// While held, message requesters stay on screen unanswered.
void hold_messages(bool hold);
bool message_on_screen(const std::string &text);

