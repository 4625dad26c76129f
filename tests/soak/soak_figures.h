// Figures the hardening suites measure and hand to scripts/report.sh.
#pragma once

#include <cstdint>
#include <string>

// Figures of this process: resident set (from /proc/self/statm), bytes held by
// the heap (only when a sanitizer's allocator keeps count, else -1), and open
// descriptors (entries of /proc/self/fd).
std::int64_t resident_bytes();
std::int64_t heap_bytes();
int open_descriptors();
// A line "kalvo-figure <name> <value>" on standard output, for scripts/report.sh.
void print_figure(const std::string &name, std::int64_t value);
// Integer from the environment, or fallback when unset or not a number.
int environment_number(const char *name, int fallback);
