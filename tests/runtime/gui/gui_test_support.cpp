// Shared by the toolkit suites: starts the runtime once per test program on
// the main thread, after making sure an X display is there.
#include "gui_test_support.h"

#include <gtest/gtest.h>

#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>

namespace {

class ToolkitEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        XInitThreads();   // must come before any other Xlib call, as in runtime_start
        const char *display = std::getenv("DISPLAY");
        Display *probe = display ? XOpenDisplay(display) : nullptr;
        if (!probe) {
            std::fprintf(stderr, "These tests need an X display: none answers at DISPLAY=%s.\n"
                                 "Run them through scripts/test.sh, or start Xvfb "
                                 "(scripts/xvfb.sh: kalvo_display) first.\n",
                         display ? display : "(unset)");
            std::exit(2);
        }
        XCloseDisplay(probe);
        // Keep GTK's settings (file chooser state) out of the user's store.
        setenv("GSETTINGS_BACKEND", "memory", 1);
        // No accessibility bus: it is not needed here and keeps its connection alive.
        setenv("NO_AT_BRIDGE", "1", 1);
        // A locale from the environment, as users have one: the start-up must
        // still leave numbers in the "C" form.
        setenv("LC_ALL", "C.UTF-8", 1);
        static char name[] = "gui_test";
        static char *args[] = {name, nullptr};
        runtime_start(1, args);
        // Scrolling then lands at once instead of over several frames.
        g_object_set(gtk_settings_get_default(), "gtk-enable-animations", FALSE, nullptr);
    }
};

[[maybe_unused]] testing::Environment *const environment =
    testing::AddGlobalTestEnvironment(new ToolkitEnvironment);

} // namespace

// GTK, GLib and fontconfig are not built with the thread sanitizer, and their
// own helper threads synchronise in ways it cannot see; only races that
// involve our instrumented code are reported.
extern "C" const char *__tsan_default_options() { return "ignore_noninstrumented_modules=1"; }
// fontconfig keeps its font cache for the life of the process.
extern "C" const char *__lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

bool is_toolkit_event(std::int32_t code) { return code > 0; }

GtkWidget *find_toplevel(GType type) {
    GList *windows = gtk_window_list_toplevels();
    GtkWidget *found = nullptr;
    for (GList *w = windows; w && !found; w = w->next)
        if (G_TYPE_CHECK_INSTANCE_TYPE(w->data, type) && gtk_widget_get_visible(GTK_WIDGET(w->data)))
            found = GTK_WIDGET(w->data);
    g_list_free(windows);
    return found;
}

GtkWidget *wait_for_toplevel(GType type) {
    GtkWidget *found = nullptr;
    for (int tries = 0; tries < 100 && !found; ++tries) {
        pump_events(20);
        found = find_toplevel(type);
    }
    return found;
}

void answer_when_shown(GType type, std::function<void(GtkWidget *)> answer) {
    struct Watch {
        GType type;
        std::function<void(GtkWidget *)> answer;
    };
    g_timeout_add_full(G_PRIORITY_DEFAULT, 20, [](gpointer data) -> gboolean {
        auto *watch = static_cast<Watch *>(data);
        GtkWidget *dialog = find_toplevel(watch->type);
        if (!dialog)
            return G_SOURCE_CONTINUE;
        watch->answer(dialog);
        return G_SOURCE_REMOVE;
    }, new Watch{type, std::move(answer)}, [](gpointer data) { delete static_cast<Watch *>(data); });
}
