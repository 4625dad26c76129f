#include "tests/app/editor_harness.h"

#include "gui/gui.h"

#include <gtk/gtk.h>

#include <cstdlib>
#include <deque>
#include <filesystem>
#include <utility>

namespace {

std::deque<std::string> file_answers;
std::deque<Answer> question_answers;
std::vector<Seen> seen;
bool messages_held = false;

GtkWidget *widget_of(std::intptr_t gadget) {
    return static_cast<GtkWidget *>(gadget_native_handle(gadget));
}

// A file chooser may turn down a response while it is still loading a folder,
// so its answer is kept on the dialog and given again until it closes.
void answer_file_chooser(GtkWidget *dialog) {
    auto *path = static_cast<std::string *>(g_object_get_data(G_OBJECT(dialog), "kalvo_test_path"));
    if (!path) {
        seen.push_back({gtk_window_get_title(GTK_WINDOW(dialog)) ?: "", "file chooser"});
        path = new std::string;
        if (!file_answers.empty()) {
            *path = file_answers.front();
            file_answers.pop_front();
        }
        g_object_set_data_full(G_OBJECT(dialog), "kalvo_test_path", path,
                               [](gpointer p) { delete static_cast<std::string *>(p); });
        GtkFileChooser *chooser = GTK_FILE_CHOOSER(dialog);
        std::filesystem::path target(*path);
        if (path->empty()) {
        } else if (gtk_file_chooser_get_action(chooser) == GTK_FILE_CHOOSER_ACTION_SAVE) {
            gtk_file_chooser_set_current_folder(chooser, target.parent_path().c_str());
            gtk_file_chooser_set_current_name(chooser, target.filename().c_str());
        } else {
            gtk_file_chooser_set_filename(chooser, path->c_str());
        }
        return; // answered on the next tick, once the chooser took the name
    }
    gtk_dialog_response(GTK_DIALOG(dialog),
                        path->empty() ? GTK_RESPONSE_CANCEL : GTK_RESPONSE_ACCEPT);
}

void answer_message(GtkWidget *dialog) {
    gchar *text = nullptr;
    g_object_get(dialog, "text", &text, nullptr);
    seen.push_back({gtk_window_get_title(GTK_WINDOW(dialog)) ?: "", text ? text : ""});
    g_free(text);
    int response = GTK_RESPONSE_OK;
    if (gtk_dialog_get_widget_for_response(GTK_DIALOG(dialog), GTK_RESPONSE_YES)) {
        Answer answer = Answer::yes;
        if (!question_answers.empty()) {
            answer = question_answers.front();
            question_answers.pop_front();
        }
        response = answer == Answer::yes  ? GTK_RESPONSE_YES
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
        if (!gtk_widget_get_mapped(window) || !GTK_IS_DIALOG(window)) continue;
        if (GTK_IS_FILE_CHOOSER(window)) {
            answer_file_chooser(window);
            continue;
        }
        if (g_object_get_data(G_OBJECT(window), "kalvo_test_answered")) continue;
        g_object_set_data(G_OBJECT(window), "kalvo_test_answered", window);
        if (GTK_IS_MESSAGE_DIALOG(window)) {
            if (messages_held) {
                g_object_set_data(G_OBJECT(window), "kalvo_test_answered", nullptr);
                continue;
            }
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
    GtkTreeView *view = GTK_TREE_VIEW(widget_of(app.channel_list));
    GtkTreePath *path = gtk_tree_path_new_from_indices(row, -1);
    gtk_tree_view_set_cursor(view, path, nullptr, FALSE);
    gtk_tree_path_free(path);
    // A row that was already selected (GTK moves the selection when the
    // selected row is replaced) raises no selection event; a mouse click
    // would still post one on release, so post it as the click would.
    event_post(EVENT_GADGET, app.channel_list, app.main_window, 0);
}

bool is_enabled(std::intptr_t gadget) {
    return gtk_widget_get_sensitive(widget_of(gadget));
}

std::string row(int r) {
    std::string text;
    for (int column = 0; column < 4; ++column)
        text += (column ? "|" : "") + text_to_utf8(gadget_get_item_text(app.channel_list, r, column));
    return text;
}

int selected_row() {
    GtkTreeSelection *selection = gtk_tree_view_get_selection(GTK_TREE_VIEW(widget_of(app.channel_list)));
    GtkTreeModel *model = nullptr;
    GList *rows = gtk_tree_selection_get_selected_rows(selection, &model);
    int found = rows ? gtk_tree_path_get_indices(static_cast<GtkTreePath *>(rows->data))[0] : -1;
    g_list_free_full(rows, reinterpret_cast<GDestroyNotify>(gtk_tree_path_free));
    return found;
}

std::string text_of(std::intptr_t gadget) {
    if (GTK_IS_COMBO_BOX_TEXT(widget_of(gadget))) {
        gchar *text = gtk_combo_box_text_get_active_text(GTK_COMBO_BOX_TEXT(widget_of(gadget)));
        std::string shown = text ? text : "";
        g_free(text);
        return shown;
    }
    return text_to_utf8(gadget_get_text(gadget));
}

std::vector<std::string> combo_items(std::intptr_t combo) {
    std::vector<std::string> items;
    for (int index = 0;; ++index) {
        std::string item = text_to_utf8(gadget_get_item_text(combo, index));
        if (item.empty()) return items;
        items.push_back(item);
    }
}

std::string window_title() {
    return gtk_window_get_title(GTK_WINDOW(window_native_handle(app.main_window)));
}

GtkWidget *find_progress_bar(GtkWidget *widget) {
    if (GTK_IS_PROGRESS_BAR(widget)) return widget;
    if (!GTK_IS_CONTAINER(widget)) return nullptr;
    GList *children = gtk_container_get_children(GTK_CONTAINER(widget));
    GtkWidget *found = nullptr;
    for (GList *child = children; child && !found; child = child->next) {
        found = find_progress_bar(GTK_WIDGET(child->data));
    }
    g_list_free(children);
    return found;
}

double progress() {
    GtkWidget *bar = find_progress_bar(static_cast<GtkWidget *>(window_native_handle(app.main_window)));
    return bar ? gtk_progress_bar_get_fraction(GTK_PROGRESS_BAR(bar)) : 0.0;
}

void queue_file_answer(const std::string &path) {
    file_answers.push_back(path);
}

void queue_answer(Answer answer) {
    question_answers.push_back(answer);
}

void hold_messages(bool hold) {
    messages_held = hold;
}

bool message_on_screen(const std::string &text) {
    GList *windows = gtk_window_list_toplevels();
    bool found = false;
    for (GList *item = windows; item && !found; item = item->next) {
        GtkWidget *window = GTK_WIDGET(item->data);
        if (!GTK_IS_MESSAGE_DIALOG(window) || !gtk_widget_get_mapped(window)) continue;
        gchar *shown = nullptr;
        g_object_get(window, "text", &shown, nullptr);
        found = shown && text == shown;
        g_free(shown);
    }
    g_list_free(windows);
    return found;
}

std::vector<Seen> take_seen() {
    return std::exchange(seen, {});
}
