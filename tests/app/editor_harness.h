// The editor in the test process on the build's real toolkit: start-up, the
// event loop in slices, the user's input through the toolkit's own controls
// (editor_harness_gtk.cpp, win32/) and answers to its requesters. With the
// toolkit view the suites are written once for both toolkits.
#pragma once

#include "kalvo.h"
#include "radios.h"
#include "toolkit_view.h"

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

// app_start and the requester answering; called once per process.
void harness_start();
// Serves events with the editor's dispatch_event until done() or timeout_ms;
// returns done().
bool run_events_until(const std::function<bool()> &done, int timeout_ms);
inline void run_events_for(int ms) {
    run_events_until([] { return false; }, ms);
}

void choose_item(std::intptr_t combo, int index); // -1: none
// Picks the port_combo item with this name; false when it is not listed.
bool choose_port(const std::string &name);
void type_text(std::intptr_t field, const std::string &text); // replaces the text
// Puts text on the clipboard and pastes it into the emptied field, as Ctrl+V.
void paste_text(std::intptr_t field, const std::string &text);
void select_row(int row); // a click on the row

// The combo's items, and the list's row as "7|7050000|CW |ATT".
std::vector<std::string> combo_items(std::intptr_t combo);
inline std::string row(int r) { return shown_row(app.channel_list, r); }
int selected_row();

// A requester's title and text as the user saw it ("file chooser" for a file requester).
using Seen = std::pair<std::string, std::string>;
// Answers taken in order by the next file requesters and questions: a path
// chosen (then reply is not used), or Cancel, Yes, No (Cancel: Escape, the
// close box). Error messages are answered with OK.
void queue_answer(Reply reply, const std::string &path = "");
std::vector<Seen> take_seen();
// Serves events until count requesters were answered (or timeout_ms); then
// takes them all.
std::vector<Seen> seen_after(std::size_t count, int timeout_ms = 15000);
