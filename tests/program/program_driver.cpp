#include "program_driver.h"

#include "accessible_tree.h"
#include "radios.h"

#include <X11/Xlib.h>
#include <atspi/atspi.h>

#include <cstdlib>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char **environ;

using namespace std::chrono_literals;

void Unref::operator()(void *object) const {
    if (object)
        g_object_unref(object);
}

namespace {

const char *const TITLE = "Kalvo 1.02";

} // namespace

// The accessibility library keeps what it has read up to date from the
// events it is sent, which arrive on this thread's main context.
bool wait_until(const std::function<bool()> &done, int timeout_ms) {
    return poll_until(
        [&] {
            while (g_main_context_iteration(nullptr, FALSE)) {}
            return done();
        },
        timeout_ms);
}

void Program::kill_program() {
    app_.reset();
    if (pid_ > 0 && kill(pid_, SIGKILL) == 0)
        waitpid(pid_, nullptr, 0);
    pid_ = -1;
}

// The accessibility bus and its registry start on a session's first query.
// A program started before the registry answers finds no one to register
// with and stays out of reach for its whole life, so the registry is asked
// first, with the time a busy machine needs to start it.
namespace {

bool registry_answers() {
    return wait_until(
        [] {
            Accessible desktop(atspi_get_desktop(0));
            atspi_accessible_clear_cache(desktop.get());
            GError *error = nullptr;
            atspi_accessible_get_child_count(desktop.get(), &error);
            const bool answered = error == nullptr;
            g_clear_error(&error);
            return answered;
        },
        60000);
}

} // namespace

bool Program::start() {
    atspi_init(); // once per process; later calls do nothing
    atspi_set_timeout(5000, 20000);
    if (!registry_answers())
        return false;
    char *argv[] = {const_cast<char *>(KALVO_PATH), nullptr};
    if (posix_spawn(&pid_, KALVO_PATH, nullptr, nullptr, argv, environ) != 0)
        return false;
    auto found_app = [this] {
        Accessible desktop(atspi_get_desktop(0));
        atspi_accessible_clear_cache(desktop.get()); // programs come and go
        app_ = find(
            desktop.get(),
            [this](AtspiAccessible *item) {
                return atspi_accessible_get_process_id(item, nullptr) == static_cast<guint>(pid_);
            },
            false);
        return app_ != nullptr;
    };
    // Shown with all its rows and the port list filled in.
    if (!wait_until(found_app, 30000) || !wait_until([this] { return row(99) == "99|||"; }, 30000))
        return false;
    xid_ = std::strtoul(xdotool({"search", "--all", "--onlyvisible", "--pid", std::to_string(pid_),
                                 "--name", std::string("^") + TITLE + "$"})
                            .c_str(),
                        nullptr, 10);
    return xid_ != 0;
}

Accessible Program::window(const std::string &role, const std::string &name) {
    return app_ ? showing(app_.get(), role, name, false) : nullptr;
}

Accessible Program::in_window(const std::string &role, const std::string &name) {
    Accessible frame = window("frame", TITLE);
    return frame ? showing(frame.get(), role, name) : nullptr;
}

// A screen reader user finds a field or combo by its name, the text of its label.
Accessible Program::named(const std::string &label) {
    Accessible frame = window("frame", TITLE);
    return frame ? find(frame.get(),
                        [&](AtspiAccessible *item) {
                            return (role_of(item) == "text" || role_of(item) == "combo box") &&
                                   name_of(item) == label;
                        })
                 : nullptr;
}

Owned<AtspiTable> Program::cells() {
    Accessible list = in_window("table");
    return Owned<AtspiTable>(list ? atspi_accessible_get_table_iface(list.get()) : nullptr);
}

std::string Program::row(int r) {
    const auto list = cells();
    std::string text;
    for (int column = 0; list && column < 4; ++column) {
        Accessible cell(atspi_table_get_accessible_at(list.get(), r, column, nullptr));
        text += (column ? "|" : "") + (cell ? name_of(cell.get()) : "?");
    }
    return text;
}

int Program::selected_row() {
    const auto list = cells();
    GArray *selected = list ? atspi_table_get_selected_rows(list.get(), nullptr) : nullptr;
    const int found = selected && selected->len ? g_array_index(selected, gint, 0) : -1;
    if (selected)
        g_array_free(selected, TRUE);
    return found;
}

std::string Program::shown(const std::string &label) {
    Accessible gadget = named(label);
    if (!gadget)
        return "?";
    const Owned<AtspiText> text(atspi_accessible_get_text_iface(gadget.get()));
    return text ? take(atspi_text_get_text(text.get(), 0, -1, nullptr)) : chosen_item(gadget.get());
}

std::string Program::labelled_by(const std::string &label) {
    Accessible gadget = named(label);
    GArray *relations = gadget ? atspi_accessible_get_relation_set(gadget.get(), nullptr) : nullptr;
    std::string by = "?";
    for (guint i = 0; relations && i < relations->len; ++i) {
        AtspiRelation *relation = g_array_index(relations, AtspiRelation *, i);
        if (atspi_relation_get_relation_type(relation) == ATSPI_RELATION_LABELLED_BY) {
            Accessible target(atspi_relation_get_target(relation, 0));
            by = target ? name_of(target.get()) : "";
        }
        g_object_unref(relation);
    }
    if (relations)
        g_array_free(relations, TRUE);
    return by;
}

bool Program::lists(const std::string &label, const std::string &item) {
    Accessible combo = named(label);
    return combo && find(combo.get(), [&](AtspiAccessible *entry) {
               return role_of(entry) == "menu item" && name_of(entry) == item;
           });
}

bool Program::enabled(const std::string &caption) {
    Accessible gadget = in_window("push button", caption);
    return gadget && has_state(gadget.get(), ATSPI_STATE_SENSITIVE);
}

double Program::progress() {
    Accessible bar = in_window("progress bar");
    const Owned<AtspiValue> value(bar ? atspi_accessible_get_value_iface(bar.get()) : nullptr);
    if (!value)
        return -1;
    return atspi_value_get_current_value(value.get(), nullptr) /
           atspi_value_get_maximum_value(value.get(), nullptr);
}

std::string Program::message(int timeout_ms) {
    std::string text;
    wait_until(
        [&] {
            Accessible box = window("alert");
            Accessible label =
                box ? find(box.get(),
                           [](AtspiAccessible *item) {
                               return role_of(item) == "label" && !name_of(item).empty();
                           })
                    : nullptr;
            return !(text = label ? name_of(label.get()) : "").empty();
        },
        timeout_ms);
    return text;
}

void Program::click(AtspiAccessible *gadget, int settle_ms) {
    const AtspiRect box = box_of(gadget);
    xdotool({"mousemove", std::to_string(box.x + box.width / 2),
             std::to_string(box.y + box.height / 2), "click", "1"});
    std::this_thread::sleep_for(std::chrono::milliseconds(settle_ms));
}

void Program::press(const std::string &caption, int settle_ms) {
    if (Accessible gadget = in_window("push button", caption))
        click(gadget.get(), settle_ms);
}

void Program::select_row(int r) {
    const auto list = cells();
    if (Accessible cell{list ? atspi_table_get_accessible_at(list.get(), r, 0, nullptr) : nullptr})
        click(cell.get());
}

void Program::type(const std::string &label, const std::string &text) {
    if (Accessible field = named(label))
        click(field.get());
    xdotool({"key", "ctrl+a", "BackSpace", "type", "--delay", "10", "--", text});
    std::this_thread::sleep_for(100ms);
}

bool Program::choose(const std::string &label, const std::string &item) {
    Accessible combo = named(label);
    if (!combo)
        return false;
    click(combo.get());
    Accessible entry;
    if (!wait_until([&] { return (entry = showing(combo.get(), "menu item", item)) != nullptr; },
                    3000)) {
        xdotool({"key", "Escape"});
        return false;
    }
    click(entry.get());
    return wait_until([&] { return chosen_item(combo.get()) == item; }, 2000);
}

// Answered after message() has seen the box.
bool Program::answer(const std::string &caption) {
    Accessible box = window("alert");
    if (!box)
        return false;
    if (caption == "Escape") {
        const AtspiRect at = box_of(box.get());
        xdotool({"mousemove", std::to_string(at.x + 5), std::to_string(at.y + 5), "key", "Escape"});
    } else if (Accessible button = showing(box.get(), "push button", caption)) {
        click(button.get());
    }
    return wait_until([&] { return !window("alert"); }, 3000);
}

bool Program::choose_file(const std::string &path) {
    Accessible chooser;
    if (!wait_until([&] { return (chooser = window("file chooser")) != nullptr; }, 10000))
        return false;
    const std::string title = name_of(chooser.get());
    // States are read afresh: the library keeps the ones it has read.
    const auto now = [&](AtspiAccessible *item, AtspiStateType state) {
        atspi_accessible_clear_cache(item);
        return has_state(item, state);
    };
    // Without a window manager the chooser takes the keyboard only when asked;
    // keys pressed before it has it would go elsewhere.
    xdotool({"search", "--sync", "--onlyvisible", "--name", "^" + title + "$", "windowfocus",
             "--sync"});
    if (!wait_until([&] { return now(chooser.get(), ATSPI_STATE_ACTIVE); }, 5000))
        return false;
    // The load chooser shows its name box on Ctrl+L; the save chooser has one.
    if (title.find("load") != std::string::npos)
        xdotool({"key", "ctrl+l"});
    Accessible entry;
    const auto name_box = [&] {
        entry = find(chooser.get(), [&](AtspiAccessible *item) {
            return role_of(item) == "text" && now(item, ATSPI_STATE_FOCUSED);
        });
        return entry != nullptr;
    };
    const auto typed = [&] {
        const Owned<AtspiText> text(atspi_accessible_get_text_iface(entry.get()));
        return text && take(atspi_text_get_text(text.get(), 0, -1, nullptr)) == path;
    };
    if (!wait_until(name_box, 5000))
        return false;
    xdotool({"key", "ctrl+a", "type", "--delay", "5", "--", path});
    if (!wait_until(typed, 5000))
        return false;
    // The chooser completes names from the folder it loads meanwhile, and
    // takes a Return that meets its completion list as the choice of a
    // completion; the user then sees the name still there and presses
    // Return once more.
    for (int key = 0; key < 3; ++key) {
        xdotool({"key", "Return"});
        if (wait_until([&] { return !window("file chooser"); }, 3000))
            return true;
        if (!typed())
            return false;
    }
    return false;
}

void Program::request_close() {
    Display *display = XOpenDisplay(nullptr);
    if (!display)
        return;
    // A window gone meanwhile is no reason to end the test process.
    XSetErrorHandler([](Display *, XErrorEvent *) { return 0; });
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = xid_;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    XSendEvent(display, xid_, False, NoEventMask, &event);
    XCloseDisplay(display);
}

int Program::wait_exit(std::chrono::milliseconds timeout) {
    int status = 0;
    if (!wait_until([&] { return waitpid(pid_, &status, WNOHANG) == pid_; }, timeout.count()))
        return -1;
    pid_ = -1;
    app_.reset();
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
