#include "tests/app/editor_harness.h"

#include "gui/gui.h"

#include <gtk/gtk.h>

#include <cstdlib>
#include <filesystem>

namespace {

GtkWidget *widget_of(std::intptr_t gadget) {
    return static_cast<GtkWidget *>(gadget_native_handle(gadget));
}

// A file chooser may turn down a response while it is still loading a folder,
// so its answer is kept on the dialog and given again until it closes.
void answer_file_chooser(GtkWidget *dialog) {
    auto *path = static_cast<std::string *>(g_object_get_data(G_OBJECT(dialog), "kalvo_test_path"));
    if (path) {
        gtk_dialog_response(GTK_DIALOG(dialog), path->empty() ? GTK_RESPONSE_CANCEL : GTK_RESPONSE_ACCEPT);
        return;
    }
    note_seen({gtk_window_get_title(GTK_WINDOW(dialog)) ?: "", "file chooser"});
    path = new std::string(next_file_answer());
    g_object_set_data_full(G_OBJECT(dialog), "kalvo_test_path", path,
                           [](gpointer p) { delete static_cast<std::string *>(p); });
    GtkFileChooser *chooser = GTK_FILE_CHOOSER(dialog);
    const std::filesystem::path target(*path);
    if (path->empty()) return;
    if (gtk_file_chooser_get_action(chooser) == GTK_FILE_CHOOSER_ACTION_SAVE) {
        gtk_file_chooser_set_current_folder(chooser, target.parent_path().c_str());
        gtk_file_chooser_set_current_name(chooser, target.filename().c_str());
    } else {
        gtk_file_chooser_set_filename(chooser, path->c_str());
    }
    // Answered on the next tick, once the chooser took the name.
}

void answer_message(GtkWidget *dialog) {
    gchar *text = nullptr;
    g_object_get(dialog, "text", &text, nullptr);
    note_seen({gtk_window_get_title(GTK_WINDOW(dialog)) ?: "", text ? text : ""});
    g_free(text);
    int response = GTK_RESPONSE_OK;
    if (gtk_dialog_get_widget_for_response(GTK_DIALOG(dialog), GTK_RESPONSE_YES)) {
        const Answer answer = next_answer();
        response = answer == Answer::yes ? GTK_RESPONSE_YES
                   : answer == Answer::no ? GTK_RESPONSE_NO
                                          : GTK_RESPONSE_DELETE_EVENT;
    }
    gtk_dialog_response(GTK_DIALOG(dialog), response);
}

// Runs inside whichever loop is turning: the event loop or a requester's own.
gboolean answer_requesters(gpointer) {
    GList *windows = gtk_window_list_toplevels();
    for (GList *item = windows; item; item = item->next) {
        GtkWidget *window = GTK_WIDGET(item->data);
        if (!gtk_widget_get_mapped(window)) continue;
        if (GTK_IS_FILE_CHOOSER(window)) {
            answer_file_chooser(window);
        } else if (GTK_IS_MESSAGE_DIALOG(window) && !g_object_get_data(G_OBJECT(window), "kalvo_test_answered")) {
            g_object_set_data(G_OBJECT(window), "kalvo_test_answered", window);
            answer_message(window);
        }
    }
    g_list_free(windows);
    return G_SOURCE_CONTINUE;
}

} // namespace

void harness_start() {
    static bool started = false;
    if (started) return;
    started = true;
    // The file choosers keep their settings in memory, not in the user's dconf.
    setenv("GSETTINGS_BACKEND", "memory", 1);
    static char name[] = "kalvo-test";
    static char *argv[] = {name, nullptr};
    runtime_start(1, argv);
    app_start();
    g_timeout_add(20, answer_requesters, nullptr);
}

void click(std::intptr_t button) {
    gtk_button_clicked(GTK_BUTTON(widget_of(button)));
}

void choose_item(std::intptr_t combo, int index) {
    gtk_combo_box_set_active(GTK_COMBO_BOX(widget_of(combo)), index);
}

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

bool is_enabled(std::intptr_t gadget) {
    return gtk_widget_get_sensitive(widget_of(gadget));
}

int selected_row() {
    GtkTreeSelection *selection = gtk_tree_view_get_selection(GTK_TREE_VIEW(widget_of(app.channel_list)));
    GList *rows = gtk_tree_selection_get_selected_rows(selection, nullptr);
    int found = rows ? gtk_tree_path_get_indices(static_cast<GtkTreePath *>(rows->data))[0] : -1;
    g_list_free_full(rows, reinterpret_cast<GDestroyNotify>(gtk_tree_path_free));
    return found;
}
