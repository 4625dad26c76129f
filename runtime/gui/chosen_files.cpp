#include "internal/chosen_files.h"

#include "gui/gui.h"

#include <mutex>
#include <utility>

namespace {

// A worker's requester runs on the worker's own thread: the list is shared.
std::mutex chosen_lock;
std::vector<WideText> chosen;       // guarded by chosen_lock
std::size_t next_chosen = 0;        // guarded by chosen_lock

} // namespace

void chosen_files_clear() {
    std::lock_guard<std::mutex> hold(chosen_lock);
    chosen.clear();
    next_chosen = 0;
}

WideText chosen_files_keep(std::vector<WideText> names) {
    std::lock_guard<std::mutex> hold(chosen_lock);
    chosen = std::move(names);
    next_chosen = 0;
    return chosen.empty() ? WideText() : chosen[next_chosen++];
}

// Past the last file the list is dropped: every later call answers empty.
WideText requester_next_file() {
    std::lock_guard<std::mutex> hold(chosen_lock);
    if (next_chosen >= chosen.size()) {
        chosen.clear();
        next_chosen = 0;
        return WideText();
    }
    return chosen[next_chosen++];
}
