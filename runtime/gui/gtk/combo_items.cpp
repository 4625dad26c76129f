// Combo boxes: focus, fonts and the item operations beyond adding, removing
// and reading items (item data in model column 0, text in 1, image in 2).
#include "gtk_private.h"

namespace {

constexpr int data_column = 0;
constexpr int text_column = 1;
constexpr int image_column = 2;

GtkWidget *combo_entry(GadgetRecord *record) { return reinterpret_cast<GtkWidget *>(kind_word(record, COMBO_ENTRY_WORD)); }
GtkCellRenderer *combo_text_renderer(GadgetRecord *record) {
    return reinterpret_cast<GtkCellRenderer *>(kind_word(record, COMBO_RENDERER_WORD));
}

void combo_give_focus(GadgetRecord *record) {
    gtk_widget_grab_focus(combo_entry(record) ? combo_entry(record) : record->widget);
}

void combo_clear(GadgetRecord *record) {
    gtk_list_store_clear(gadget_store(record));
    if (GtkWidget *entry = combo_entry(record))
        gtk_entry_set_text(GTK_ENTRY(entry), "");
}

std::intptr_t combo_count(GadgetRecord *record) {
    return gtk_tree_model_iter_n_children(GTK_TREE_MODEL(gadget_store(record)), nullptr);
}

void combo_set_item_text(GadgetRecord *record, Item item, const WideText &text, std::int32_t column) {
    if (column == 0)
        store_set_text(gadget_store(record), text_column, item,
                       combo_apply_case(record, text_to_utf8(text).c_str()).c_str());
}

// The items are drawn by the text renderer, the closed editable combo by its
// entry: both follow the combo's font.
void combo_set_font(GadgetRecord *record, const PangoFontDescription *font) {
    gadget_override_font(record->widget, font);
    g_object_set(combo_text_renderer(record), "font-desc", font, nullptr);
    if (GtkWidget *entry = combo_entry(record))
        gadget_override_font(entry, font);
}

void combo_set_item_data(GadgetRecord *record, Item item, std::int32_t data) {
    store_set_int(gadget_store(record), data_column, item, data);
}

std::int32_t combo_get_item_data(GadgetRecord *record, Item item) {
    return store_get_int(gadget_store(record), data_column, item);
}

// Only a combo created for images shows them; null removes the image.
void combo_set_item_image(GadgetRecord *record, Item item, void *image) {
    GtkTreeIter iter;
    if ((kind_word(record, COMBO_FLAGS_WORD) & COMBO_IMAGES) && store_row(gadget_store(record), item, &iter))
        gtk_list_store_set(gadget_store(record), &iter, image_column, image, -1);
}

} // namespace

void combo_fill_item_slots(GadgetClass &c) {
    c.give_focus = combo_give_focus;
    c.clear_items = combo_clear;
    c.count_items = combo_count;
    c.set_item_text = combo_set_item_text;
    c.set_font = combo_set_font;
    c.get_font = gadget_font_get;
    c.set_item_data = combo_set_item_data;
    c.get_item_data = combo_get_item_data;
    c.set_item_image = combo_set_item_image;
}
