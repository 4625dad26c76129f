// Command-line options of the virtual transceiver.
#pragma once

#include <string>

namespace vtrx {

// Misbehaviour on request, so the editor's error paths can be exercised.
// Every fault applies to the commands after the first `after` ones.
struct Faults {
    int after = 0;
    bool silent = false;         // answer no memory read
    int reply_length = 50;       // 49 or 51 make a reply of the wrong size
    bool stray_byte = false;     // one extra byte ahead of each reply
    bool garbage_digits = false; // non-digits among the frequency digits
    int reply_delay_ms = 0;      // wait this long before replying
    bool hangup = false;         // close the line instead of handling the command
    int reopen_ms = -1;          // after a hang-up, open a new line this much later
    bool refuse_input = false;   // the line takes no byte from the program at all
};

struct Options {
    std::string load_path; // start from this .mem file
    std::string save_path; // rewrite this .mem file after each memory write
    std::string link_path; // symbolic link to the line's device
    int baud = 9600;       // 0: no pacing
    Faults faults;
    bool help = false;
};

// Parses argv; on a bad option writes a message into error and returns false.
bool parse_options(int argc, char **argv, Options &options, std::string &error);
void print_help(const char *program);

} // namespace vtrx
