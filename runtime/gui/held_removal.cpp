// The removal a worker thread holds back until its next toolkit call (see
// gui_handover.h), shared by both back-ends.
#include "gui/gui_handover.h"

namespace {

// Carries out a removal still held when its thread ends: the thread made no
// toolkit call after it, so nothing else would.
struct HeldSlot {
    HeldRemoval removal;
    ~HeldSlot() {
        if (const HeldRemoval held = std::exchange(removal, {}))
            on_gui_thread([&] { held.carry_out(); });
    }
};

thread_local HeldSlot slot;

} // namespace

bool hold_removal(const HeldRemoval &removal) {
    if (gui_thread_is_current())
        return false;
    if (const HeldRemoval earlier = std::exchange(slot.removal, {}))
        on_gui_thread([&] { earlier.carry_out(); });
    slot.removal = removal;
    return true;
}

HeldRemoval take_held_removal() { return std::exchange(slot.removal, {}); }

HeldRemoval take_held_removal_of(std::intptr_t gadget, std::intptr_t item) {
    if (slot.removal.gadget != gadget || slot.removal.item != item)
        return {};
    return take_held_removal();
}
