// The removal a worker thread holds back until its next toolkit call (see
// gui_handover.h), shared by both back-ends.
#include "internal/gui_handover.h"

#include "core/core.h"

#include <atomic>
#include <memory>

namespace {

// One held removal, shared by the thread that made it and the event loop's
// later turn; whichever claims it first carries it out, so it happens once.
struct HeldSlot {
    HeldRemoval removal;
    std::atomic<bool> claimed{false};

    HeldRemoval claim() { return claimed.exchange(true) ? HeldRemoval{} : removal; }
};
using SharedSlot = std::shared_ptr<HeldSlot>;

thread_local SharedSlot held;

// The grace is over and no call of the worker took the removal: the event
// loop carries it out itself.
void carry_out_late(void *context) {
    const std::unique_ptr<SharedSlot> slot(static_cast<SharedSlot *>(context));
    (*slot)->claim().carry_out();
}

// A thread that ends holding a removal made no toolkit call after it; carry it
// out now rather than after the grace.
void carry_out_on_thread_end() {
    if (const HeldRemoval removal = take_held_removal())
        on_gui_thread([&] { removal.carry_out(); });
}

} // namespace

void held_removal_init() { thread_set_end_hook(carry_out_on_thread_end); }

bool hold_removal(const HeldRemoval &removal) {
    if (gui_thread_is_current())
        return false;
    if (const HeldRemoval earlier = take_held_removal())
        on_gui_thread([&] { earlier.carry_out(); });
    held = std::make_shared<HeldSlot>();
    held->removal = removal;
    run_later_on_gui_thread(carry_out_late, new SharedSlot(held));
    return true;
}

HeldRemoval take_held_removal() {
    const SharedSlot slot = std::exchange(held, {});
    return slot ? slot->claim() : HeldRemoval{};
}

HeldRemoval take_held_removal_of(std::intptr_t gadget, std::intptr_t item) {
    if (!held || held->removal.gadget != gadget || held->removal.item != item)
        return {};
    return take_held_removal();
}
