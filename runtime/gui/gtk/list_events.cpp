// A list's clicks, selection changes and drags, turned into gadget events.
#include "gtk_private.h"

namespace {

constexpr std::intptr_t subtype_changed = 0x300;
constexpr std::intptr_t subtype_drag = 0x800;

// The click a press leaves for its release to report.
enum Pending { none = 0, left_press = 1, right_press = 2, left_double = 3, right_double = 4 };

int pending_click(GtkWidget *view) {
    return GPOINTER_TO_INT(g_object_get_data(G_OBJECT(view), "kw_gadget_eventtype"));
}

void set_pending_click(GtkWidget *view, int pending) {
    g_object_set_data(G_OBJECT(view), "kw_gadget_eventtype", GINT_TO_POINTER(pending));
}

// The event's position relative to the view's own window.
void position_in_view(GtkWidget *view, GdkEventButton *event, int *x, int *y) {
    int event_x = 0, event_y = 0, view_x = 0, view_y = 0;
    gdk_window_get_origin(event->window, &event_x, &event_y);
    gdk_window_get_origin(gtk_widget_get_window(view), &view_x, &view_y);
    *x = static_cast<int>(event->x) + event_x - view_x;
    *y = static_cast<int>(event->y) + event_y - view_y;
}

void report_release(GtkWidget *view, GdkEventButton *event, ObjectId id) {
    GadgetRecord *record = gadget_lookup(id);
    const int pending = pending_click(view);
    set_pending_click(view, none);
    if (!record)
        return;
    int x = 0, y = 0;
    position_in_view(view, event, &x, &y);
    const bool inside = x >= 0 && x < gadget_width(record) && y >= 0 && y < gadget_height(record);
    const bool left = event->button == 1 && (pending == left_press || pending == left_double);
    const bool right = event->button == 3 && (pending == right_press || pending == right_double);
    if (inside && (left || right))
        event_post(EVENT_GADGET, id, gadget_window_of(view), pending - 1);
}

gboolean on_list_button(GtkWidget *view, GdkEventButton *event, gpointer id) {
    switch (event->type) {
    case GDK_BUTTON_PRESS:
        if (event->button == 1)
            set_pending_click(view, left_press);
        if (event->button == 3) {
            set_pending_click(view, right_press);
            return TRUE;   // a right click leaves the selection alone
        }
        return FALSE;
    case GDK_2BUTTON_PRESS:
        if (event->button == 1)
            set_pending_click(view, left_double);
        if (event->button == 3) {
            set_pending_click(view, right_double);
            return TRUE;
        }
        return FALSE;
    case GDK_BUTTON_RELEASE:
        report_release(view, event, pointer_to_id(id));
        return FALSE;
    default:
        return FALSE;
    }
}

void on_selection_changed(GtkTreeSelection *, gpointer view) {
    const ObjectId id = pointer_to_id(g_object_get_data(G_OBJECT(view), "kw_id")) - 1;
    event_post(EVENT_GADGET, id, gadget_window_of(GTK_WIDGET(view)), subtype_changed);
}

struct DragWatch {
    ObjectId gadget;
    std::int32_t pressed;
    std::int32_t reported;
    std::int32_t x, y;
};

gboolean on_drag_press(GtkWidget *view, GdkEventButton *event, gpointer data) {
    auto *drag = static_cast<DragWatch *>(data);
    if (event->button == 1 && event->window == gtk_tree_view_get_bin_window(GTK_TREE_VIEW(view)))
        *drag = {drag->gadget, 1, 0, static_cast<std::int32_t>(event->x),
                 static_cast<std::int32_t>(event->y)};
    return FALSE;
}

gboolean on_drag_release(GtkWidget *, GdkEventButton *, gpointer data) {
    static_cast<DragWatch *>(data)->pressed = 0;
    return FALSE;
}

gboolean on_drag_motion(GtkWidget *view, GdkEventMotion *event, gpointer data) {
    auto *drag = static_cast<DragWatch *>(data);
    const auto buttons = event->state & (GDK_BUTTON1_MASK | GDK_BUTTON2_MASK | GDK_BUTTON3_MASK |
                                         GDK_BUTTON4_MASK | GDK_BUTTON5_MASK);
    if (drag->pressed && !drag->reported && buttons == GDK_BUTTON1_MASK &&
        gtk_drag_check_threshold(view, drag->x, drag->y, static_cast<int>(event->x),
                                 static_cast<int>(event->y))) {
        event_post(EVENT_GADGET, drag->gadget, gadget_window_of(view), subtype_drag);
        drag->reported = 1;
    }
    return FALSE;
}

void install_drag_watch(GtkWidget *view, ObjectId id) {
    gtk_widget_add_events(view, GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK |
                                    GDK_BUTTON_MOTION_MASK);
    auto *drag = new DragWatch{id, 0, 0, 0, 0};
    g_signal_connect(view, "button-press-event", G_CALLBACK(on_drag_press), drag);
    g_signal_connect(view, "button-release-event", G_CALLBACK(on_drag_release), drag);
    g_signal_connect_data(view, "motion-notify-event", G_CALLBACK(on_drag_motion), drag,
                          [](gpointer data, GClosure *) { delete static_cast<DragWatch *>(data); },
                          GConnectFlags(0));
}

} // namespace

void list_connect_events(GtkWidget *view, GtkTreeSelection *selection, ObjectId id) {
    g_signal_connect(view, "button-press-event", G_CALLBACK(on_list_button), id_to_pointer(id));
    g_signal_connect(view, "button-release-event", G_CALLBACK(on_list_button), id_to_pointer(id));
    g_signal_connect(selection, "changed", G_CALLBACK(on_selection_changed), view);
    install_drag_watch(view, id);
}
