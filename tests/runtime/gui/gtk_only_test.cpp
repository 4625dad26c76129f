// What only the GTK back-end has to get right: the locale GTK sets up, a
// window drawn before it may take the focus, long combo items, an idle turn
// of the event loop, and file filters from pattern lists.
#include <gtest/gtest.h> // before X11, whose None macro it would not survive

#include "toolkit_view.h"

#include "gtk/gtk_private.h"

#include <gdk/gdkx.h>

#include <clocale>
#include <functional>
#include <string>
#include <vector>

namespace {

GtkWidget *widget_of(ObjectId gadget) {
    return static_cast<GtkWidget *>(gadget_native_handle(gadget));
}

// The user's locale governs characters; numbers keep the decimal point even
// after GTK has set up its own locale.
TEST(Gtk, StartUpKeepsNumbersInTheCForm) {
    EXPECT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C");
    EXPECT_STREQ(std::setlocale(LC_CTYPE, nullptr), "C.UTF-8");
}

// A window opened without taking focus takes it once drawn; closed sooner,
// nothing is left to touch it later.
TEST(Gtk, NoActivationWindowMayCloseAtOnce) {
    const std::int32_t no_activate = 0x2000;
    const GLogLevelFlags fatal =
        g_log_set_always_fatal(GLogLevelFlags(G_LOG_FATAL_MASK | G_LOG_LEVEL_CRITICAL));
    const std::intptr_t kept =
        window_open(ANY, 0, 0, 120, 80, u"kept", EDITOR_WINDOW | no_activate);
    pump_events(150);
    EXPECT_TRUE(gtk_window_get_accept_focus(GTK_WINDOW(window_native_handle(kept))));
    window_close(kept);
    for (int round = 0; round < 5; ++round) {
        const std::intptr_t brief =
            window_open(ANY, 0, 0, 120, 80, u"brief", EDITOR_WINDOW | no_activate);
        pump_events(20); // drawn, not yet 50 ms old
        window_close(brief);
    }
    pump_events(150);
    g_log_set_always_fatal(fatal);
}

// A tool window with a maximise gadget keeps the resizing the gadget asked
// for, though it shows no maximise gadget.
TEST(Gtk, ResizableToolWindowStaysResizable) {
    const std::int32_t tool_with_maximise = 0x810;
    const std::intptr_t window = window_open(ANY, 10, 10, 200, 100, u"tool", tool_with_maximise);
    pump_events(100);
    const WindowLook look = look_of(window);
    EXPECT_TRUE(look.sizeable);
    EXPECT_FALSE(look.maximise_box);
    EXPECT_FALSE(look.minimise_box);
    GtkWindow *native = GTK_WINDOW(window_native_handle(window));
    EXPECT_TRUE(gtk_window_get_resizable(native));
    EXPECT_EQ(gtk_window_get_type_hint(native), GDK_WINDOW_TYPE_HINT_UTILITY);
    window_close(window);
}

// The colour of the pixel at x, y of the window's gadget area, 0xBBGGRR.
std::int32_t pixel_at(ObjectId window, int x, int y) {
    GdkPixbuf *shot = gdk_pixbuf_get_from_window(
        gtk_widget_get_window(GTK_WIDGET(window_native_handle(window))), x, y, 1, 1);
    if (!shot)
        return -1;
    const guchar *rgb = gdk_pixbuf_get_pixels(shot);
    const std::int32_t colour = rgb[0] | rgb[1] << 8 | rgb[2] << 16;
    g_object_unref(shot);
    return colour;
}

// What a window asks of the window manager: the message's type and its first
// number (the action of a state change, the state wanted by an iconify).
struct StateRequest {
    std::string type;
    long first;
    std::string state; // the state a _NET_WM_STATE request adds or removes
    bool operator==(const StateRequest &) const = default;
};
void PrintTo(const StateRequest &request, std::ostream *out) {
    *out << request.type << ' ' << request.first << ' ' << request.state;
}

// The state changes the window asks for while `act` runs, as a window
// manager would receive them: client messages sent to the root window, seen
// here on a connection of the test's own (the display has no window manager
// that would act on them).
std::vector<StateRequest> state_requests_for(ObjectId window, const std::function<void()> &act) {
    Display *display = XOpenDisplay(nullptr);
    if (!display)
        return {}; // no requests seen: the comparison fails
    const Window root = DefaultRootWindow(display);
    XSelectInput(display, root, SubstructureNotifyMask);
    XSync(display, False);
    act();
    XSync(display, False);
    const Window target =
        GDK_WINDOW_XID(gtk_widget_get_window(GTK_WIDGET(window_native_handle(window))));
    std::vector<StateRequest> requests;
    while (XPending(display)) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type != ClientMessage || event.xclient.window != target)
            continue;
        char *name = XGetAtomName(display, event.xclient.message_type);
        const Atom property = static_cast<Atom>(event.xclient.data.l[1]);
        char *changed = property && std::string(name) == "_NET_WM_STATE"
                            ? XGetAtomName(display, property)
                            : nullptr;
        requests.push_back({name, event.xclient.data.l[0], changed ? changed : ""});
        XFree(name);
        if (changed)
            XFree(changed);
    }
    XCloseDisplay(display);
    return requests;
}

// A child window stays in front of its parent; its state changes reach the
// window manager as requests and its size limits as hints; the gadget area
// takes its colour; closing all windows leaves none.
TEST(Gtk, ChildWindowsStatesLimitsColoursAndClosingAll) {
    const std::intptr_t parent = window_open(ANY, 0, 0, 300, 200, u"parent", EDITOR_WINDOW);
    const std::intptr_t child =
        window_open_child(ANY, 0, 0, 200, 100, u"child", WINDOW_SIZEABLE | WINDOW_PARENT_CENTERED,
                          window_native_handle(parent));
    EXPECT_EQ(gtk_window_get_transient_for(GTK_WINDOW(window_native_handle(child))),
              GTK_WINDOW(window_native_handle(parent)));
    pump_events(50);
    const std::vector<StateRequest> requests = state_requests_for(child, [&] {
        for (const std::int32_t state :
             {WINDOW_STATE_MAXIMIZED, WINDOW_STATE_NORMAL, WINDOW_STATE_MINIMIZED}) {
            window_set_state(child, state);
            pump_events(50);
        }
    });
    // Maximising and restoring also take back a minimised state.
    const std::vector<StateRequest> expected = {
        {"_NET_WM_STATE", 1, "_NET_WM_STATE_MAXIMIZED_VERT"}, // 1: add
        {"_NET_WM_STATE", 0, "_NET_WM_STATE_HIDDEN"},         // 0: remove
        {"_NET_WM_STATE", 0, "_NET_WM_STATE_MAXIMIZED_VERT"},
        {"_NET_WM_STATE", 0, "_NET_WM_STATE_HIDDEN"},
        {"WM_CHANGE_STATE", IconicState, ""}};
    EXPECT_EQ(requests, expected);
    window_set_size_limits(child, 150, 80, 400, 0);
    XSizeHints hints{};
    long supplied = 0;
    GdkWindow *native = gtk_widget_get_window(GTK_WIDGET(window_native_handle(child)));
    pump_events(50);
    ASSERT_TRUE(
        XGetWMNormalHints(GDK_WINDOW_XDISPLAY(native), GDK_WINDOW_XID(native), &hints, &supplied));
    EXPECT_TRUE((hints.flags & PMinSize) && hints.min_width >= 150 && hints.min_height >= 80);
    EXPECT_TRUE((hints.flags & PMaxSize) && hints.max_width == 400);
    window_set_color(child, 0x0000FF);
    pump_events(100);
    EXPECT_EQ(pixel_at(child, 5, 5), 0x0000FF);
    window_set_color(child, -1);
    pump_events(100);
    EXPECT_NE(pixel_at(child, 5, 5), 0x0000FF);
    window_close_all();
    EXPECT_EQ(window_native_handle(parent), nullptr);
    EXPECT_EQ(window_native_handle(child), nullptr);
}

// The first image widget inside a widget, or null.
GtkWidget *image_in(GtkWidget *widget) {
    if (GTK_IS_IMAGE(widget))
        return widget;
    if (!GTK_IS_CONTAINER(widget))
        return nullptr;
    GList *children = gtk_container_get_children(GTK_CONTAINER(widget));
    GtkWidget *found = nullptr;
    for (GList *child = children; child && !found; child = child->next)
        found = image_in(static_cast<GtkWidget *>(child->data));
    g_list_free(children);
    return found;
}

// A font given to a gadget is its own copy; the focus goes where it is given;
// a status field shows an image and gives it up again; a freed status bar
// leaves the window.
TEST(Gtk, FontsFocusAndFreedStatusBars) {
    const std::intptr_t window = window_open(ANY, 0, 0, 300, 200, u"fonts", EDITOR_WINDOW);
    const std::intptr_t field = gadget_create_string(ANY, 10, 10, 100, 24, u"7050000");
    const std::intptr_t other = gadget_create_string(ANY, 10, 40, 100, 24, u"");
    PangoFontDescription *mono = pango_font_description_from_string("Monospace 17");
    gadget_set_font(field, mono);
    pango_font_description_free(mono);
    auto *font = static_cast<PangoFontDescription *>(gadget_get_font(field));
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(pango_font_description_get_size(font), 17 * PANGO_SCALE);
    EXPECT_NE(pango_font_description_get_size(
                  static_cast<PangoFontDescription *>(gadget_get_font(other))),
              17 * PANGO_SCALE);
    pump_events(100);
    // An editable combo takes the focus given to it in its entry.
    GtkWindow *top = GTK_WINDOW(window_native_handle(window));
    const auto focus_in = [&](ObjectId gadget) {
        GtkWidget *focus = gtk_window_get_focus(top);
        return focus &&
               (focus == widget_of(gadget) || gtk_widget_is_ancestor(focus, widget_of(gadget)));
    };
    const std::int32_t editable = 0x1;
    const std::intptr_t modes = gadget_create_combo(ANY, 150, 10, 80, 25, editable);
    const std::intptr_t ports = gadget_create_combo(ANY, 150, 40, 80, 25, editable);
    gadget_give_focus(modes);
    EXPECT_TRUE(focus_in(modes));
    gadget_give_focus(ports);
    EXPECT_TRUE(focus_in(ports));
    EXPECT_FALSE(focus_in(modes));

    const std::intptr_t bar = statusbar_create(ANY, window_native_handle(window));
    statusbar_add_field(300);
    statusbar_progress(bar, 0, 50);
    EXPECT_NEAR(progress_shown(window), 0.5, 0.05);
    statusbar_image(bar, 0, test_image(), STATUSBAR_IMAGE_RIGHT);
    GtkWidget *image = image_in(GTK_WIDGET(window_native_handle(window)));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(gtk_image_get_pixbuf(GTK_IMAGE(image)), test_image());
    EXPECT_EQ(gtk_widget_get_halign(image), GTK_ALIGN_END);
    statusbar_image(bar, 0, nullptr, 0);
    EXPECT_EQ(image_in(GTK_WIDGET(window_native_handle(window))), nullptr);
    statusbar_free(bar);
    EXPECT_EQ(progress_shown(window), 0.0); // no progress bar left
    statusbar_progress(bar, 0, 10);         // gone: nothing happens
    window_close(window);
}

// An 80-pixel port combo shows where "/dev/ttyUSB0" and "/dev/ttyUSB57"
// differ, their end, and the whole name as a tooltip.
TEST(Gtk, ComboCutsALongItemAtItsStartAndShowsItAllAsATooltip) {
    const std::intptr_t window = window_open(ANY, 0, 0, 530, 310, u"gtk", EDITOR_WINDOW);
    const std::intptr_t combo = gadget_create_combo(ANY, 440, 12, 80, 25);
    gadget_add_item(combo, -1, u"/dev/ttyUSB0");
    gadget_add_item(combo, -1, u"/dev/ttyUSB57");
    gadget_set_state(combo, 1);
    gchar *tooltip = gtk_widget_get_tooltip_text(widget_of(combo));
    EXPECT_STREQ(tooltip, "/dev/ttyUSB57");
    g_free(tooltip);
    GList *cells = gtk_cell_layout_get_cells(GTK_CELL_LAYOUT(widget_of(combo)));
    PangoEllipsizeMode mode = PANGO_ELLIPSIZE_NONE;
    g_object_get(g_list_last(cells)->data, "ellipsize", &mode, nullptr); // the text's renderer
    EXPECT_EQ(mode, PANGO_ELLIPSIZE_START);
    g_list_free(cells);
    window_close(window);
}

// A turn of the loop that served no event of ours ends the wait all the same.
TEST(Gtk, AnIdleTurnEndsTheWaitWithMinusOne) {
    drain_events();
    g_idle_add([](gpointer) -> gboolean { return G_SOURCE_REMOVE; }, nullptr);
    EXPECT_EQ(event_wait(), -1);
    EXPECT_EQ(event_type(), -1);
}

// "*.*" stands for every file, as GTK spells it; the fuzz target's corpus
// holds the other shapes of pattern lists.
TEST(Gtk, PatternListsBecomeFilters) {
    const auto two = parse_file_patterns("Text|*.txt;*.TXT|All files|*.*");
    ASSERT_EQ(two.size(), 2u);
    EXPECT_EQ(two[0].patterns, (std::vector<std::string>{"*.txt", "*.TXT"}));
    EXPECT_EQ(two[1].patterns, (std::vector<std::string>{"*"}));
}

} // namespace
