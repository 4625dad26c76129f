// Lists: item state and check boxes, cell texts and colours, item data and
// images, column widths and removal, fonts. Model columns 0 to 3 hold each
// row's data, check box, third state and image; every gadget column owns a
// triple (text, text colour, background colour) from model column 4 on.
#include "internal/row_cells.h"
#include "gtk_private.h"

#include <algorithm>
#include <vector>

namespace {

constexpr int data_column = 0;
constexpr int checked_column = 1;
constexpr int inconsistent_column = 2;
constexpr int image_column = 3;

constexpr std::intptr_t subtype_changed = 0x300;

// Set on the view once a row has an image: only then does the first column
// draw one (a list without images stays as plain as before).
const char images_key[] = "kw_list_images";

GtkTreeView *view_of(GadgetRecord *record) { return GTK_TREE_VIEW(record->widget); }

GtkListStore *store_of(GadgetRecord *record) { return list_store_record(record)->store; }

std::int32_t list_flags(GtkWidget *view) {
    return GPOINTER_TO_INT(g_object_get_data(G_OBJECT(view), "kw_gadget_flags"));
}

bool valid_column(GadgetRecord *record, std::int32_t column) {
    return column >= 0 && column < list_store_record(record)->column_count;
}

// Row n, or every row for -1.
template <class Fn> void for_rows(GadgetRecord *record, Item item, Fn &&fn) {
    GtkTreeModel *model = GTK_TREE_MODEL(store_of(record));
    GtkTreeIter iter;
    if (item != -1) {
        if (store_row(store_of(record), item, &iter))
            fn(&iter);
        return;
    }
    for (bool more = gtk_tree_model_get_iter_first(model, &iter); more;
         more = gtk_tree_model_iter_next(model, &iter))
        fn(&iter);
}

void show_images(GadgetRecord *record) {
    if (g_object_get_data(G_OBJECT(record->widget), images_key))
        return;
    g_object_set_data(G_OBJECT(record->widget), images_key, GINT_TO_POINTER(1));
    if (GtkTreeViewColumn *first = gtk_tree_view_get_column(view_of(record), 0))
        list_make_first_column(record, first, model_column_of(list_store_record(record), 0));
}

void set_header_title(GadgetRecord *record, std::int32_t column, const char *text) {
    GtkTreeViewColumn *header = gtk_tree_view_get_column(view_of(record), column);
    if (!header)
        return;
    gtk_tree_view_column_set_title(header, text);
    if (GtkWidget *label = gtk_tree_view_column_get_widget(header))
        gtk_label_set_text(GTK_LABEL(label), text);
}

GdkColor gdk_colour_of(std::int32_t colour) {
    return {0, static_cast<guint16>((colour & 0xFF) * 256), static_cast<guint16>(colour & 0xFF00),
            static_cast<guint16>(((colour >> 16) & 0xFF) * 256)};
}

// Text colour lies just after a column's text, background colour after that.
int colour_column(GadgetRecord *record, std::int32_t column, std::int32_t type) {
    return model_column_of(list_store_record(record), column) + (type == GADGET_COLOR_TEXT ? 1 : 2);
}

void remove_one_column(GadgetRecord *record, std::int32_t column) {
    StoreRecord *store = list_store_record(record);
    const int triple = model_column_of(store, column);
    for_rows(record, -1, [&](GtkTreeIter *iter) {
        gtk_list_store_set(store->store, iter, triple, nullptr, triple + 1, nullptr, triple + 2,
                           nullptr, -1);
    });
    gtk_tree_view_remove_column(view_of(record), gtk_tree_view_get_column(view_of(record), column));
    store->columns =
        g_list_delete_link(store->columns, g_list_nth(store->columns, static_cast<guint>(column)));
    --store->column_count;
    // The triple is taken again by the next column added.
    auto *spare = reinterpret_cast<GList *>(kind_word(record, LIST_SPARE_WORD));
    kind_word(record, LIST_SPARE_WORD) =
        reinterpret_cast<std::intptr_t>(g_list_prepend(spare, GINT_TO_POINTER(triple)));
    if (column == 0 && store->column_count > 0)
        list_make_first_column(record, gtk_tree_view_get_column(view_of(record), 0),
                               model_column_of(store, 0));
}

void list_set_font(GadgetRecord *record, const PangoFontDescription *font) {
    gadget_override_font(record->widget, font);
    const int columns = list_store_record(record)->column_count;
    for (int c = 0; c < columns; ++c)
        list_header_font(record, gtk_tree_view_get_column(view_of(record), c));
}

// A click on a box: a three-state box in its third state becomes checked,
// any other box flips.
void on_toggled(GtkCellRendererToggle *, char *path, gpointer view) {
    const ObjectId id = pointer_to_id(g_object_get_data(G_OBJECT(view), "kw_id")) - 1;
    GadgetRecord *record = gadget_lookup(id);
    GtkTreeIter iter;
    if (!record ||
        !gtk_tree_model_get_iter_from_string(GTK_TREE_MODEL(store_of(record)), &iter, path))
        return;
    gboolean checked = FALSE, inconsistent = FALSE;
    gtk_tree_model_get(GTK_TREE_MODEL(store_of(record)), &iter, checked_column, &checked,
                       inconsistent_column, &inconsistent, -1);
    checked =
        (list_flags(GTK_WIDGET(view)) & LIST_ICON_THIRD_STATE) && inconsistent ? TRUE : !checked;
    gtk_list_store_set(store_of(record), &iter, checked_column, checked, inconsistent_column, FALSE,
                       -1);
    gadget_post_event(GTK_WIDGET(view), subtype_changed);
}

} // namespace

void list_clear(GadgetRecord *record) { gtk_list_store_clear(store_of(record)); }

std::intptr_t list_count(GadgetRecord *record) {
    return gtk_tree_model_iter_n_children(GTK_TREE_MODEL(store_of(record)), nullptr);
}

std::intptr_t list_get_item_state(GadgetRecord *record, Item item) {
    GtkTreeIter iter;
    if (!store_row(store_of(record), item, &iter))
        return 0;
    gboolean checked = FALSE, inconsistent = FALSE;
    gtk_tree_model_get(GTK_TREE_MODEL(store_of(record)), &iter, checked_column, &checked,
                       inconsistent_column, &inconsistent, -1);
    std::intptr_t state = 0;
    if (gtk_tree_selection_iter_is_selected(list_store_record(record)->selection, &iter))
        state |= ITEM_SELECTED;
    if (inconsistent)
        state |= ITEM_INCONSISTENT;
    else if (checked)
        state |= ITEM_CHECKED;
    return state;
}

void list_set_item_state(GadgetRecord *record, Item item, std::intptr_t state) {
    GtkTreeIter iter;
    if (!store_row(store_of(record), item, &iter))
        return;
    GtkTreeSelection *selection = list_store_record(record)->selection;
    if (state & ITEM_SELECTED)
        gtk_tree_selection_select_iter(selection, &iter);
    else
        gtk_tree_selection_unselect_iter(selection, &iter);
    const bool inconsistent =
        (list_flags(record->widget) & LIST_ICON_THIRD_STATE) && (state & ITEM_INCONSISTENT);
    const bool checked = (state & ITEM_CHECKED) && !inconsistent;
    gtk_list_store_set(store_of(record), &iter, checked_column, checked, inconsistent_column,
                       inconsistent, -1);
}

// The row goes in as any row does; the flags then set its state.
std::intptr_t list_add_item_flags(GadgetRecord *record, Item position, const char *text,
                                  void *image, std::int32_t flags) {
    if (image)
        show_images(record);
    const auto rows = list_count(record);
    const std::intptr_t row = position < 0 || position > rows ? rows : position;
    const std::intptr_t added = record->gadget_class->add_item(record, position, text, image);
    if (added && flags)
        list_set_item_state(record, row, flags);
    return added;
}

// Row -1 sets the header; column 0 spreads the line-feed separated pieces
// over the columns from the first, another column takes the text whole.
void list_set_item_text(GadgetRecord *record, Item item, const WideText &wide,
                        std::int32_t column) {
    if (!valid_column(record, column))
        return;
    const std::string utf8 = text_to_utf8(wide);
    const char *text = utf8.c_str();
    if (item == -1) {
        set_header_title(record, column, text);
        return;
    }
    GtkTreeIter iter;
    if (!store_row(store_of(record), item, &iter))
        return;
    StoreRecord *store = list_store_record(record);
    if (column != 0) {
        gtk_list_store_set(store->store, &iter, model_column_of(store, column), text, -1);
        return;
    }
    const std::vector<std::string> cells = split_row_cells(text, g_list_length(store->columns));
    for (std::size_t c = 0; c < cells.size(); ++c)
        gtk_list_store_set(store->store, &iter,
                           model_column_of(store, static_cast<std::int32_t>(c)), cells[c].c_str(),
                           -1);
}

void list_set_item_data(GadgetRecord *record, Item item, std::int32_t data) {
    store_set_int(store_of(record), data_column, item, data);
}

std::int32_t list_get_item_data(GadgetRecord *record, Item item) {
    return store_get_int(store_of(record), data_column, item);
}

void list_set_item_image(GadgetRecord *record, Item item, void *image) {
    if (image)
        show_images(record);
    GtkTreeIter iter;
    if (store_row(store_of(record), item, &iter))
        gtk_list_store_set(store_of(record), &iter, image_column, image, -1);
}

void list_set_item_color(GadgetRecord *record, Item item, std::int32_t type, std::int32_t colour,
                         std::int32_t column) {
    if (type != GADGET_COLOR_TEXT && type != GADGET_COLOR_BACKGROUND)
        return;
    if (column != -1 && !valid_column(record, column))
        return;
    const GdkColor value = gdk_colour_of(colour);
    const GdkColor *given = colour == GADGET_COLOR_DEFAULT ? nullptr : &value;
    const std::int32_t first = column == -1 ? 0 : column;
    const std::int32_t last = column == -1 ? list_store_record(record)->column_count - 1 : column;
    for_rows(record, item, [&](GtkTreeIter *iter) {
        for (std::int32_t c = first; c <= last; ++c)
            gtk_list_store_set(store_of(record), iter, colour_column(record, c, type), given, -1);
    });
}

std::int32_t list_get_item_color(GadgetRecord *record, Item item, std::int32_t type,
                                 std::int32_t column) {
    GtkTreeIter iter;
    if ((type != GADGET_COLOR_TEXT && type != GADGET_COLOR_BACKGROUND) ||
        !valid_column(record, column) || !store_row(store_of(record), item, &iter))
        return GADGET_COLOR_DEFAULT;
    GdkColor *colour = nullptr;
    gtk_tree_model_get(GTK_TREE_MODEL(store_of(record)), &iter, colour_column(record, column, type),
                       &colour, -1);
    if (!colour)
        return GADGET_COLOR_DEFAULT;
    const std::int32_t value =
        (colour->red >> 8) | (colour->green & 0xFF00) | (colour->blue >> 8) << 16;
    g_boxed_free(GDK_TYPE_COLOR, colour);
    return value;
}

void list_set_color(GadgetRecord *record, std::int32_t type, std::int32_t colour) {
    gadget_color_set(record, type, colour, record->widget, record->widget);
}

std::intptr_t list_get_attribute(GadgetRecord *record, std::int32_t attribute) {
    return attribute == LIST_ATTRIBUTE_COLUMN_COUNT ? list_store_record(record)->column_count : 0;
}

std::intptr_t list_get_item_attribute(GadgetRecord *record, Item, std::int32_t attribute,
                                      std::int32_t column) {
    GtkTreeViewColumn *header = gtk_tree_view_get_column(view_of(record), column);
    if (attribute != LIST_ATTRIBUTE_COLUMN_WIDTH || !header ||
        !gtk_tree_view_column_get_visible(header))
        return 0;
    const int width = gtk_tree_view_column_get_width(header);
    return width > 0 ? width : gtk_tree_view_column_get_fixed_width(header);
}

// A width below 1 hides the column.
void list_set_item_attribute(GadgetRecord *record, Item, std::int32_t attribute,
                             std::intptr_t value, std::int32_t column) {
    GtkTreeViewColumn *header = gtk_tree_view_get_column(view_of(record), column);
    if (attribute != LIST_ATTRIBUTE_COLUMN_WIDTH || !header)
        return;
    gtk_tree_view_column_set_visible(header, value >= 1);
    if (value >= 1)
        gtk_tree_view_column_set_fixed_width(
            header, static_cast<int>(std::min<std::intptr_t>(value, G_MAXINT)));
}

// -1 removes every column.
void list_remove_column(GadgetRecord *record, std::int32_t column) {
    if (column == -1) {
        while (list_store_record(record)->column_count > 0)
            remove_one_column(record, list_store_record(record)->column_count - 1);
    } else if (valid_column(record, column)) {
        remove_one_column(record, column);
    }
}

void list_column_text_renderer(GtkTreeViewColumn *column, int triple) {
    GtkCellRenderer *text = gtk_cell_renderer_text_new();
    gtk_tree_view_column_pack_end(column, text, TRUE);
    gtk_tree_view_column_set_attributes(column, text, "text", triple, "foreground-gdk", triple + 1,
                                        "cell-background-gdk", triple + 2, nullptr);
}

void list_make_first_column(GadgetRecord *record, GtkTreeViewColumn *column, int triple) {
    GtkTreeView *view = view_of(record);
    StoreRecord *store = list_store_record(record);
    if (GtkTreeViewColumn *previous = gtk_tree_view_get_column(view, 0);
        previous && previous != column) {
        gtk_tree_view_column_clear(previous);
        list_column_text_renderer(previous, model_column_of(store, 0));
    }
    gtk_tree_view_column_clear(column);
    const std::int32_t flags = list_flags(record->widget);
    if (flags & LIST_ICON_CHECK_BOXES) {
        GtkCellRenderer *toggle = gtk_cell_renderer_toggle_new();
        gtk_tree_view_column_pack_start(column, toggle, FALSE);
        gtk_tree_view_column_set_attributes(column, toggle, "active", checked_column,
                                            "cell-background-gdk", triple + 2, nullptr);
        if (flags & LIST_ICON_THIRD_STATE)
            gtk_tree_view_column_add_attribute(column, toggle, "inconsistent", inconsistent_column);
        g_signal_connect(toggle, "toggled", G_CALLBACK(on_toggled), view);
    }
    if (g_object_get_data(G_OBJECT(record->widget), images_key)) {
        GtkCellRenderer *image = gtk_cell_renderer_pixbuf_new();
        gtk_tree_view_column_pack_start(column, image, FALSE);
        gtk_tree_view_column_set_attributes(column, image, "pixbuf", image_column,
                                            "cell-background-gdk", triple + 2, nullptr);
    }
    list_column_text_renderer(column, triple);
    gtk_tree_view_set_search_column(view, triple);
}

// The header keeps GTK's own title label until the list is given a font.
void list_header_font(GadgetRecord *record, GtkTreeViewColumn *column) {
    const auto *font = static_cast<const PangoFontDescription *>(
        g_object_get_data(G_OBJECT(record->widget), "kw_gadget_font"));
    GtkWidget *label = gtk_tree_view_column_get_widget(column);
    if (!label && !font)
        return;
    if (!label) {
        label = gtk_label_new(gtk_tree_view_column_get_title(column));
        gtk_widget_show(label);
        gtk_tree_view_column_set_widget(column, label);
    }
    gadget_override_font(label, font);
}

// GTK keeps a list's colours like other kinds' and its font on the view.
void list_fill_own_slots(GadgetClass &c) {
    c.set_font = list_set_font;
    c.get_color = gadget_color_get;
    c.get_font = gadget_font_get;
}
