// The item slots of a list's table, shared by both back-ends: the same
// operations on either, each back-end's own under the same name.
#if defined(_WIN32)
#include "win32/win32_private.h"
#else
#include "gtk/gtk_private.h"
#endif

void list_fill_item_slots(GadgetClass &c) {
    c.add_item_flags = list_add_item_flags;
    c.clear_items = list_clear;
    c.count_items = list_count;
    c.get_item_state = list_get_item_state;
    c.set_item_state = list_set_item_state;
    c.set_item_text = list_set_item_text;
    c.get_attribute = list_get_attribute;
    c.get_item_attribute = list_get_item_attribute;
    c.set_item_attribute = list_set_item_attribute;
    c.remove_column = list_remove_column;
    c.set_color = list_set_color;
    c.set_item_color = list_set_item_color;
    c.get_item_color = list_get_item_color;
    c.set_item_data = list_set_item_data;
    c.get_item_data = list_get_item_data;
    c.set_item_image = list_set_item_image;
    list_fill_own_slots(c);
}
