// The GTK part of the toolkit view that answers requesters: every dialog the
// toolkit shows is read (title, text, buttons, chooser) and answered as the
// suite decides, from a timer on the event loop.
#include <gtest/gtest.h> // before X11, whose None macro it would not survive

#include "toolkit_view.h"

#include <gtk/gtk.h>

#include <filesystem>

namespace {

GList *dialog_windows() {
    GList *windows = gtk_window_list_toplevels();
    GList *dialogs = nullptr;
    for (GList *w = windows; w; w = w->next)
        if (GTK_IS_DIALOG(w->data) && gtk_widget_get_visible(GTK_WIDGET(w->data)))
            dialogs = g_list_prepend(dialogs, w->data);
    g_list_free(windows);
    return dialogs;
}

DialogSeen what_shows(GtkWidget *dialog) {
    DialogSeen seen;
    seen.title = gtk_window_get_title(GTK_WINDOW(dialog)) ?: "";
    seen.file_requester = GTK_IS_FILE_CHOOSER(dialog);
    if (GTK_IS_MESSAGE_DIALOG(dialog)) {
        gchar *text = nullptr;
        g_object_get(dialog, "text", &text, nullptr);
        seen.text = text ? text : "";
        g_free(text);
        seen.yes_no = gtk_dialog_get_widget_for_response(GTK_DIALOG(dialog), GTK_RESPONSE_YES);
    } else if (GTK_IS_FILE_CHOOSER(dialog)) {
        auto *chooser = GTK_FILE_CHOOSER(dialog);
        if (gtk_file_chooser_get_action(chooser) == GTK_FILE_CHOOSER_ACTION_SAVE) {
            gchar *name = gtk_file_chooser_get_current_name(chooser);
            seen.file_name = name ? name : "";
            g_free(name);
        }
        GtkFileFilter *filter = gtk_file_chooser_get_filter(chooser);
        seen.filter = filter ? gtk_file_filter_get_name(filter) : "";
    }
    return seen;
}

// Requesters being answered, on the event-loop thread, each referenced until it goes.
struct Answering {
    DialogAnswer answer;
    DialogSeen seen;
    gint64 shown_at;
    bool named = false; // its file's name given
};
std::map<GtkWidget *, Answering> answering;
std::function<std::optional<DialogAnswer>(const DialogSeen &)> decide;

std::filesystem::path target_of(const std::string &name) {
    return name.front() == '/' ? name : scratch_path(name);
}

void name_file(GtkFileChooser *chooser, const std::string &name) {
    const std::filesystem::path target = target_of(name);
    if (gtk_file_chooser_get_action(chooser) == GTK_FILE_CHOOSER_ACTION_SAVE) {
        gtk_file_chooser_set_current_folder(chooser, target.parent_path().c_str());
        gtk_file_chooser_set_current_name(chooser, target.filename().c_str());
    } else {
        gtk_file_chooser_set_filename(chooser, target.c_str());
    }
}

// Whether the chooser has taken the name: an open chooser selects the file
// only once it has loaded the folder, which takes a while on a busy machine.
bool took_name(GtkFileChooser *chooser, const std::string &name) {
    if (gtk_file_chooser_get_action(chooser) == GTK_FILE_CHOOSER_ACTION_SAVE)
        return true;
    gchar *chosen = gtk_file_chooser_get_filename(chooser);
    const bool took = chosen && target_of(name) == chosen;
    g_free(chosen);
    return took;
}

// Whether the requester may be answered now: up long enough, its file named
// and taken.
bool ready(GtkWidget *dialog, Answering &a) {
    if (g_get_monotonic_time() - a.shown_at < a.answer.after_ms * 1000)
        return false;
    if (!GTK_IS_FILE_CHOOSER(dialog) || a.answer.file.empty())
        return true;
    if (a.named)
        return took_name(GTK_FILE_CHOOSER(dialog), a.answer.file);
    name_file(GTK_FILE_CHOOSER(dialog), a.answer.file);
    a.named = true;
    return false;
}

void respond(GtkWidget *dialog, Reply reply) {
    const bool chooser = GTK_IS_FILE_CHOOSER(dialog);
    // A chooser turns an answer down while it still loads the folder: it is
    // given again on the next tick until the requester goes.
    gtk_dialog_response(GTK_DIALOG(dialog),
                        reply == Reply::yes  ? GTK_RESPONSE_YES
                        : reply == Reply::no ? GTK_RESPONSE_NO
                        : reply == Reply::ok
                            ? (chooser ? GTK_RESPONSE_ACCEPT : GTK_RESPONSE_OK)
                            : (chooser ? GTK_RESPONSE_CANCEL : GTK_RESPONSE_DELETE_EVENT));
}

// Runs inside whichever loop is turning: the event loop or a requester's own.
gboolean answer_tick(gpointer) {
    GList *dialogs = dialog_windows();
    for (GList *d = dialogs; d && decide; d = d->next) {
        auto *dialog = GTK_WIDGET(d->data);
        if (answering.count(dialog))
            continue;
        const DialogSeen seen = what_shows(dialog);
        if (std::optional<DialogAnswer> answer = decide(seen))
            answering.emplace(GTK_WIDGET(g_object_ref(dialog)),
                              Answering{*answer, seen, g_get_monotonic_time()});
    }
    g_list_free(dialogs);
    for (auto a = answering.begin(); a != answering.end();) {
        if (gtk_widget_get_visible(a->first)) {
            if (ready(a->first, a->second))
                respond(a->first, a->second.answer.reply);
            ++a;
            continue;
        }
        dialog_answered(a->second.seen);
        g_object_unref(a->first);
        a = answering.erase(a);
    }
    return G_SOURCE_CONTINUE;
}

} // namespace

void answer_every_dialog(std::function<std::optional<DialogAnswer>(const DialogSeen &)> answer) {
    static const guint source = g_timeout_add(20, answer_tick, nullptr);
    (void)source;
    decide = std::move(answer);
}

int dialogs_showing() {
    GList *dialogs = dialog_windows();
    const int count = static_cast<int>(g_list_length(dialogs));
    g_list_free(dialogs);
    return count;
}
