// Runs the Windows editor inside a test process: its start-up and its event
// loop in slices, its own controls driven with the messages a user's input
// produces, and a helper thread that answers the dialogs it opens.
#pragma once

#include "app/kalvo.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

// What the transceivers of the test run hold (see with_radios.sh).
struct RadioSetup {
    std::filesystem::path folder; // radio.mem and COMn.mem
    std::vector<std::string> ports;
    std::vector<std::string> absent_ports;
};
// From the environment; empty ports when the test runs without transceivers.
RadioSetup radio_setup();
std::string read_file(const std::filesystem::path &path);
// Waits at most timeout_ms for the file to hold exactly these bytes.
bool wait_for_file(const std::filesystem::path &path, const std::string &bytes, int timeout_ms);

// One .mem record and its row as the editor shows it.
struct MemRecord {
    std::int32_t frequency;
    char mode;
    char preatt;
};
MemRecord record_at(const std::string &mem, int channel);
std::string shown_row(int channel, const MemRecord &record);
std::string mem_bytes(const std::vector<MemRecord> &records);

// runtime_start and app_start once, and the dialog helper thread.
void driver_start();
// Serves events with dispatch_event until done() or timeout_ms; returns done().
bool run_events_until(const std::function<bool()> &done, int timeout_ms);
void run_events_for(int ms);

HWND control(std::intptr_t gadget);
void click(std::intptr_t button);
void choose_item(std::intptr_t combo, int index);
// Picks the port_combo item with this name; false when it is not listed.
bool choose_port(const std::string &name);
void type_text(std::intptr_t field, const std::string &text);
void select_row(int row);

std::string shown_text(HWND window);
// The tests' texts are ASCII: one byte per code unit.
std::string ascii_text(const wchar_t *text);
std::vector<std::string> combo_items(std::intptr_t combo);
int combo_selection(std::intptr_t combo);
// The combo's shown item, "" when none is chosen.
std::string combo_text(std::intptr_t combo);
int row_count();
int selected_row();
// The row's four cells joined by "|".
std::string row(int r);
// How full the progress bar of a status bar is, in percent (read from the
// bar's control, or from the pixels where the toolkit draws it itself).
int progress_percent(HWND status_bar);
// That of the editor's status bar.
int progress_position();

// Serves events until the exchange the click started has ended; false when
// it did not start or did not end within timeout_ms.
bool run_exchange(std::intptr_t button, int timeout_ms);

// A dialog as the helper thread found it: title and message text, or
// "file dialog" for a file dialog.
struct SeenDialog {
    std::string title;
    std::string text;
    bool operator==(const SeenDialog &) const = default;
};
// Answers for the next dialogs, taken in order: a file name for a file
// dialog ("" cancels), IDYES or IDNO for a question. Error messages are
// answered with OK.
void queue_file_answer(const std::string &name);
void queue_question_answer(int answer);
std::vector<SeenDialog> take_seen_dialogs();
// While held, message boxes stay on screen unanswered.
void hold_messages(bool hold);
bool message_on_screen(const std::string &text);
