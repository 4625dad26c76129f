// The item operations every list has on both back-ends, each back-end's
// list_items.cpp defining them over its own control; list_slots.cpp puts
// them into the kind's table. Included by each back-end's private header once
// its GadgetRecord, Item, ItemText and ItemImage are declared.
#pragma once

#include <cstdint>

std::intptr_t list_add_item_flags(GadgetRecord *record, Item position, ItemText text,
                                  ItemImage image, std::int32_t flags);
void list_clear(GadgetRecord *record);
std::intptr_t list_count(GadgetRecord *record);
std::intptr_t list_get_item_state(GadgetRecord *record, Item item);
void list_set_item_state(GadgetRecord *record, Item item, std::intptr_t state);
void list_set_item_text(GadgetRecord *record, Item item, const WideText &text, std::int32_t column);
void list_set_item_data(GadgetRecord *record, Item item, std::int32_t data);
std::int32_t list_get_item_data(GadgetRecord *record, Item item);
void list_set_item_image(GadgetRecord *record, Item item, ItemImage image);
void list_set_color(GadgetRecord *record, std::int32_t type, std::int32_t colour);
void list_set_item_color(GadgetRecord *record, Item item, std::int32_t type, std::int32_t colour,
                         std::int32_t column);
std::int32_t list_get_item_color(GadgetRecord *record, Item item, std::int32_t type,
                                 std::int32_t column);
std::intptr_t list_get_attribute(GadgetRecord *record, std::int32_t attribute);
std::intptr_t list_get_item_attribute(GadgetRecord *record, Item item, std::int32_t attribute,
                                      std::int32_t column);
void list_set_item_attribute(GadgetRecord *record, Item item, std::int32_t attribute,
                             std::intptr_t value, std::int32_t column);
void list_remove_column(GadgetRecord *record, std::int32_t column);

// The list's item slots: the operations above, then (list_fill_own_slots,
// each back-end's) the ones only that back-end has.
void list_fill_item_slots(GadgetClass &gadget_class);
void list_fill_own_slots(GadgetClass &gadget_class);
