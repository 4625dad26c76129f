// The common gadget operations of both back-ends: each looks the gadget up
// and dispatches through its kind's table; a change made by the program runs
// with the queue suspended so it raises no event. Texts reach the kinds as
// kind_text gives them (UTF-8 on GTK).
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

std::int32_t gadget_kind(ObjectId gadget) {
    return on_gadget(gadget, [](GadgetRecord *record) { return record->gadget_class->kind; });
}

WideText gadget_get_text(ObjectId gadget) {
    return on_gadget(gadget, [](GadgetRecord *record) {
        if (record->gadget_class->get_text)
            return record->gadget_class->get_text(record);
        return gadget_plain_text(record);
    });
}

void gadget_set_text(ObjectId gadget, const WideText &text) {
    on_gadget(gadget, [&](GadgetRecord *record) {
        const auto native = kind_text(text);
        suspended([&] {
            if (record->gadget_class->set_text)
                record->gadget_class->set_text(record, native);
            else
                gadget_set_plain_text(record, text);
        });
    });
}

std::intptr_t gadget_get_state(ObjectId gadget) { return query(gadget, &GadgetClass::get_state); }
void gadget_set_state(ObjectId gadget, std::intptr_t state) { change(gadget, &GadgetClass::set_state, state); }

std::intptr_t gadget_add_item(ObjectId gadget, std::intptr_t position, const WideText &text) {
    return gadget_add_item(gadget, position, text, nullptr, 0);
}

// The kind's form with flags when it has one, else the one without. A worker
// replacing a list row has its removal of this very row held: the row is
// replaced in place instead.
std::intptr_t gadget_add_item(ObjectId gadget, std::intptr_t position, const WideText &text,
                              void *image, std::int32_t flags) {
    const HeldRemoval replaced = take_held_removal_of(gadget, position);
    return on_gadget(gadget, [&](GadgetRecord *record) -> std::intptr_t {
        const GadgetClass *kind = record->gadget_class;
        const auto native = kind_text(text);
        return suspended([&]() -> std::intptr_t {
            if (replaced && !image && list_replace_item(record, position, native))
                return ROW_ADDED;
            replaced.carry_out();
            if (kind->add_item_flags)
                return kind->add_item_flags(record, position, native, image, flags);
            return kind->add_item ? kind->add_item(record, position, native, image) : 0;
        });
    });
}

WideText gadget_get_item_text(ObjectId gadget, std::intptr_t item, std::int32_t column) {
    return change(gadget, &GadgetClass::get_item_text, item, column);
}

std::intptr_t gadget_add_column(ObjectId gadget, std::int32_t position, const WideText &title,
                                std::int32_t width) {
    return with_gadget(gadget, &GadgetClass::add_column, [&](GadgetRecord *record) {
        const auto native = kind_text(title);
        return suspended([&] { return record->gadget_class->add_column(record, position, native, width); });
    });
}

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

void gadget_set_color(ObjectId gadget, std::int32_t type, std::int32_t colour) {
    query(gadget, &GadgetClass::set_color, type, colour);
}

std::int32_t gadget_get_color(ObjectId gadget, std::int32_t type) {
    return query(gadget, &GadgetClass::get_color, type);
}
