// The common item, attribute and column operations of both back-ends: each
// looks the gadget up and dispatches through its kind's table; a change made
// by the program runs with the queue suspended so it raises no event.
#if defined(_WIN32)
#include "win32/win32_private.h"
#else
#include "gtk/gtk_private.h"
#endif

namespace {

// Calls the slot with the arguments, suspended; the empty value when the
// gadget or its kind's operation is missing.
template <class Slot, class... Args>
auto change(ObjectId gadget, Slot GadgetClass::*slot, Args... args) {
    return with_gadget(gadget, slot, [&](GadgetRecord *record) {
        return suspended([&] { return (record->gadget_class->*slot)(record, args...); });
    });
}

template <class Slot, class... Args> auto query(ObjectId gadget, Slot GadgetClass::*slot, Args... args) {
    return with_gadget(gadget, slot, [&](GadgetRecord *record) {
        return (record->gadget_class->*slot)(record, args...);
    });
}

} // namespace

// A worker's removal waits for its next toolkit call, so that a row removed
// and added again at once is replaced in place instead.
void gadget_remove_item(ObjectId gadget, std::intptr_t item) {
    auto remove = [](std::intptr_t gadget, std::intptr_t item) { change(gadget, &GadgetClass::remove_item, item); };
    if (!hold_removal({remove, gadget, item}))
        remove(gadget, item);
}

void gadget_clear_items(ObjectId gadget) { change(gadget, &GadgetClass::clear_items); }
std::intptr_t gadget_count_items(ObjectId gadget) { return query(gadget, &GadgetClass::count_items); }

std::intptr_t gadget_get_item_state(ObjectId gadget, std::intptr_t item) {
    return query(gadget, &GadgetClass::get_item_state, item);
}

void gadget_set_item_state(ObjectId gadget, std::intptr_t item, std::intptr_t state) {
    change(gadget, &GadgetClass::set_item_state, item, state);
}

void gadget_set_item_text(ObjectId gadget, std::intptr_t item, const WideText &text,
                          std::int32_t column) {
    change(gadget, &GadgetClass::set_item_text, item, text, column);
}

void gadget_set_item_data(ObjectId gadget, std::intptr_t item, std::int32_t data) {
    change(gadget, &GadgetClass::set_item_data, item, data);
}

std::int32_t gadget_get_item_data(ObjectId gadget, std::intptr_t item) {
    return query(gadget, &GadgetClass::get_item_data, item);
}

void gadget_set_item_image(ObjectId gadget, std::intptr_t item, void *image) {
    change(gadget, &GadgetClass::set_item_image, item, image);
}

void gadget_set_item_color(ObjectId gadget, std::intptr_t item, std::int32_t type,
                           std::int32_t colour, std::int32_t column) {
    change(gadget, &GadgetClass::set_item_color, item, type, colour, column);
}

std::int32_t gadget_get_item_color(ObjectId gadget, std::intptr_t item, std::int32_t type,
                                   std::int32_t column) {
    return query(gadget, &GadgetClass::get_item_color, item, type, column);
}

std::intptr_t gadget_get_attribute(ObjectId gadget, std::int32_t attribute) {
    return query(gadget, &GadgetClass::get_attribute, attribute);
}

void gadget_set_attribute(ObjectId gadget, std::int32_t attribute, std::intptr_t value) {
    change(gadget, &GadgetClass::set_attribute, attribute, value);
}

std::intptr_t gadget_get_item_attribute(ObjectId gadget, std::intptr_t item,
                                        std::int32_t attribute, std::int32_t column) {
    return query(gadget, &GadgetClass::get_item_attribute, item, attribute, column);
}

void gadget_set_item_attribute(ObjectId gadget, std::intptr_t item, std::int32_t attribute,
                               std::intptr_t value, std::int32_t column) {
    change(gadget, &GadgetClass::set_item_attribute, item, attribute, value, column);
}

void gadget_remove_column(ObjectId gadget, std::int32_t column) {
    change(gadget, &GadgetClass::remove_column, column);
}
