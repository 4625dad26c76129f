// Modal requesters: a message with an icon and buttons, and the open and save
// file choosers with a filter list.
#include "gtk_private.h"

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

// A message requester shown for another thread, which sleeps until the user
// answers while the event loop goes on running.
struct PendingMessage {
    GtkWidget *dialog;
    std::intptr_t answer;   // guarded by the hand-over lock
    bool answered;          // guarded by the hand-over lock
};
using SharedMessage = std::shared_ptr<PendingMessage>;
std::vector<SharedMessage> pending_messages;   // event-loop thread only

void forget_pending(PendingMessage *message) {
    std::erase_if(pending_messages, [&](const SharedMessage &m) { return m.get() == message; });
}

void on_response(GtkDialog *dialog, int response, gpointer data) {
    PendingMessage *message = static_cast<SharedMessage *>(data)->get();
    struct Answer {
        PendingMessage *message;
        std::intptr_t answer;
    } answer{message, answer_of(response)};
    gui_signal([](void *a) {
        auto *given = static_cast<Answer *>(a);
        given->message->answer = given->answer;
        given->message->answered = true;
    }, &answer);
    forget_pending(message);   // may drop the list's reference; the closure keeps one
    gtk_widget_destroy(GTK_WIDGET(dialog));
}

SharedMessage show_for_other_thread(const WideText &title, const WideText &text,
                                    std::int32_t flags) {
    GtkWidget *dialog = build_message(title, text, flags);
    if (!dialog)
        return nullptr;
    auto message = std::make_shared<PendingMessage>(PendingMessage{dialog, 0, false});
    g_signal_connect_data(dialog, "response", G_CALLBACK(on_response), new SharedMessage(message),
                          [](gpointer data, GClosure *) { delete static_cast<SharedMessage *>(data); },
                          GConnectFlags(0));
    // A modal dialog grabs input for its window group, and GTK drops the
    // delete events of windows outside the grab. In a group of its own the
    // message blocks only the worker that waits on it: the main window still
    // takes clicks and its close box while the message is up.
    GtkWindowGroup *group = gtk_window_group_new();
    gtk_window_group_add_window(group, GTK_WINDOW(dialog));
    g_object_unref(group);   // the dialog holds the group from now on
    pending_messages.push_back(message);
    gtk_widget_show(dialog);
    return message;
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

void set_default_file(GtkFileChooser *chooser, GtkFileChooserAction action, const std::string &file) {
    if (file.empty())
        return;
    if (file.back() == '/') {
        gtk_file_chooser_set_current_folder(chooser, file.c_str());
        return;
    }
    gtk_file_chooser_set_filename(chooser, file.c_str());
    if (action == GTK_FILE_CHOOSER_ACTION_SAVE) {
        const std::size_t slash = file.rfind('/');
        const std::string name = slash == std::string::npos ? file : file.substr(slash + 1);
        gtk_file_chooser_set_current_name(chooser, name.c_str());
    }
}

WideText run_file_requester(GtkFileChooserAction action, const char *accept, const WideText &title,
                            const WideText &file, const WideText &pattern,
                            std::int32_t pattern_index) {
    selected_pattern = 0;
    GtkWidget *dialog = gtk_file_chooser_dialog_new(
        text_to_utf8(title).c_str(), nullptr, action, "gtk-cancel", GTK_RESPONSE_CANCEL, accept,
        GTK_RESPONSE_ACCEPT, nullptr);
    if (!dialog)
        return WideText();
    GtkFileChooser *chooser = GTK_FILE_CHOOSER(dialog);
    gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_ACCEPT);
    set_default_file(chooser, action, text_to_utf8(file));
    add_filters(chooser, text_to_utf8(pattern), pattern_index);
    pump_pending();
    WideText result;
    if (gtk_dialog_run(GTK_DIALOG(dialog)) == GTK_RESPONSE_ACCEPT)
        result = text_from_gtk_owned(gtk_file_chooser_get_filename(chooser));
    if (GtkFileFilter *current = gtk_file_chooser_get_filter(chooser))
        selected_pattern = GPOINTER_TO_INT(g_object_get_data(G_OBJECT(current), "kw_index"));
    gtk_widget_destroy(dialog);
    pump_pending();
    return result;
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
    std::vector<SharedMessage> dismissed;
    dismissed.swap(pending_messages);
    for (const SharedMessage &message : dismissed)
        gtk_widget_destroy(message->dialog);
}

std::intptr_t requester_message(const WideText &title, const WideText &text, std::int32_t flags) {
    if (gui_thread_is_current())
        return run_message(title, text, flags);
    SharedMessage message = on_gui_thread([&] { return show_for_other_thread(title, text, flags); });
    if (!message)
        return 0;
    const bool answered = gui_wait_until(
        [](void *m) { return static_cast<PendingMessage *>(m)->answered; }, message.get());
    return answered ? message->answer : 0;
}

WideText requester_open_file(const WideText &title, const WideText &file, const WideText &pattern,
                             std::int32_t pattern_index) {
    return on_gui_thread([&] {
        return run_file_requester(GTK_FILE_CHOOSER_ACTION_OPEN, "gtk-open", title, file, pattern,
                                  pattern_index);
    });
}

WideText requester_save_file(const WideText &title, const WideText &file, const WideText &pattern,
                             std::int32_t pattern_index) {
    return on_gui_thread([&] {
        return run_file_requester(GTK_FILE_CHOOSER_ACTION_SAVE, "gtk-save", title, file, pattern,
                                  pattern_index);
    });
}

std::int32_t requester_selected_pattern() {
    return on_gui_thread([] { return selected_pattern; });
}
