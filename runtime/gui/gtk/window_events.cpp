// A window's signals and its gadget area's drawing and clicks, turned into
// window events in the queue.
#include "gtk_private.h"

namespace {

constexpr std::int32_t event_repaint = 4;
constexpr std::int32_t event_moved = 5;
constexpr std::int32_t event_resized = 6;
constexpr std::int32_t event_activated = 7;
constexpr std::int32_t event_deactivated = 8;
constexpr std::int32_t event_minimized = 12;
constexpr std::int32_t event_maximized = 13;
constexpr std::int32_t event_restored = 14;
constexpr std::int32_t event_right_click = 16;
constexpr std::int32_t event_left_click = 17;
constexpr std::int32_t event_left_double_click = 18;
constexpr std::int32_t event_mouse_moved = 24;

void post(std::int32_t code, gpointer window) { event_post(code, 0, pointer_to_id(window), 0); }

gboolean on_delete(GtkWidget *, GdkEvent *, gpointer window) {
    post(EVENT_CLOSE_WINDOW, window);
    return TRUE;   // the application decides when the window goes
}

gboolean on_configure(GtkWidget *widget, GdkEventConfigure *event, gpointer window) {
    int width = 0, height = 0;
    gtk_window_get_size(GTK_WINDOW(widget), &width, &height);
    if (width != widget_int(widget, "kw_previous_width") ||
        height != widget_int(widget, "kw_previous_height")) {
        set_widget_int(widget, "kw_previous_width", width);
        set_widget_int(widget, "kw_previous_height", height);
        post(event_resized, window);
    }
    if (std::intptr_t pending = widget_int(widget, "kw_window_state_event")) {
        post(static_cast<std::int32_t>(pending), window);
        set_widget_int(widget, "kw_window_state_event", 0);
    }
    if (event->x != widget_int(widget, "kw_previous_x") ||
        event->y != widget_int(widget, "kw_previous_y")) {
        set_widget_int(widget, "kw_previous_x", event->x);
        set_widget_int(widget, "kw_previous_y", event->y);
        post(event_moved, window);
    }
    return FALSE;
}

gboolean on_window_state(GtkWidget *widget, GdkEventWindowState *event, gpointer window) {
    const GdkWindowState state = event->new_window_state;
    const bool iconified = state & GDK_WINDOW_STATE_ICONIFIED;
    const bool maximized = state & GDK_WINDOW_STATE_MAXIMIZED;
    if (event->changed_mask & GDK_WINDOW_STATE_ICONIFIED) {
        if (iconified)
            post(event_minimized, window);
        else if (!maximized)
            post(event_restored, window);
        else   // reported with the configure-event that follows
            set_widget_int(widget, "kw_window_state_event", event_maximized);
    } else if (event->changed_mask & GDK_WINDOW_STATE_MAXIMIZED) {
        if (!maximized)
            post(event_restored, window);
        else
            set_widget_int(widget, "kw_window_state_event", event_maximized);
    }
    return FALSE;
}

gboolean on_focus_in(GtkWidget *, GdkEvent *, gpointer window) {
    post(event_activated, window);
    return FALSE;
}

gboolean on_focus_out(GtkWidget *, GdkEvent *, gpointer window) {
    post(event_deactivated, window);
    return FALSE;
}

gboolean on_motion(GtkWidget *, GdkEvent *, gpointer window) {
    post(event_mouse_moved, window);
    return FALSE;
}

// The gadget area's own colour (window_set_color), stored as colour + 1 so
// that 0 leaves the theme's background. GtkLayout paints no background of its
// own, so it is painted here, under the gadgets the layout draws next.
constexpr char layout_colour_key[] = "kw_layout_colour";

void paint_layout_colour(GtkWidget *layout, cairo_t *cr) {
    const auto stored = widget_int(layout, layout_colour_key);
    if (stored == 0)
        return;
    const auto colour = static_cast<std::uint32_t>(stored - 1);
    cairo_set_source_rgb(cr, (colour & 0xFF) / 255.0, ((colour >> 8) & 0xFF) / 255.0,
                         ((colour >> 16) & 0xFF) / 255.0);
    cairo_paint(cr);
}

gboolean on_layout_draw(GtkWidget *layout, cairo_t *cr, gpointer window) {
    paint_layout_colour(layout, cr);
    post(event_repaint, window);
    GtkWidget *top = gtk_widget_get_toplevel(layout);
    if (widget_int(top, "kw_restore_focus")) {
        // A window opened without taking focus may take it once it is drawn.
        set_widget_int(top, "kw_restore_focus", 0);
        // The timer holds the window, which may be closed before it fires.
        g_timeout_add_full(G_PRIORITY_DEFAULT, 50, [](gpointer w) -> gboolean {
            if (gtk_widget_get_realized(GTK_WIDGET(w)))
                gtk_window_set_accept_focus(GTK_WINDOW(w), TRUE);
            return G_SOURCE_REMOVE;
        }, g_object_ref(top), g_object_unref);
    }
    return FALSE;
}

gboolean on_layout_button(GtkWidget *, GdkEventButton *event, gpointer window) {
    if (event->type == GDK_BUTTON_RELEASE && event->button == 1)
        post(event_left_click, window);
    else if (event->type == GDK_BUTTON_RELEASE && event->button == 3)
        post(event_right_click, window);
    else if (event->type == GDK_2BUTTON_PRESS && event->button == 1)
        post(event_left_double_click, window);
    return FALSE;
}

} // namespace

void layout_set_colour(GtkWidget *layout, std::int32_t colour) {
    set_widget_int(layout, layout_colour_key, colour == -1 ? 0 : (colour & 0xFFFFFF) + 1);
    gtk_widget_queue_draw(layout);
}

void window_build_content(GtkWidget *window, gpointer id) {
    GtkWidget *vbox = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
    gtk_container_add(GTK_CONTAINER(window), vbox);
    g_object_set_data(G_OBJECT(window), "kw_vbox", vbox);
    GtkWidget *layout = gtk_layout_new(nullptr, nullptr);
    gtk_box_pack_start(GTK_BOX(vbox), layout, TRUE, TRUE, 0);
    g_object_set_data(G_OBJECT(window), "kw_gadgetlist_container", layout);
    g_object_set_data(G_OBJECT(window), "kw_gadgetlist", layout);
    gtk_widget_add_events(layout, GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK);
    g_signal_connect(layout, "draw", G_CALLBACK(on_layout_draw), id);
    g_signal_connect(layout, "button-press-event", G_CALLBACK(on_layout_button), id);
    g_signal_connect(layout, "button-release-event", G_CALLBACK(on_layout_button), id);
    gtk_widget_show_all(vbox);
}

void window_connect_events(GtkWidget *window, gpointer id) {
    g_signal_connect(window, "configure-event", G_CALLBACK(on_configure), id);
    g_signal_connect(window, "window-state-event", G_CALLBACK(on_window_state), id);
    g_signal_connect(window, "delete-event", G_CALLBACK(on_delete), id);
    g_signal_connect(window, "focus-in-event", G_CALLBACK(on_focus_in), id);
    g_signal_connect(window, "focus-out-event", G_CALLBACK(on_focus_out), id);
    g_signal_connect(window, "motion-notify-event", G_CALLBACK(on_motion), id);
}

