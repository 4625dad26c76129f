// Numbered top-level windows. Each holds a vertical box with the GtkLayout the
// gadgets are put into; its signals become window events in the queue.
#include "gtk_private.h"
#include "internal/numbered.h"
#include "internal/window_native.h"

#include <algorithm>

namespace {

Numbered<WindowRecord> windows;

constexpr std::int32_t maximize_gadget = 0x10;
constexpr std::int32_t borderless = 0x80;
constexpr std::int32_t tool_window = 0x800;
constexpr std::int32_t keep_gadget_list = 0x1000;
constexpr std::int32_t no_activate = 0x2000;

const char window_css[] =
    "button, entry {min-height: 20px;} tab {min-height: 20px;} button, scale {padding-bottom: "
    "2px; padding-left: 2px; padding-right: 2px; padding-top: 2px} ";

void on_destroy(GtkWidget *widget, gpointer window) {
    ObjectId id = pointer_to_id(window);
    WindowRecord *record = windows.lookup(id);
    if (!record || record->widget != widget)
        return;
    g_object_unref(record->accelerators);
    gtk_style_context_remove_provider_for_screen(gtk_widget_get_screen(widget),
                                                 GTK_STYLE_PROVIDER(record->style));
    g_object_unref(record->style);
    event_purge_window(id);
    windows.forget(id);
}

// Resizability comes from the flags as given: a tool window loses its
// maximise gadget and opening states, not the resizing they asked for.
bool is_resizable(std::int32_t flags) {
    return flags & (WINDOW_SIZEABLE | maximize_gadget | WINDOW_STATE_MAXIMIZED);
}

std::int32_t effective_flags(std::int32_t x, std::int32_t y, std::int32_t flags) {
    if (x == NOT_GIVEN || y == NOT_GIVEN)
        flags |= WINDOW_SCREEN_CENTERED;
    if (flags & tool_window)
        flags &= ~(maximize_gadget | WINDOW_MINIMIZE_GADGET | WINDOW_STATE_MAXIMIZED |
                   WINDOW_STATE_MINIMIZED);
    return flags;
}

void set_decorations(GtkWidget *window, std::int32_t flags, bool resizable) {
    GdkWindow *native = gtk_widget_get_window(window);
    int decorations = 0;
    if (!(flags & borderless)) {
        decorations = GDK_DECOR_BORDER | GDK_DECOR_TITLE;
        if (resizable)
            decorations |= GDK_DECOR_RESIZEH;
        if (flags & WINDOW_SYSTEM_MENU)
            decorations |= GDK_DECOR_MENU;
        if (flags & WINDOW_MINIMIZE_GADGET)
            decorations |= GDK_DECOR_MINIMIZE;
        if (flags & maximize_gadget)
            decorations |= GDK_DECOR_MAXIMIZE;
    }
    int functions = GDK_FUNC_MOVE | GDK_FUNC_CLOSE;
    if (resizable)
        functions |= GDK_FUNC_RESIZE;
    if (flags & WINDOW_MINIMIZE_GADGET)
        functions |= GDK_FUNC_MINIMIZE;
    if (flags & maximize_gadget)
        functions |= GDK_FUNC_MAXIMIZE;
    gdk_window_set_decorations(native, static_cast<GdkWMDecoration>(decorations));
    gdk_window_set_functions(native, static_cast<GdkWMFunction>(functions));
}

// Centres on the screen, or on the parent's frame (nothing without a parent).
void window_center(GtkWidget *window, std::int32_t flags, GtkWidget *parent) {
    GdkRectangle area{};
    if (flags & WINDOW_SCREEN_CENTERED) {
        GdkScreen *screen = gtk_widget_get_screen(window);
        G_GNUC_BEGIN_IGNORE_DEPRECATIONS
        area.width = gdk_screen_get_width(screen);
        area.height = gdk_screen_get_height(screen);
        G_GNUC_END_IGNORE_DEPRECATIONS
    } else if ((flags & WINDOW_PARENT_CENTERED) && parent && gtk_widget_get_window(parent)) {
        gdk_window_get_frame_extents(gtk_widget_get_window(parent), &area);
    } else {
        return;
    }
    const auto width = static_cast<int>(widget_int(window, "kw_previous_width"));
    const auto height = static_cast<int>(widget_int(window, "kw_previous_height"));
    gtk_window_move(GTK_WINDOW(window), area.x + area.width / 2 - width / 2,
                    area.y + area.height / 2 - height / 2);
}

void connect_window(GtkWidget *window, ObjectId number) {
    gpointer id = id_to_pointer(number);
    g_signal_connect(window, "destroy", G_CALLBACK(on_destroy), id);
    g_object_set_data(G_OBJECT(window), "kw_id", id);
    window_connect_events(window, id);
}

GtkCssProvider *add_window_style(GtkWidget *window) {
    GtkCssProvider *style = gtk_css_provider_new();
    gtk_css_provider_load_from_data(style, window_css, -1, nullptr);
    gtk_style_context_add_provider_for_screen(gtk_widget_get_screen(window),
                                              GTK_STYLE_PROVIDER(style), 600);
    return style;
}

void apply_window_state(GtkWidget *window, std::int32_t state) {
    if (state == WINDOW_STATE_MAXIMIZED) {
        gtk_window_maximize(GTK_WINDOW(window));
        gtk_window_deiconify(GTK_WINDOW(window));
    } else if (state == WINDOW_STATE_MINIMIZED) {
        gtk_window_iconify(GTK_WINDOW(window));
    } else {
        gtk_window_unmaximize(GTK_WINDOW(window));
        gtk_window_deiconify(GTK_WINDOW(window));
    }
}

std::intptr_t open_window(ObjectId number, std::int32_t x, std::int32_t y, std::int32_t width,
                          std::int32_t height, const WideText &title, std::int32_t flags,
                          GtkWidget *parent) {
    ObjectId id = 0;
    WindowRecord *record = windows.allocate(number, &id);
    if (!record)
        return 0;
    GtkWidget *window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    if (!window) {
        windows.forget(id);
        return 0;
    }
    const bool resizable = is_resizable(flags);
    flags = effective_flags(x, y, flags);
    g_object_set_data(G_OBJECT(window), "Window", window);
    gtk_window_set_title(GTK_WINDOW(window), text_to_utf8(title).c_str());
    gtk_window_set_default_size(GTK_WINDOW(window), width, height);
    set_widget_int(window, "kw_previous_width", width);
    set_widget_int(window, "kw_previous_height", height);
    if (!(flags & (WINDOW_SCREEN_CENTERED | WINDOW_PARENT_CENTERED)))
        gtk_window_move(GTK_WINDOW(window), x, y);
    if (resizable) {
        gtk_widget_set_size_request(window, 30, 30);
    } else {
        gtk_window_set_resizable(GTK_WINDOW(window), FALSE);
        gtk_widget_set_size_request(window, width, height);
    }
    gtk_widget_realize(window);
    if (flags & tool_window) {
        gtk_window_set_type_hint(GTK_WINDOW(window), GDK_WINDOW_TYPE_HINT_UTILITY);
        gtk_window_set_skip_taskbar_hint(GTK_WINDOW(window), FALSE);
        gtk_window_set_skip_pager_hint(GTK_WINDOW(window), FALSE);
    }
    set_decorations(window, flags, resizable);
    window_center(window, flags, parent);
    window_build_content(window, id_to_pointer(id));
    if (parent)
        gtk_window_set_transient_for(GTK_WINDOW(window), GTK_WINDOW(parent));
    connect_window(window, id);

    *record = {window, parent, gtk_accel_group_new(), flags, add_window_style(window)};
    g_object_set_data(G_OBJECT(window), "kw_accelerators", record->accelerators);
    gtk_window_add_accel_group(GTK_WINDOW(window), record->accelerators);
    if (flags & WINDOW_STATE_MAXIMIZED)
        apply_window_state(window, WINDOW_STATE_MAXIMIZED);
    else if (flags & WINDOW_STATE_MINIMIZED)
        apply_window_state(window, WINDOW_STATE_MINIMIZED);
    if (!(flags & WINDOW_INVISIBLE)) {
        if (flags & no_activate) {
            gtk_window_set_accept_focus(GTK_WINDOW(window), FALSE);
            set_widget_int(window, "kw_restore_focus", 1);
        }
        gtk_widget_show_now(window);
    }
    toolkit_flush();
    if (!(flags & keep_gadget_list))
        gadget_list_use(GTK_WINDOW(window));
    return creation_answer(number, id, window);
}

} // namespace

void window_system_init() { windows.init(window_close); }

WindowRecord *window_lookup(ObjectId window) { return windows.lookup(window); }

void *window_handle_of(const WindowRecord *record) { return record->widget; }

WindowRecord *window_find_native(void *gtk_window, ObjectId *id) {
    if (!gtk_window)
        return nullptr;
    return windows.find([&](WindowRecord *record) { return record->widget == gtk_window; }, id);
}

// Only a window of this toolkit is taken as the parent: any other pointer is
// ignored rather than trusted.
std::intptr_t window_native_open(ObjectId number, std::int32_t x, std::int32_t y,
                                 std::int32_t width, std::int32_t height, const WideText &title,
                                 std::int32_t flags, void *parent) {
    WindowRecord *owner = window_find_native(parent, nullptr);
    return open_window(number, x, y, width, height, title, flags, owner ? owner->widget : nullptr);
}

void window_native_set_state(WindowRecord *record, std::int32_t state) {
    apply_window_state(record->widget, state);
}

void window_native_close(ObjectId window) {
    windows.end(window, [&](WindowRecord *record) {
        gtk_widget_destroy(record->widget); // the destroy handler frees the record
        toolkit_flush();
        event_purge_window(window);
    });
}

// GTK keeps nothing for all windows.
void window_native_close_all() {}

// GTK keeps its own size request as the least size; the hints add to it.
void window_native_set_size_limits(WindowRecord *record, std::int32_t min_width,
                                   std::int32_t min_height, std::int32_t max_width,
                                   std::int32_t max_height) {
    GdkGeometry limits{};
    int mask = 0;
    if (min_width > 0 || min_height > 0) {
        limits.min_width = std::max(min_width, 0);
        limits.min_height = std::max(min_height, 0);
        mask |= GDK_HINT_MIN_SIZE;
    }
    if (max_width > 0 || max_height > 0) {
        limits.max_width = max_width > 0 ? max_width : G_MAXSHORT;
        limits.max_height = max_height > 0 ? max_height : G_MAXSHORT;
        mask |= GDK_HINT_MAX_SIZE;
    }
    gtk_window_set_geometry_hints(GTK_WINDOW(record->widget), nullptr, &limits,
                                  static_cast<GdkWindowHints>(mask));
}

void window_native_set_color(WindowRecord *record, std::int32_t colour) {
    auto *layout = static_cast<GtkWidget *>(
        g_object_get_data(G_OBJECT(record->widget), "kw_gadgetlist_container"));
    layout_set_colour(layout, colour);
}
