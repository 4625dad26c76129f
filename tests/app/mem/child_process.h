// kalvo-mem as a user runs it: a child process with its own arguments and
// its output kept.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

struct Outcome {
    int status = -1; // the exit status; -1 when it did not start or end normally
    std::string out;
    std::string err; // with "\n" line ends on every system
};

// Runs program with arguments; its output goes to files in folder.
Outcome run_program(const std::string &program, const std::vector<std::string> &arguments,
                    const std::filesystem::path &folder);
