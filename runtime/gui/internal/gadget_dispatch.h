// Reaching a gadget's record on the event-loop thread, shared by both
// back-ends. Included by each back-end's private header once its
// GadgetRecord, GadgetClass and gadget_lookup are declared.
#pragma once

#include "internal/gui_handover.h"

#include <utility>

// Looks the gadget up on the event-loop thread and runs fn with its record;
// the empty value when the gadget is not in use.
template <class Fn>
auto on_gadget(ObjectId gadget, Fn &&fn) -> decltype(fn(std::declval<GadgetRecord *>())) {
    return on_record(gadget_lookup, gadget, fn);
}

// Same, for a kind's operation: the empty value when the kind has none.
template <class Slot, class Fn>
auto with_gadget(ObjectId gadget, Slot GadgetClass::*slot, Fn &&fn)
    -> decltype(fn(std::declval<GadgetRecord *>())) {
    using Result = decltype(fn(std::declval<GadgetRecord *>()));
    return on_gadget(gadget, [&](GadgetRecord *record) -> Result {
        return record->gadget_class->*slot ? fn(record) : Result();
    });
}
