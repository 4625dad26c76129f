// kalvo-mem as a user runs it: a child process with its own arguments, its
// output kept, and Ctrl+C pressed on request.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

struct Outcome {
    int status = -1; // the exit status; -1 when it did not end within a minute
    std::string out;
    std::string err;
};

// Runs program with arguments in folder (its output goes to files there);
// with interrupt_ms >= 0 it gets Ctrl+C that many milliseconds after its start.
Outcome run_program(const std::string &program, const std::vector<std::string> &arguments,
                    const std::filesystem::path &folder, int interrupt_ms = -1);
