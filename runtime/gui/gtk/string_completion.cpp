// The completion list of a string gadget: a one-column list store of texts
// the entry offers while the user types, with item operations on its rows.
#include "gtk_private.h"

namespace {

constexpr int text_column = 0;

GtkListStore *completion_store(GadgetRecord *record) {
    GtkEntryCompletion *completion = gtk_entry_get_completion(GTK_ENTRY(record->widget));
    return completion ? GTK_LIST_STORE(gtk_entry_completion_get_model(completion)) : nullptr;
}

std::intptr_t completion_add(GadgetRecord *record, Item position, const char *text, void *) {
    store_insert_text(completion_store(record), text_column, position, text);
    return 1;
}

void completion_remove(GadgetRecord *record, Item item) {
    GtkTreeIter iter;
    if (store_row(completion_store(record), item, &iter))
        gtk_list_store_remove(completion_store(record), &iter);
}

void completion_clear(GadgetRecord *record) { gtk_list_store_clear(completion_store(record)); }

std::intptr_t completion_count(GadgetRecord *record) {
    return gtk_tree_model_iter_n_children(GTK_TREE_MODEL(completion_store(record)), nullptr);
}

WideText completion_get_item_text(GadgetRecord *record, Item item, std::int32_t column) {
    return column == 0 ? store_get_text(completion_store(record), text_column, item) : WideText();
}

void completion_set_item_text(GadgetRecord *record, Item item, const WideText &text,
                              std::int32_t column) {
    if (column == 0)
        store_set_text(completion_store(record), text_column, item, text_to_utf8(text).c_str());
}

} // namespace

// Popup completion shows the matches in a list; without it the first match
// is completed inline.
void completion_attach(GtkWidget *entry, bool popup) {
    GtkListStore *store = gtk_list_store_new(1, G_TYPE_STRING);
    GtkEntryCompletion *completion = gtk_entry_completion_new();
    gtk_entry_completion_set_model(completion, GTK_TREE_MODEL(store));
    g_object_unref(store); // owned by the completion
    gtk_entry_completion_set_text_column(completion, text_column);
    gtk_entry_completion_set_popup_completion(completion, popup);
    gtk_entry_completion_set_inline_completion(completion, !popup);
    gtk_entry_set_completion(GTK_ENTRY(entry), completion);
    g_object_unref(completion); // owned by the entry
}

void completion_fill_item_slots(GadgetClass &c) {
    c.add_item = completion_add;
    c.remove_item = completion_remove;
    c.clear_items = completion_clear;
    c.count_items = completion_count;
    c.get_item_text = completion_get_item_text;
    c.set_item_text = completion_set_item_text;
}
