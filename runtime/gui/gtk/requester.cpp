// Modal requesters: a message with an icon and buttons, and the open and save
// file choosers with a filter list.
#include "gtk_private.h"

#include "internal/chosen_files.h"

namespace {

constexpr std::int32_t yes_no = 0x1;
constexpr std::int32_t yes_no_cancel = 0x2;
constexpr std::int32_t info_icon = 0x4;
constexpr std::int32_t error_icon = 0x8;
constexpr std::int32_t warning_icon = 0x10;

std::int32_t selected_pattern = 0;

void pump_pending() {
    while (gtk_events_pending())
        gtk_main_iteration_do(FALSE);
}

GtkWidget *build_message(const WideText &title, const WideText &text, std::int32_t flags) {
    const GtkMessageType type = flags & info_icon      ? GTK_MESSAGE_INFO
                                : flags & warning_icon ? GTK_MESSAGE_WARNING
                                : flags & error_icon   ? GTK_MESSAGE_ERROR
                                                       : GTK_MESSAGE_OTHER;
    const bool with_cancel = (flags & yes_no_cancel) && !(flags & yes_no);
    const GtkButtonsType buttons =
        flags & (yes_no | yes_no_cancel) ? GTK_BUTTONS_YES_NO : GTK_BUTTONS_OK;
    GtkWidget *dialog = gtk_message_dialog_new(nullptr, GTK_DIALOG_MODAL, type, buttons, "%s",
                                               text_to_utf8(text).c_str());
    if (!dialog)
        return nullptr;
    if (with_cancel)
        gtk_dialog_add_button(GTK_DIALOG(dialog), "_Cancel", GTK_RESPONSE_CANCEL);
    gtk_window_set_title(GTK_WINDOW(dialog), text_to_utf8(title).c_str());
    return dialog;
}

std::intptr_t answer_of(int response) {
    switch (response) {
    case GTK_RESPONSE_NO:
        return REQUESTER_ANSWER_NO;
    case GTK_RESPONSE_YES:
    case GTK_RESPONSE_OK:
        return REQUESTER_ANSWER_YES;
    case GTK_RESPONSE_CANCEL:
        return 2;
    default:   // closed by the window manager, Escape, or GTK_RESPONSE_CLOSE
        return 0;
    }
}

std::intptr_t run_message(const WideText &title, const WideText &text, std::int32_t flags) {
    GtkWidget *dialog = build_message(title, text, flags);
    if (!dialog)
        return 0;
    const std::intptr_t answer = answer_of(gtk_dialog_run(GTK_DIALOG(dialog)));
    gtk_widget_destroy(dialog);
    pump_pending();
    return answer;
}

// A requester shown for another thread, which sleeps until the user answers
// while the event loop goes on running.
struct RequesterAnswer {
    std::intptr_t answer = 0;   // a message's answer
    WideText file;              // a file requester's chosen name
};
using AnswerReader = RequesterAnswer (*)(GtkWidget *dialog, int response);
struct PendingRequester {
    GtkWidget *dialog;
    AnswerReader read;      // on the event-loop thread, when the user answers
    RequesterAnswer given;  // guarded by the hand-over lock
    bool answered;          // guarded by the hand-over lock
};
using SharedRequester = std::shared_ptr<PendingRequester>;
std::vector<SharedRequester> pending_requesters;   // event-loop thread only

void forget_pending(PendingRequester *requester) {
    std::erase_if(pending_requesters, [&](const SharedRequester &r) { return r.get() == requester; });
}

RequesterAnswer message_answer(GtkWidget *, int response) {
    return {answer_of(response), WideText()};
}

void on_response(GtkDialog *dialog, int response, gpointer data) {
    PendingRequester *requester = static_cast<SharedRequester *>(data)->get();
    struct Given {
        PendingRequester *requester;
        RequesterAnswer answer;
    } given{requester, requester->read(GTK_WIDGET(dialog), response)};
    gui_signal([](void *g) {
        auto *answer = static_cast<Given *>(g);
        answer->requester->given = std::move(answer->answer);
        answer->requester->answered = true;
    }, &given);
    forget_pending(requester);   // may drop the list's reference; the closure keeps one
    gtk_widget_destroy(GTK_WIDGET(dialog));
}

SharedRequester show_for_other_thread(GtkWidget *dialog, AnswerReader read) {
    if (!dialog)
        return nullptr;
    auto requester = std::make_shared<PendingRequester>(PendingRequester{dialog, read, {}, false});
    g_signal_connect_data(dialog, "response", G_CALLBACK(on_response), new SharedRequester(requester),
                          [](gpointer data, GClosure *) { delete static_cast<SharedRequester *>(data); },
                          GConnectFlags(0));
    // A modal dialog grabs input for its window group, and GTK drops the
    // delete events of windows outside the grab. In a group of its own the
    // requester blocks only the worker that waits on it: the main window
    // still takes clicks and its close box while it is up.
    GtkWindowGroup *group = gtk_window_group_new();
    gtk_window_group_add_window(group, GTK_WINDOW(dialog));
    g_object_unref(group);   // the dialog holds the group from now on
    pending_requesters.push_back(requester);
    gtk_widget_show(dialog);
    return requester;
}

// On the calling worker: shows the requester build() makes and sleeps until
// it is answered, or until shut-down begins (an empty answer then).
template <class Build> RequesterAnswer ask_from_other_thread(Build build, AnswerReader read) {
    SharedRequester requester = on_gui_thread([&] { return show_for_other_thread(build(), read); });
    if (!requester)
        return {};
    const bool answered = gui_wait_until(
        [](void *r) { return static_cast<PendingRequester *>(r)->answered; }, requester.get());
    return answered ? requester->given : RequesterAnswer{};
}

// ---------------------------------------------------------------------------
// File requesters
// ---------------------------------------------------------------------------

void add_filters(GtkFileChooser *chooser, const std::string &pattern, std::int32_t pattern_index) {
    const std::vector<FilePattern> filters = parse_file_patterns(pattern);
    for (std::size_t index = 0; index < filters.size(); ++index) {
        GtkFileFilter *filter = gtk_file_filter_new();
        g_object_set_data(G_OBJECT(filter), "kw_index", GINT_TO_POINTER(index));
        gtk_file_filter_set_name(filter, filters[index].name.c_str());
        for (const std::string &glob : filters[index].patterns)
            gtk_file_filter_add_pattern(filter, glob.c_str());
        gtk_file_chooser_add_filter(chooser, filter);
        if (static_cast<std::int32_t>(index) == pattern_index)
            gtk_file_chooser_set_filter(chooser, filter);
    }
}

void set_default_file(GtkFileChooser *chooser, GtkFileChooserAction action, const WideText &file) {
    // The chooser takes paths in the file-name encoding and the name it shows as UTF-8.
    const std::string path = text_to_file_name(file);
    if (path.empty())
        return;
    if (path.back() == '/') {
        gtk_file_chooser_set_current_folder(chooser, path.c_str());
        return;
    }
    gtk_file_chooser_set_filename(chooser, path.c_str());
    if (action == GTK_FILE_CHOOSER_ACTION_SAVE) {
        const std::size_t slash = file.rfind(u'/');
        const std::string name = text_to_utf8(slash == WideText::npos ? file : file.substr(slash + 1));
        // A name that is no UTF-8 cannot be shown for editing; set_filename
        // has chosen it already when the file is there.
        if (g_utf8_validate(name.c_str(), -1, nullptr))
            gtk_file_chooser_set_current_name(chooser, name.c_str());
    }
}

GtkWidget *build_file_requester(GtkFileChooserAction action, const char *accept, const WideText &title,
                                const WideText &file, const WideText &pattern, std::int32_t pattern_index,
                                std::int32_t flags) {
    selected_pattern = 0;
    chosen_files_clear();
    GtkWidget *dialog = gtk_file_chooser_dialog_new(
        text_to_utf8(title).c_str(), nullptr, action, "gtk-cancel", GTK_RESPONSE_CANCEL, accept,
        GTK_RESPONSE_ACCEPT, nullptr);
    if (!dialog)
        return nullptr;
    GtkFileChooser *chooser = GTK_FILE_CHOOSER(dialog);
    gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_ACCEPT);
    set_default_file(chooser, action, file);
    gtk_file_chooser_set_select_multiple(chooser, (flags & REQUESTER_MULTIPLE_FILES) != 0);
    add_filters(chooser, text_to_utf8(pattern), pattern_index);
    return dialog;
}

// The chosen names as the system spells them (bytes that are no UTF-8
// kept): the first is the answer, requester_next_file hands out the others;
// and the filter in use.
RequesterAnswer chooser_answer(GtkWidget *dialog, int response) {
    GtkFileChooser *chooser = GTK_FILE_CHOOSER(dialog);
    RequesterAnswer answer;
    if (response == GTK_RESPONSE_ACCEPT) {
        std::vector<WideText> names;
        GSList *list = gtk_file_chooser_get_filenames(chooser);
        for (GSList *item = list; item; item = item->next)
            names.push_back(text_from_file_name(static_cast<char *>(item->data)));
        g_slist_free_full(list, g_free);
        answer.file = chosen_files_keep(std::move(names));
    }
    if (GtkFileFilter *current = gtk_file_chooser_get_filter(chooser))
        selected_pattern = GPOINTER_TO_INT(g_object_get_data(G_OBJECT(current), "kw_index"));
    return answer;
}

WideText run_file_requester(GtkWidget *dialog) {
    if (!dialog)
        return WideText();
    pump_pending();
    const RequesterAnswer answer = chooser_answer(dialog, gtk_dialog_run(GTK_DIALOG(dialog)));
    gtk_widget_destroy(dialog);
    pump_pending();
    return answer.file;
}

// Runs the requester here on the event-loop thread; from another thread only
// the caller waits for it.
WideText ask_for_file(GtkFileChooserAction action, const char *accept, const WideText &title,
                      const WideText &file, const WideText &pattern, std::int32_t pattern_index,
                      std::int32_t flags) {
    auto build = [&] {
        return build_file_requester(action, accept, title, file, pattern, pattern_index, flags);
    };
    if (gui_thread_is_current())
        return run_file_requester(build());
    return ask_from_other_thread(build, chooser_answer).file;
}

void add_glob(FilePattern &filter, const std::string &glob) {
    // "*.*" also matches names without an extension.
    filter.patterns.push_back(glob == "*.*" ? "*" : glob);
}

} // namespace

std::vector<FilePattern> parse_file_patterns(const std::string &pattern) {
    std::vector<FilePattern> filters;
    bool reading_patterns = false;
    std::string pending;
    for (const char c : pattern) {
        if (c == '|') {
            if (reading_patterns)
                add_glob(filters.back(), pending);
            else
                filters.push_back({pending, {}});
            reading_patterns = !reading_patterns;
            pending.clear();
        } else if (c == ';' && reading_patterns) {
            add_glob(filters.back(), pending);
            pending.clear();
        } else {
            pending += c;
        }
    }
    if (reading_patterns)
        add_glob(filters.back(), pending);
    return filters;
}

void requester_dismiss_pending() {
    // Destroying a dialog drops its response closure; the waiting thread has
    // been woken by the shut-down and answers 0.
    std::vector<SharedRequester> dismissed;
    dismissed.swap(pending_requesters);
    for (const SharedRequester &requester : dismissed)
        gtk_widget_destroy(requester->dialog);
}

std::intptr_t requester_message(const WideText &title, const WideText &text, std::int32_t flags) {
    if (gui_thread_is_current())
        return run_message(title, text, flags);
    return ask_from_other_thread([&] { return build_message(title, text, flags); }, message_answer).answer;
}

WideText requester_open_file(const WideText &title, const WideText &file, const WideText &pattern,
                             std::int32_t pattern_index) {
    return requester_open_file_ex(title, file, pattern, pattern_index, 0);
}

WideText requester_open_file_ex(const WideText &title, const WideText &file,
                                const WideText &pattern, std::int32_t pattern_index,
                                std::int32_t flags) {
    return ask_for_file(GTK_FILE_CHOOSER_ACTION_OPEN, "gtk-open", title, file, pattern, pattern_index,
                        flags);
}

WideText requester_save_file(const WideText &title, const WideText &file, const WideText &pattern,
                             std::int32_t pattern_index) {
    return ask_for_file(GTK_FILE_CHOOSER_ACTION_SAVE, "gtk-save", title, file, pattern, pattern_index, 0);
}

std::int32_t requester_selected_pattern() {
    return on_gui_thread([] { return selected_pattern; });
}
