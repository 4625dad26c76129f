// The files chosen in the last accepted file requester, shared by both
// back-ends: the requester returns the first, requester_next_file the others
// in turn. Any thread may use it: a worker's requester runs on the worker.
#pragma once

#include "core/core.h"

#include <vector>

// Forgets the previous requester's files.
void chosen_files_clear();
// Keeps the names and returns the first, empty when there is none.
WideText chosen_files_keep(std::vector<WideText> names);
