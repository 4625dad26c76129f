// Drop-down combo boxes (kind 8), plain or with an edit field, over a store of
// item data (int), item text and item image.
#include "gtk_private.h"
#include "internal/gadget_create.h"

#include <cstring>

namespace {

constexpr std::int32_t lower_case = 0x2;
constexpr std::int32_t upper_case = 0x4;

constexpr int data_column = 0;
constexpr int text_column = 1;
constexpr int image_column = 2;

std::int32_t combo_flags(GadgetRecord *record) {
    return static_cast<std::int32_t>(kind_word(record, COMBO_FLAGS_WORD));
}
GtkEntry *combo_entry(GadgetRecord *record) {
    return reinterpret_cast<GtkEntry *>(kind_word(record, COMBO_ENTRY_WORD));
}

InsertFilter case_rule(std::int32_t flags) {
    if (flags & lower_case)
        return InsertFilter::lower_case;
    if (flags & upper_case)
        return InsertFilter::upper_case;
    return InsertFilter::none;
}

std::string row_text(GtkListStore *store, GtkTreeIter *iter) {
    char *text = nullptr;
    gtk_tree_model_get(GTK_TREE_MODEL(store), iter, text_column, &text, -1);
    GCharPtr owned(text);
    return owned ? owned.get() : "";
}

void combo_free(GadgetRecord *record) { store_record_detach(record); }

std::intptr_t combo_get_state(GadgetRecord *record) {
    return gtk_combo_box_get_active(GTK_COMBO_BOX(record->widget));
}

void combo_set_state(GadgetRecord *record, std::intptr_t state) {
    const bool valid = state >= -1 && state <= G_MAXINT;
    gtk_combo_box_set_active(GTK_COMBO_BOX(record->widget), valid ? static_cast<int>(state) : -1);
}

WideText combo_get_text(GadgetRecord *record) {
    if (GtkEntry *entry = combo_entry(record))
        return text_from_gtk(gtk_entry_get_text(entry));
    GtkTreeIter iter;
    if (!gtk_combo_box_get_active_iter(GTK_COMBO_BOX(record->widget), &iter))
        return WideText();
    return text_from_gtk(row_text(gadget_store(record), &iter).c_str());
}

void combo_set_text(GadgetRecord *record, const char *text) {
    const std::string wanted = combo_apply_case(record, text);
    GtkListStore *store = gadget_store(record);
    GtkTreeIter iter;
    bool more = gtk_tree_model_get_iter_first(GTK_TREE_MODEL(store), &iter);
    for (int row = 0; more; ++row, more = gtk_tree_model_iter_next(GTK_TREE_MODEL(store), &iter)) {
        if (row_text(store, &iter) == wanted) {
            gtk_combo_box_set_active(GTK_COMBO_BOX(record->widget), row);
            return;
        }
    }
    if (GtkEntry *entry = combo_entry(record))
        gtk_entry_set_text(entry, wanted.c_str());
    else
        gtk_combo_box_set_active(GTK_COMBO_BOX(record->widget), -1);
}

std::intptr_t combo_add_item(GadgetRecord *record, std::intptr_t position, const char *text,
                             void *image) {
    GtkListStore *store = gadget_store(record);
    const int rows = gtk_tree_model_iter_n_children(GTK_TREE_MODEL(store), nullptr);
    const int row = position < 0 || position > rows ? rows : static_cast<int>(position);
    GtkTreeIter iter;
    gtk_list_store_insert(store, &iter, row);
    gtk_list_store_set(store, &iter, text_column, combo_apply_case(record, text).c_str(),
                       data_column, 0, -1);
    if (image && (combo_flags(record) & COMBO_IMAGES))
        gtk_list_store_set(store, &iter, image_column, image, -1);
    return 1;
}

void combo_remove_item(GadgetRecord *record, std::intptr_t item) {
    GtkTreeIter iter;
    if (store_row(gadget_store(record), item, &iter))
        gtk_list_store_remove(gadget_store(record), &iter);
}

WideText combo_get_item_text(GadgetRecord *record, std::intptr_t item, std::int32_t column) {
    GtkTreeIter iter;
    if (column != 0 || !store_row(gadget_store(record), item, &iter))
        return WideText();
    return text_from_gtk(row_text(gadget_store(record), &iter).c_str());
}

const GadgetClass *combo_class() {
    static const GadgetClass table = [] {
        GadgetClass c = gadget_class_of_kind(GADGET_COMBO);
        c.free_state = combo_free;
        c.get_state = combo_get_state;
        c.set_state = combo_set_state;
        c.get_text = combo_get_text;
        c.set_text = combo_set_text;
        c.add_item = combo_add_item;
        c.remove_item = combo_remove_item;
        c.get_item_text = combo_get_item_text;
        combo_fill_item_slots(c);
        return c;
    }();
    return &table;
}

// Returns the text renderer.
GtkCellRenderer *add_renderers(GtkWidget *combo) {
    GtkCellLayout *layout = GTK_CELL_LAYOUT(combo);
    GtkCellRenderer *image = gtk_cell_renderer_pixbuf_new();
    gtk_cell_layout_pack_start(layout, image, FALSE);
    gtk_cell_layout_add_attribute(layout, image, "pixbuf", image_column);
    GtkCellRenderer *text = gtk_cell_renderer_text_new();
    // Long items are cut short instead of widening the combo past its size,
    // at the start: names that share a beginning ("/dev/ttyUSB0",
    // "/dev/ttyUSB57") differ at their end. The popup shows them whole.
    g_object_set(text, "ellipsize", PANGO_ELLIPSIZE_START, nullptr);
    gtk_cell_layout_pack_start(layout, text, TRUE);
    gtk_cell_layout_add_attribute(layout, text, "text", text_column);
    return text;
}

// The shown item in full, for when it is cut short.
void on_shown_item_changed(GtkComboBox *combo, gpointer) {
    GtkTreeIter iter;
    gchar *text = nullptr;
    if (gtk_combo_box_get_active_iter(combo, &iter))
        gtk_tree_model_get(gtk_combo_box_get_model(combo), &iter, text_column, &text, -1);
    gtk_widget_set_tooltip_text(GTK_WIDGET(combo), text && *text ? text : nullptr);
    g_free(text);
}

void set_up_entry(GadgetRecord *record, ObjectId id, std::int32_t flags) {
    GtkWidget *entry = gtk_bin_get_child(GTK_BIN(record->widget));
    kind_word(record, COMBO_ENTRY_WORD) = reinterpret_cast<std::intptr_t>(entry);
    gtk_entry_set_width_chars(GTK_ENTRY(entry), 0);
    g_object_set_data(G_OBJECT(entry), "kw_id", id_to_pointer(id + 1));
    insert_filter_connect(entry, case_rule(flags));
    g_signal_connect(entry, "focus-in-event", G_CALLBACK(gadget_on_focus_in), id_to_pointer(id));
    g_signal_connect(entry, "focus-out-event", G_CALLBACK(gadget_on_focus_out), id_to_pointer(id));
}

} // namespace

std::intptr_t combo_native_create(ObjectId number, std::int32_t x, std::int32_t y,
                                  std::int32_t width, std::int32_t height, std::int32_t flags) {
    GtkWidget *event_box = gtk_event_box_new();
    GtkListStore *store = gtk_list_store_new(3, G_TYPE_INT, G_TYPE_STRING, GDK_TYPE_PIXBUF);
    if (!event_box || !store)
        return 0;
    GtkWidget *combo = flags & COMBO_EDITABLE
                           ? gtk_combo_box_new_with_model_and_entry(GTK_TREE_MODEL(store))
                           : gtk_combo_box_new_with_model(GTK_TREE_MODEL(store));
    g_object_unref(store); // the combo holds it now
    if (flags & COMBO_EDITABLE) {
        gtk_combo_box_set_entry_text_column(GTK_COMBO_BOX(combo), text_column);
        gtk_cell_layout_clear(GTK_CELL_LAYOUT(combo));
    }
    GtkCellRenderer *text_renderer = add_renderers(combo);
    gtk_widget_set_size_request(combo, width, height);
    gtk_container_add(GTK_CONTAINER(event_box), combo);
    ObjectId id = 0;
    GadgetRecord *record =
        gadget_place(number, &id, combo, event_box, combo_class(), x, y, width, height);
    if (!record)
        return 0;
    g_signal_connect(combo, "changed", G_CALLBACK(gadget_on_changed), id_to_pointer(id));
    g_signal_connect(combo, "changed", G_CALLBACK(on_shown_item_changed), nullptr);
    gtk_widget_show_all(event_box);
    kind_word(record, COMBO_FLAGS_WORD) = flags;
    if (flags & COMBO_EDITABLE)
        set_up_entry(record, id, flags);
    StoreRecord *store_record = store_record_attach(record, store);
    store_record->column_count = 1;
    store_record->columns = g_list_append(nullptr, GINT_TO_POINTER(text_column));
    kind_word(record, COMBO_RENDERER_WORD) = reinterpret_cast<std::intptr_t>(text_renderer);
    return gadget_finish(number, id, record);
}

std::string combo_apply_case(GadgetRecord *record, const char *text) {
    return insert_filter_apply(case_rule(combo_flags(record)), text, std::strlen(text));
}
