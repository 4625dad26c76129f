// Multi-column lists with a header row (kind 12): a tree view over a list
// store in a scrolled window. Every gadget column owns a triple of model
// columns (text, text colour, background colour); a row's text arrives as one
// text with the columns separated by line feeds.
#include "internal/row_cells.h"
#include "gtk_private.h"
#include "internal/gadget_create.h"

#include <dlfcn.h>

StoreRecord *list_store_record(GadgetRecord *record) {
    return reinterpret_cast<StoreRecord *>(kind_word(record, STORE_WORD));
}

int model_column_of(StoreRecord *store, std::int32_t column) {
    return GPOINTER_TO_INT(g_list_nth_data(store->columns, static_cast<guint>(column)));
}

namespace {

constexpr std::int32_t reorderable_columns = 0x10;

constexpr int data_column = 0;
constexpr int checked_column = 1;
constexpr int image_column = 3;
constexpr int first_triple = 4;

using SetGridLines = void (*)(GtkTreeView *, int);
SetGridLines set_grid_lines = nullptr;

GList *spare_triples(GadgetRecord *record) {
    return reinterpret_cast<GList *>(kind_word(record, LIST_SPARE_WORD));
}
void set_spare_triples(GadgetRecord *record, GList *spare) {
    kind_word(record, LIST_SPARE_WORD) = reinterpret_cast<std::intptr_t>(spare);
}
GtkTreeView *list_view(GadgetRecord *record) { return GTK_TREE_VIEW(record->widget); }

// Gives the store one more triple: a new, wider store with every row copied.
int widen_store(GadgetRecord *record) {
    StoreRecord *store = list_store_record(record);
    GtkTreeModel *old_model = GTK_TREE_MODEL(store->store);
    const int old_count = gtk_tree_model_get_n_columns(old_model);
    std::vector<GType> types(old_count + 3);
    for (int c = 0; c < old_count; ++c)
        types[c] = gtk_tree_model_get_column_type(old_model, c);
    types[old_count] = G_TYPE_STRING;
    types[old_count + 1] = GDK_TYPE_COLOR;
    types[old_count + 2] = GDK_TYPE_COLOR;
    GtkListStore *wider = gtk_list_store_newv(old_count + 3, types.data());
    if (!wider)
        return 0;
    GtkTreeIter from, to;
    for (bool more = gtk_tree_model_get_iter_first(old_model, &from); more;
         more = gtk_tree_model_iter_next(old_model, &from)) {
        gtk_list_store_append(wider, &to);
        for (int c = 0; c < old_count; ++c) {
            GValue value = G_VALUE_INIT;
            gtk_tree_model_get_value(old_model, &from, c, &value);
            gtk_list_store_set_value(wider, &to, c, &value);
            g_value_unset(&value);
        }
    }
    // A new model clears the selection, the cursor and the scroll position;
    // the wider store has the same rows, so they are put back as they were.
    GtkTreeView *view = list_view(record);
    GList *selected = gtk_tree_selection_get_selected_rows(store->selection, nullptr);
    GtkTreePath *cursor = nullptr;
    gtk_tree_view_get_cursor(view, &cursor, nullptr);
    GtkAdjustment *vertical = gtk_scrollable_get_vadjustment(GTK_SCROLLABLE(view));
    const double scrolled = vertical ? gtk_adjustment_get_value(vertical) : 0.0;
    gtk_tree_view_set_model(view, GTK_TREE_MODEL(wider));
    g_object_unref(wider); // the view holds it; the old store goes with its last reference
    store->store = wider;
    if (cursor) {
        gtk_tree_view_set_cursor(view, cursor, nullptr, FALSE);
        gtk_tree_path_free(cursor);
    }
    gtk_tree_selection_unselect_all(store->selection);
    for (GList *row = selected; row; row = row->next)
        gtk_tree_selection_select_path(store->selection, static_cast<GtkTreePath *>(row->data));
    g_list_free_full(selected, reinterpret_cast<GDestroyNotify>(gtk_tree_path_free));
    if (vertical)
        gtk_adjustment_set_value(vertical, scrolled);
    return old_count;
}

int take_triple(GadgetRecord *record) {
    GList *spare = spare_triples(record);
    if (!spare)
        return widen_store(record);
    const int triple = GPOINTER_TO_INT(spare->data);
    set_spare_triples(record, g_list_delete_link(spare, spare));
    return triple;
}

std::intptr_t list_add_column(GadgetRecord *record, std::int32_t position, const char *title,
                              std::int32_t width) {
    const int triple = take_triple(record);
    if (!triple)
        return 0;
    StoreRecord *store = list_store_record(record);
    if (position < 0 || position > store->column_count)
        position = store->column_count;
    const auto flags =
        GPOINTER_TO_INT(g_object_get_data(G_OBJECT(record->widget), "kw_gadget_flags"));
    GtkTreeViewColumn *column = gtk_tree_view_column_new();
    gtk_tree_view_column_set_title(column, title);
    gtk_tree_view_column_set_sizing(column, GTK_TREE_VIEW_COLUMN_FIXED);
    gtk_tree_view_column_set_fixed_width(column, width > 0 ? width : 1);
    gtk_tree_view_column_set_resizable(column, TRUE);
    gtk_tree_view_column_set_reorderable(column, (flags & reorderable_columns) != 0);
    list_column_text_renderer(column, triple);
    if (position == 0)
        list_make_first_column(record, column, triple);
    gtk_tree_view_insert_column(list_view(record), column, position);
    store->columns = g_list_insert(store->columns, GINT_TO_POINTER(triple), position);
    ++store->column_count;
    list_header_font(record, column);
    return 1;
}

// A new row's values for every model column: the defaults (no data, no check
// box, no image, default colours), the image if any and one piece of the text
// per gadget column, extra pieces dropped. The caller unsets the values.
struct RowValues {
    std::vector<int> columns;
    std::vector<GValue> values;
    std::vector<std::string> cells; // the strings the values point at
};
void fill_row_values(StoreRecord *store, const char *text, void *image, RowValues *row) {
    GtkTreeModel *model = GTK_TREE_MODEL(store->store);
    const int count = gtk_tree_model_get_n_columns(model);
    row->values.assign(count, G_VALUE_INIT);
    for (int c = 0; c < count; ++c) {
        row->columns.push_back(c);
        g_value_init(&row->values[c], gtk_tree_model_get_column_type(model, c));
    }
    row->cells = split_row_cells(text, g_list_length(store->columns));
    GList *column = store->columns;
    for (std::size_t c = 0; c < row->cells.size(); ++c, column = column->next)
        g_value_set_static_string(&row->values[GPOINTER_TO_INT(column->data)],
                                  row->cells[c].c_str());
    if (image)
        g_value_set_object(&row->values[image_column], image);
}

void unset_row_values(RowValues *row) {
    for (GValue &value : row->values)
        g_value_unset(&value);
}

// The row goes in with all its values at once: the view hears of one new row
// instead of a new empty row followed by a change per cell.
std::intptr_t list_add_item(GadgetRecord *record, std::intptr_t position, const char *text,
                            void *image) {
    StoreRecord *store = list_store_record(record);
    const int rows = gtk_tree_model_iter_n_children(GTK_TREE_MODEL(store->store), nullptr);
    const int row = position < 0 || position > rows ? rows : static_cast<int>(position);
    RowValues values;
    fill_row_values(store, text, image, &values);
    GtkTreeIter iter;
    gtk_list_store_insert_with_valuesv(store->store, &iter, row, values.columns.data(),
                                       values.values.data(),
                                       static_cast<int>(values.values.size()));
    unset_row_values(&values);
    return 1;
}

// GTK keeps a cursor apart from the selection, and removing the cursor's row
// makes it move the cursor to the next row and select that; the list instead
// keeps exactly the other selected rows.
void list_remove_item(GadgetRecord *record, std::intptr_t item) {
    StoreRecord *store = list_store_record(record);
    GtkTreeIter iter;
    if (!store_row(store->store, item, &iter))
        return;
    GtkTreeModel *model = GTK_TREE_MODEL(store->store);
    GList *selected = gtk_tree_selection_get_selected_rows(store->selection, nullptr);
    std::vector<GtkTreeRowReference *> kept;
    for (GList *row = selected; row; row = row->next) {
        auto *path = static_cast<GtkTreePath *>(row->data);
        if (gtk_tree_path_get_indices(path)[0] != item)
            kept.push_back(gtk_tree_row_reference_new(model, path));
    }
    g_list_free_full(selected, reinterpret_cast<GDestroyNotify>(gtk_tree_path_free));
    gtk_list_store_remove(store->store, &iter);
    gtk_tree_selection_unselect_all(store->selection);
    for (GtkTreeRowReference *reference : kept) {
        if (GtkTreePath *path = gtk_tree_row_reference_get_path(reference)) {
            gtk_tree_selection_select_path(store->selection, path);
            gtk_tree_path_free(path);
        }
        gtk_tree_row_reference_free(reference);
    }
}

WideText cell_text(GadgetRecord *record, std::intptr_t item, std::int32_t column) {
    StoreRecord *store = list_store_record(record);
    if (column < 0 || column >= store->column_count)
        return WideText();
    if (item == -1) {
        GtkTreeViewColumn *header = gtk_tree_view_get_column(list_view(record), column);
        return header ? text_from_gtk(gtk_tree_view_column_get_title(header)) : WideText();
    }
    GtkTreeIter iter;
    if (!store_row(store->store, item, &iter))
        return WideText();
    char *text = nullptr;
    gtk_tree_model_get(GTK_TREE_MODEL(store->store), &iter, model_column_of(store, column), &text,
                       -1);
    return text_from_gtk_owned(text);
}

std::intptr_t list_get_state(GadgetRecord *record) {
    GList *rows =
        gtk_tree_selection_get_selected_rows(list_store_record(record)->selection, nullptr);
    std::intptr_t first = -1;
    for (GList *row = rows; row; row = row->next) {
        const int index = gtk_tree_path_get_indices(static_cast<GtkTreePath *>(row->data))[0];
        if (first == -1 || index < first)
            first = index;
    }
    g_list_free_full(rows, reinterpret_cast<GDestroyNotify>(gtk_tree_path_free));
    return first;
}

void list_set_state(GadgetRecord *record, std::intptr_t row) {
    StoreRecord *store = list_store_record(record);
    GtkTreeIter iter;
    if (row < 0) {
        gtk_tree_selection_unselect_all(store->selection);
        return;
    }
    if (!store_row(store->store, row, &iter))
        return;
    GtkTreePath *path = gtk_tree_model_get_path(GTK_TREE_MODEL(store->store), &iter);
    GtkTreeView *view = list_view(record);
    gtk_tree_selection_unselect_all(store->selection);
    gtk_tree_view_expand_to_path(view, path);
    gtk_tree_selection_select_path(store->selection, path);
    gtk_tree_view_set_cursor(view, path, gtk_tree_view_get_column(view, 0), FALSE);
    gtk_tree_view_scroll_to_cell(view, path, nullptr, TRUE, 0.5f, 0.0f);
    gtk_tree_path_free(path);
}

WideText list_get_text(GadgetRecord *record) {
    const std::intptr_t row = list_get_state(record);
    return row < 0 ? WideText() : cell_text(record, row, 0);
}

void list_free(GadgetRecord *record) {
    store_record_detach(record);
    g_list_free(spare_triples(record));
    kind_word(record, LIST_SPARE_WORD) = 0;
}

const GadgetClass *list_class();

} // namespace

bool list_replace_item(GadgetRecord *record, std::intptr_t row, const char *text) {
    if (record->gadget_class != list_class())
        return false;
    StoreRecord *store = list_store_record(record);
    GtkTreeIter iter;
    if (!store_row(store->store, row, &iter))
        return false;
    RowValues values;
    fill_row_values(store, text, nullptr, &values);
    gtk_list_store_set_valuesv(store->store, &iter, values.columns.data(), values.values.data(),
                               static_cast<int>(values.values.size()));
    unset_row_values(&values);
    return true;
}

namespace {

const GadgetClass *list_class() {
    static const GadgetClass table = [] {
        GadgetClass c = gadget_class_of_kind(GADGET_LIST_ICON);
        c.free_state = list_free;
        c.get_state = list_get_state;
        c.set_state = list_set_state;
        c.get_text = list_get_text;
        c.add_item = list_add_item;
        c.remove_item = list_remove_item;
        c.get_item_text = cell_text;
        c.add_column = list_add_column;
        list_fill_item_slots(c);
        return c;
    }();
    return &table;
}

void on_scrolled(GtkAdjustment *, gpointer view) { gtk_widget_queue_draw(GTK_WIDGET(view)); }

void set_up_view(GtkWidget *view, GtkWidget *scrolled, ObjectId id, std::int32_t flags) {
    GtkTreeSelection *selection = gtk_tree_view_get_selection(GTK_TREE_VIEW(view));
    gtk_tree_selection_set_mode(selection, flags & LIST_ICON_MULTIPLE_SELECTION
                                               ? GTK_SELECTION_MULTIPLE
                                               : GTK_SELECTION_SINGLE);
    if ((flags & LIST_ICON_GRID_LINES) && set_grid_lines) {
        set_grid_lines(GTK_TREE_VIEW(view), GTK_TREE_VIEW_GRID_LINES_BOTH);
        GtkAdjustment *vertical =
            gtk_scrolled_window_get_vadjustment(GTK_SCROLLED_WINDOW(scrolled));
        g_signal_connect(vertical, "value-changed", G_CALLBACK(on_scrolled), view);
    }
    g_object_set_data(G_OBJECT(view), "kw_gadget_flags", GINT_TO_POINTER(flags));
    list_connect_events(view, selection, id);
}

GtkListStore *initial_store() {
    return gtk_list_store_new(7, G_TYPE_INT, G_TYPE_BOOLEAN, G_TYPE_BOOLEAN, GDK_TYPE_PIXBUF,
                              G_TYPE_STRING, GDK_TYPE_COLOR, GDK_TYPE_COLOR);
}

} // namespace

std::intptr_t list_icon_native_create(ObjectId number, std::int32_t x, std::int32_t y,
                                      std::int32_t width, std::int32_t height,
                                      const WideText &title, std::int32_t title_width,
                                      std::int32_t flags) {
    static const bool looked_up = [] {
        // Older GTK releases have no grid lines; then the list simply shows none.
        set_grid_lines =
            reinterpret_cast<SetGridLines>(dlsym(RTLD_DEFAULT, "gtk_tree_view_set_grid_lines"));
        return true;
    }();
    (void)looked_up;
    GtkListStore *store = initial_store();
    GtkWidget *scrolled = gtk_scrolled_window_new(nullptr, nullptr);
    if (!store || !scrolled)
        return 0;
    GtkWidget *view = gtk_tree_view_new_with_model(GTK_TREE_MODEL(store));
    g_object_unref(store);
    gtk_tree_view_set_headers_visible(GTK_TREE_VIEW(view), TRUE);
    gtk_tree_view_set_headers_clickable(GTK_TREE_VIEW(view), FALSE);
    // Every column has a fixed width and every row one line of text, so the
    // view need not measure each row that comes or goes.
    gtk_tree_view_set_fixed_height_mode(GTK_TREE_VIEW(view), TRUE);
    ObjectId id = 0;
    GadgetRecord *record =
        gadget_place(number, &id, view, scrolled, list_class(), x, y, width, height);
    if (!record)
        return 0;
    gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scrolled), GTK_POLICY_AUTOMATIC,
                                   GTK_POLICY_AUTOMATIC);
    gtk_scrolled_window_set_shadow_type(GTK_SCROLLED_WINDOW(scrolled), GTK_SHADOW_ETCHED_IN);
    gtk_container_add(GTK_CONTAINER(scrolled), view);
    set_up_view(view, scrolled, id, flags);
    store_record_attach(record, store)->selection =
        gtk_tree_view_get_selection(GTK_TREE_VIEW(view));
    set_spare_triples(record, g_list_append(nullptr, GINT_TO_POINTER(first_triple)));
    const std::intptr_t result = gadget_finish(number, id, record);
    list_add_column(record, 0, text_to_utf8(title).c_str(), title_width);
    gtk_widget_show_all(scrolled);
    return result;
}
