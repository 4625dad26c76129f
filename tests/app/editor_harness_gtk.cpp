#include "editor_harness.h"

#include "gui/gui.h"

#include <gtk/gtk.h>

namespace {

GtkWidget *widget_of(std::intptr_t gadget) { return static_cast<GtkWidget *>(gadget_native_handle(gadget)); }

} // namespace

void choose_item(std::intptr_t combo, int index) { gtk_combo_box_set_active(GTK_COMBO_BOX(widget_of(combo)), index); }

void type_text(std::intptr_t field, const std::string &text) {
    gtk_entry_set_text(GTK_ENTRY(widget_of(field)), text.c_str());
}

void paste_text(std::intptr_t field, const std::string &text) {
    GtkWidget *entry = widget_of(field);
    gtk_entry_set_text(GTK_ENTRY(entry), "");
    gtk_widget_grab_focus(entry);
    gtk_clipboard_set_text(gtk_clipboard_get(GDK_SELECTION_CLIPBOARD), text.c_str(), -1);
    g_signal_emit_by_name(entry, "paste-clipboard");
    run_events_for(100); // the clipboard answers through the event loop
}

void select_row(int row) {
    GtkTreePath *path = gtk_tree_path_new_from_indices(row, -1);
    gtk_tree_view_set_cursor(GTK_TREE_VIEW(widget_of(app.channel_list)), path, nullptr, FALSE);
    gtk_tree_path_free(path);
    // A row that was already selected (GTK moves the selection when the
    // selected row is replaced) raises no selection event; a mouse click
    // would still post one on release, so post it as the click would.
    event_post(EVENT_GADGET, app.channel_list, app.main_window, 0);
}
