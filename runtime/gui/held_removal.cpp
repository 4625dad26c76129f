// The removal a worker thread holds back until its next toolkit call (see
// gui_handover.h), shared by both back-ends.
#include "internal/gui_handover.h"

#include "core/core.h"

namespace {

thread_local HeldRemoval held;

// A thread that ends holding a removal made no toolkit call after it, so
// nothing else would carry it out.
void carry_out_on_thread_end() {
    if (const HeldRemoval removal = std::exchange(held, {}))
        on_gui_thread([&] { removal.carry_out(); });
}

} // namespace

void held_removal_init() { thread_set_end_hook(carry_out_on_thread_end); }

bool hold_removal(const HeldRemoval &removal) {
    if (gui_thread_is_current())
        return false;
    if (const HeldRemoval earlier = std::exchange(held, {}))
        on_gui_thread([&] { earlier.carry_out(); });
    held = removal;
    return true;
}

HeldRemoval take_held_removal() { return std::exchange(held, {}); }

HeldRemoval take_held_removal_of(std::intptr_t gadget, std::intptr_t item) {
    if (held.gadget != gadget || held.item != item)
        return {};
    return take_held_removal();
}
