// What kalvo-mem needs of its platform: its arguments as texts, Ctrl+C, and
// the standard streams as a console program uses them.
#pragma once

#include "core/core.h"

#include <cstdio>
#include <vector>

// The arguments after the program's name; file and port names keep every
// character they have on the system.
std::vector<WideText> command_arguments(int argc, char **argv);

// From now on Ctrl+C (and on POSIX a SIGTERM) no longer ends the program but
// sets interrupted(), so that an exchange can end cleanly.
void catch_interrupts();
bool interrupted();

bool is_terminal(std::FILE *stream);
// Bytes reach the stream as they are: no line-end translation.
void binary_output(std::FILE *stream);
