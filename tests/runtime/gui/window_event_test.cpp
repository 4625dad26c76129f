#include "gui_test_support.h"

#include <gtest/gtest.h>

#include <clocale>

#include <gdk/gdkx.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace {

// The window-manager hints as GDK wrote them: functions and decorations.
struct MotifHints {
    unsigned long functions = 0;
    unsigned long decorations = 0;
};

MotifHints read_motif_hints(GtkWidget *window) {
    GdkWindow *native = gtk_widget_get_window(window);
    Display *display = GDK_WINDOW_XDISPLAY(native);
    Atom hints_atom = XInternAtom(display, "_MOTIF_WM_HINTS", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char *data = nullptr;
    XGetWindowProperty(display, GDK_WINDOW_XID(native), hints_atom, 0, 5, False, AnyPropertyType,
                       &type, &format, &count, &after, &data);
    MotifHints hints;
    if (data && count >= 3) {
        const auto *values = reinterpret_cast<unsigned long *>(data);
        hints = {values[1], values[2]};
    }
    if (data)
        XFree(data);
    return hints;
}

TEST(Window, SystemMenuMinimiseCentredIsFixedSizeAndCentred) {
    const std::intptr_t window = window_open(ANY, 0, 0, 530, 310, u"Kalvo 1.02", 0x64);
    ASSERT_NE(window, 0);
    auto *native = static_cast<GtkWidget *>(window_native_handle(window));
    ASSERT_NE(native, nullptr);
    pump_events(100);

    EXPECT_STREQ(gtk_window_get_title(GTK_WINDOW(native)), "Kalvo 1.02");
    EXPECT_FALSE(gtk_window_get_resizable(GTK_WINDOW(native)));
    int width = 0, height = 0;
    gtk_widget_get_size_request(native, &width, &height);
    EXPECT_EQ(width, 530);
    EXPECT_EQ(height, 310);

    const MotifHints hints = read_motif_hints(native);
    EXPECT_EQ(hints.decorations, 0x3Au);   // border, title, menu, minimise
    EXPECT_EQ(hints.functions, 0x2Cu);     // move, close, minimise

    GdkScreen *screen = gtk_widget_get_screen(native);
    G_GNUC_BEGIN_IGNORE_DEPRECATIONS
    const int screen_width = gdk_screen_get_width(screen);
    const int screen_height = gdk_screen_get_height(screen);
    G_GNUC_END_IGNORE_DEPRECATIONS
    int x = 0, y = 0;
    gtk_window_get_position(GTK_WINDOW(native), &x, &y);
    EXPECT_EQ(x, screen_width / 2 - 530 / 2);
    EXPECT_EQ(y, screen_height / 2 - 310 / 2);

    window_close(window);
    EXPECT_EQ(window_native_handle(window), nullptr);
}

TEST(Window, SizeableWindowWithMaximiseGadgetAtItsPosition) {
    const std::intptr_t window = window_open(ANY, 40, 30, 200, 100, u"sizeable", 0x12);
    auto *native = static_cast<GtkWidget *>(window_native_handle(window));
    ASSERT_NE(native, nullptr);
    pump_events(100);
    EXPECT_TRUE(gtk_window_get_resizable(GTK_WINDOW(native)));
    const MotifHints hints = read_motif_hints(native);
    EXPECT_EQ(hints.decorations, 0x0Au | 0x04u | 0x40u);
    EXPECT_EQ(hints.functions, 0x24u | 0x02u | 0x10u);
    int x = 0, y = 0;
    gtk_window_get_position(GTK_WINDOW(native), &x, &y);
    EXPECT_EQ(x, 40);
    EXPECT_EQ(y, 30);
    window_close(window);
}

TEST(Window, CloseBoxPostsCloseAndTheWindowStays) {
    const std::intptr_t window = window_open(7, 0, 0, 120, 80, u"close", 0x64);
    ASSERT_NE(window, 0);
    drain_events();
    gtk_window_close(GTK_WINDOW(window_native_handle(7)));
    EXPECT_EQ(event_wait_timeout(200), EVENT_CLOSE_WINDOW);
    EXPECT_EQ(event_gadget(), 0);
    ASSERT_NE(window_native_handle(7), nullptr);
    EXPECT_TRUE(gtk_widget_get_visible(static_cast<GtkWidget *>(window_native_handle(7))));
    // Closing it by number purges its queued events.
    event_post(EVENT_CLOSE_WINDOW, 0, 7, 0);
    window_close(7);
    EXPECT_EQ(window_native_handle(7), nullptr);
    EXPECT_EQ(event_peek_type(), 0);
}

// A window opened without taking focus takes it once drawn; closed sooner,
// nothing is left to touch it later.
TEST(Window, NoActivationWindowMayCloseAtOnce) {
    const std::int32_t no_activate = 0x2000;
    const GLogLevelFlags fatal = g_log_set_always_fatal(GLogLevelFlags(G_LOG_FATAL_MASK | G_LOG_LEVEL_CRITICAL));
    const std::intptr_t kept = window_open(ANY, 0, 0, 120, 80, u"kept", 0x64 | no_activate);
    pump_events(150);
    EXPECT_TRUE(gtk_window_get_accept_focus(GTK_WINDOW(window_native_handle(kept))));
    window_close(kept);
    for (int round = 0; round < 5; ++round) {
        const std::intptr_t brief = window_open(ANY, 0, 0, 120, 80, u"brief", 0x64 | no_activate);
        pump_events(20); // drawn, not yet 50 ms old
        window_close(brief);
    }
    pump_events(150);
    g_log_set_always_fatal(fatal);
}

// The user's locale governs characters; numbers keep the decimal point even
// after GTK has set up its own locale.
TEST(Window, StartUpKeepsNumbersInTheCForm) {
    EXPECT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C");
    EXPECT_STREQ(std::setlocale(LC_CTYPE, nullptr), "C.UTF-8");
}

TEST(Window, NumbersNamingNoWindowDoNothing) {
    EXPECT_EQ(window_native_handle(12345), nullptr);
    EXPECT_EQ(window_native_handle(0x7fff0000), nullptr);
    window_close(99);
    EXPECT_EQ(statusbar_create(ANY, reinterpret_cast<void *>(0x1234)), 0);
}

TEST(EventQueue, IdenticalTailEventsCoalesceOthersQueue) {
    drain_events();
    event_post(EVENT_GADGET, 5, 1, 0);
    event_post(EVENT_GADGET, 5, 1, 0);   // repeat of the tail: merged
    event_post(EVENT_GADGET, 5, 2, 0);   // other window
    event_post(EVENT_GADGET, 6, 2, 0);   // other object
    event_post(EVENT_GADGET, 6, 2, 768); // other subtype
    event_post(0x10000, 1, 1, 1);
    event_post(0x10000, 1, 1, 1);        // codes above 0xFFFF never merge
    std::vector<std::intptr_t> objects;
    std::vector<std::int32_t> codes;
    for (std::int32_t code; (code = event_wait_timeout(0)) > 0;) {
        if (code != EVENT_GADGET && code != 0x10000)
            continue;   // the window's own repaints and the like
        codes.push_back(code);
        objects.push_back(event_gadget());
        EXPECT_EQ(event_menu(), event_gadget());
    }
    EXPECT_EQ(codes, (std::vector<std::int32_t>{3, 3, 3, 3, 0x10000, 0x10000}));
    EXPECT_EQ(objects, (std::vector<std::intptr_t>{5, 5, 6, 6, 1, 1}));
}

TEST(EventQueue, SuspensionDropsPostsAndPurgeKeepsOrder) {
    drain_events();
    event_queue_suspend();
    event_post(EVENT_GADGET, 1, 1, 0);
    event_queue_resume();
    EXPECT_EQ(event_peek_type(), 0);

    event_post(EVENT_GADGET, 1, 1, 0);
    event_post(EVENT_GADGET, 2, 1, 0);
    event_post(EVENT_GADGET, 3, 2, 0);
    event_post(EVENT_GADGET, 4, 1, 1);
    event_purge(EVENT_GADGET, -1, 1, 0);   // removes 1 and 2
    event_purge_window(9);                 // nothing there
    EXPECT_EQ(event_wait_timeout(0), EVENT_GADGET);
    EXPECT_EQ(event_gadget(), 3);
    EXPECT_EQ(event_wait_timeout(0), EVENT_GADGET);
    EXPECT_EQ(event_gadget(), 4);
    EXPECT_EQ(event_type(), 1);
    EXPECT_EQ(event_peek_type(), 0);
}

TEST(EventQueue, WaitReturnsMinusOneAfterAnIterationWithoutEvents) {
    drain_events();
    g_idle_add([](gpointer) -> gboolean { return G_SOURCE_REMOVE; }, nullptr);
    EXPECT_EQ(event_wait(), -1);
    EXPECT_EQ(event_type(), -1);
    // A positive timeout with nothing to do waits about that long, then reports
    // nothing. Stray X traffic ends a wait early, so a few tries are allowed.
    gint64 waited = 0;
    for (int attempt = 0; attempt < 5; ++attempt) {
        drain_events();
        const gint64 start = g_get_monotonic_time();
        const std::int32_t code = event_wait_timeout(60);
        waited = g_get_monotonic_time() - start;
        if (code == 0)
            break;
    }
    EXPECT_GE(waited, 55000);
    EXPECT_LT(waited, 1000000);
}

} // namespace
