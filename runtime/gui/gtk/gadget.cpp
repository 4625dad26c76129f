// Gadget core: the registry of gadgets, the creation path every kind shares,
// the gadget list new gadgets go into, and the common operations, which
// dispatch through each kind's operation table.
#include "gtk_private.h"
#include "internal/numbered.h"

namespace {

Numbered<GadgetRecord> gadgets;

constexpr std::intptr_t subtype_focus_in = 0x100;
constexpr std::intptr_t subtype_focus_out = 0x200;
constexpr std::intptr_t subtype_changed = 0x300;

// Where new gadgets go: the layout of the current window. Each window keeps
// its own copy under "kw_gadgetstack" so switching back restores it.
struct GadgetList {
    GtkWindow *window;
    GtkWidget *container;
};
GadgetList current_list{};

void gadget_list_forget(gpointer data) {
    auto *saved = static_cast<GadgetList *>(data);
    if (current_list.window == saved->window)
        current_list = {};
    delete saved;
}

void on_gadget_destroy(GtkWidget *widget, gpointer data) {
    const ObjectId id = pointer_to_id(data);
    GadgetRecord *record = gadget_lookup(id);
    if (!record || record->widget != widget)
        return;
    event_purge(EVENT_GADGET, id, -1, -1);
    if (record->gadget_class->free_state)
        record->gadget_class->free_state(record);
    gadgets.forget(id);
}

void gadget_free_one(ObjectId gadget) {
    gadgets.end(gadget, [](GadgetRecord *record) {
        gtk_widget_destroy(record->outer ? record->outer : record->widget);
    });
}

} // namespace

WideText text_from_gtk(const char *utf8) {
    if (!utf8)
        return WideText();
    if (g_utf8_validate(utf8, -1, nullptr))
        return text_from_utf8(utf8);
    GCharPtr valid(g_utf8_make_valid(utf8, -1));
    return text_from_utf8(valid.get());
}

WideText text_from_gtk_owned(char *utf8) {
    GCharPtr owned(utf8);
    return text_from_gtk(owned.get());
}

void gadget_system_init() {
    gadgets.init(gadget_free);
    current_list = {};
    // An empty provider for the whole screen, at the toolkit's own priority.
    GtkCssProvider *provider = gtk_css_provider_new();
    gtk_style_context_add_provider_for_screen(gdk_screen_get_default(),
                                              GTK_STYLE_PROVIDER(provider), 600);
    g_object_unref(provider);
}

GadgetRecord *gadget_lookup(ObjectId gadget) { return gadgets.lookup(gadget); }

GadgetRecord *gadget_find_native(void *widget) {
    if (!widget)
        return nullptr;
    return gadgets.find(
        [&](GadgetRecord *record) { return record->widget == widget || record->outer == widget; },
        nullptr);
}

GadgetRecord *gadget_place(ObjectId number, ObjectId *id, GtkWidget *main, GtkWidget *outer,
                           const GadgetClass *gadget_class, std::int32_t x, std::int32_t y,
                           std::int32_t width, std::int32_t height) {
    GtkWidget *placed = outer ? outer : main;
    GadgetRecord *record = current_list.container ? gadgets.allocate(number, id) : nullptr;
    // Freeing a gadget of the same number may have closed the list's window.
    if (!record || !current_list.container) {
        g_object_ref_sink(placed);
        gtk_widget_destroy(placed);
        g_object_unref(placed);
        if (record)
            gadgets.forget(*id);
        return nullptr;
    }
    gtk_widget_set_size_request(placed, width, height);
    gtk_layout_put(GTK_LAYOUT(current_list.container), placed, x, y);
    *record = {main, outer, gadget_class, 0, {}};
    return record;
}

std::intptr_t gadget_finish(ObjectId number, ObjectId id, GadgetRecord *record) {
    gtk_widget_realize(record->widget);
    gadget_apply_default_font(record);
    record->window = gadget_window_of(record->widget);
    g_signal_connect(record->widget, "destroy", G_CALLBACK(on_gadget_destroy), id_to_pointer(id));
    g_object_set_data(G_OBJECT(record->widget), "kw_id", id_to_pointer(id + 1));
    GtkWidget *widget = record->widget;
    toolkit_flush();
    return creation_answer(number, id, widget);
}

ObjectId gadget_window_of(GtkWidget *widget) {
    GtkWidget *top = gtk_widget_get_toplevel(widget);
    if (!top || !g_object_get_data(G_OBJECT(top), "Window"))
        return -1;
    return pointer_to_id(g_object_get_data(G_OBJECT(top), "kw_id"));
}

void gadget_post_event(GtkWidget *widget, std::intptr_t subtype) {
    // A click that races the close box is not reported after it.
    if (event_peek_type() == EVENT_CLOSE_WINDOW)
        return;
    const ObjectId id = pointer_to_id(g_object_get_data(G_OBJECT(widget), "kw_id")) - 1;
    event_post(EVENT_GADGET, id, gadget_window_of(widget), subtype);
}

gboolean gadget_on_focus_in(GtkWidget *widget, GdkEvent *, gpointer id) {
    event_post(EVENT_GADGET, pointer_to_id(id), gadget_window_of(widget), subtype_focus_in);
    return FALSE;
}

gboolean gadget_on_focus_out(GtkWidget *widget, GdkEvent *, gpointer id) {
    event_post(EVENT_GADGET, pointer_to_id(id), gadget_window_of(widget), subtype_focus_out);
    return FALSE;
}

void gadget_on_changed(GtkWidget *widget, gpointer id) {
    event_post(EVENT_GADGET, pointer_to_id(id), gadget_window_of(widget), subtype_changed);
}

GtkWindow *gadget_list_use(GtkWindow *window) {
    GtkWindow *previous = current_list.window;
    if (current_list.window) {
        auto *saved = static_cast<GadgetList *>(
            g_object_get_data(G_OBJECT(current_list.window), "kw_gadgetstack"));
        if (saved)
            *saved = current_list;
    }
    if (!window)
        return previous;
    auto *layout = static_cast<GtkWidget *>(g_object_get_data(G_OBJECT(window), "kw_gadgetlist"));
    if (!layout) {
        layout = gtk_layout_new(nullptr, nullptr);
        gtk_widget_show(layout);
        GtkWidget *box = gtk_bin_get_child(GTK_BIN(window));
        gtk_box_pack_start(GTK_BOX(box), layout, TRUE, TRUE, 0);
        g_object_set_data(G_OBJECT(window), "kw_gadgetlist", layout);
    }
    if (auto *saved =
            static_cast<GadgetList *>(g_object_get_data(G_OBJECT(window), "kw_gadgetstack"))) {
        current_list = *saved;
        return previous;
    }
    current_list = {window, layout};
    g_object_set_data_full(G_OBJECT(window), "kw_gadgetstack", new GadgetList(current_list),
                           gadget_list_forget);
    return previous;
}

// Only windows of this toolkit are taken; any other pointer only returns the
// current window.
void *gadget_list_use(void *window) {
    return on_gui_thread([&]() -> void * {
        WindowRecord *record = window_find_native(window, nullptr);
        return gadget_list_use(record ? GTK_WINDOW(record->widget) : nullptr);
    });
}

namespace {
// The size request of the placed widget, else of the main one.
GtkRequisition requested_size(GadgetRecord *record) {
    int width = -1, height = -1;
    gtk_widget_get_size_request(record->outer ? record->outer : record->widget, &width, &height);
    if (width == -1 && height == -1 && record->outer)
        gtk_widget_get_size_request(record->widget, &width, &height);
    return {width, height};
}
} // namespace

std::int32_t gadget_width(GadgetRecord *record) { return requested_size(record).width; }
std::int32_t gadget_height(GadgetRecord *record) { return requested_size(record).height; }

GadgetClass gadget_class_of_kind(std::int32_t kind) {
    GadgetClass table{};
    table.size = sizeof(GadgetClass);
    table.kind = kind;
    return table;
}

StoreRecord *store_record_attach(GadgetRecord *record, GtkListStore *store) {
    auto *attached = new StoreRecord{store, nullptr, 0, 0, nullptr};
    kind_word(record, STORE_WORD) = reinterpret_cast<std::intptr_t>(attached);
    return attached;
}

void store_record_detach(GadgetRecord *record) {
    auto *attached = reinterpret_cast<StoreRecord *>(kind_word(record, STORE_WORD));
    kind_word(record, STORE_WORD) = 0;
    if (!attached)
        return;
    g_list_free(attached->columns);
    delete attached;
}

bool store_row(GtkListStore *store, std::intptr_t row, GtkTreeIter *iter) {
    return row >= 0 && row <= G_MAXINT &&
           gtk_tree_model_iter_nth_child(GTK_TREE_MODEL(store), iter, nullptr,
                                         static_cast<int>(row));
}

GtkListStore *gadget_store(GadgetRecord *record) {
    return reinterpret_cast<StoreRecord *>(kind_word(record, STORE_WORD))->store;
}

void store_insert_text(GtkListStore *store, int column, std::intptr_t position, const char *text,
                       GtkTreeIter *inserted) {
    const int rows = gtk_tree_model_iter_n_children(GTK_TREE_MODEL(store), nullptr);
    const int row = position < 0 || position > rows ? rows : static_cast<int>(position);
    GtkTreeIter iter;
    gtk_list_store_insert_with_values(store, &iter, row, column, text, -1);
    if (inserted)
        *inserted = iter;
}

WideText store_get_text(GtkListStore *store, int column, std::intptr_t row) {
    GtkTreeIter iter;
    if (!store_row(store, row, &iter))
        return WideText();
    char *text = nullptr;
    gtk_tree_model_get(GTK_TREE_MODEL(store), &iter, column, &text, -1);
    return text_from_gtk_owned(text);
}

void store_set_int(GtkListStore *store, int column, std::intptr_t row, int value) {
    GtkTreeIter iter;
    if (store_row(store, row, &iter))
        gtk_list_store_set(store, &iter, column, value, -1);
}

int store_get_int(GtkListStore *store, int column, std::intptr_t row) {
    GtkTreeIter iter;
    int value = 0;
    if (store_row(store, row, &iter))
        gtk_tree_model_get(GTK_TREE_MODEL(store), &iter, column, &value, -1);
    return value;
}

void store_set_text(GtkListStore *store, int column, std::intptr_t row, const char *text) {
    GtkTreeIter iter;
    if (store_row(store, row, &iter))
        gtk_list_store_set(store, &iter, column, text, -1);
}

// ---------------------------------------------------------------------------
// Common operations
// ---------------------------------------------------------------------------

void gadget_free(ObjectId gadget) {
    on_gui_thread([&] { gadget_free_one(gadget); });
}

void *gadget_native_handle(ObjectId gadget) {
    return on_gui_thread([&]() -> void * {
        GadgetRecord *record = gadget_lookup(gadget);
        return record ? record->widget : nullptr;
    });
}

void gadget_disable(ObjectId gadget, std::int32_t state) {
    on_gui_thread([&] {
        if (GadgetRecord *record = gadget_lookup(gadget))
            gtk_widget_set_sensitive(record->widget, state == 0);
    });
}

void gadget_give_focus(ObjectId gadget) {
    with_gadget(gadget, &GadgetClass::give_focus,
                [](GadgetRecord *record) { record->gadget_class->give_focus(record); });
}
