// The GTK part of the toolkit view: input through the widgets' own signals
// (pointer clicks through the X server's test extension), read-backs from
// the widgets, their cell renderers and the window's X properties.
#include <gtest/gtest.h> // before X11, whose None macro it would not survive

#include "toolkit_view.h"

#include "start/start.h"

#include <gdk/gdkx.h>
#include <glib/gstdio.h>
#include <gtk/gtk.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>

namespace {

class ToolkitEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        XInitThreads(); // must come before any other Xlib call, as in runtime_start
        const char *display = std::getenv("DISPLAY");
        Display *probe = display ? XOpenDisplay(display) : nullptr;
        if (!probe) {
            std::fprintf(stderr, "These tests need an X display: none answers at DISPLAY=%s.\n",
                         display ? display : "(unset)");
            std::exit(2);
        }
        XCloseDisplay(probe);
        setenv("GSETTINGS_BACKEND", "memory", 1); // GTK's settings stay out of the user's store
        setenv("NO_AT_BRIDGE", "1", 1);           // no accessibility bus to keep alive
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

GtkWidget *widget_of(ObjectId gadget) {
    return static_cast<GtkWidget *>(gadget_native_handle(gadget));
}
GtkWidget *window_of(ObjectId window) {
    return static_cast<GtkWidget *>(window_native_handle(window));
}

template <class T> T property(gpointer object, const char *name) {
    T value{};
    g_object_get(object, name, &value, nullptr);
    return value;
}

std::vector<GtkCellRenderer *> renderers(GtkCellLayout *layout) {
    GList *list = gtk_cell_layout_get_cells(layout);
    std::vector<GtkCellRenderer *> cells;
    for (GList *c = list; c; c = c->next)
        cells.push_back(GTK_CELL_RENDERER(c->data));
    g_list_free(list);
    return cells;
}

int column_count(ObjectId list) {
    return static_cast<int>(gtk_tree_view_get_n_columns(GTK_TREE_VIEW(widget_of(list))));
}

// The column's renderers as handed what to draw for the row; empty when the row is not there.
std::vector<GtkCellRenderer *> cells_for_row(ObjectId list, int column, int row) {
    GtkTreeView *view = GTK_TREE_VIEW(widget_of(list));
    GtkTreeViewColumn *header = gtk_tree_view_get_column(view, column);
    GtkTreeModel *model = gtk_tree_view_get_model(view);
    GtkTreeIter iter;
    if (!header || !gtk_tree_model_iter_nth_child(model, &iter, nullptr, row))
        return {};
    gtk_tree_view_column_cell_set_cell_data(header, model, &iter, FALSE, FALSE);
    return renderers(GTK_CELL_LAYOUT(header));
}

// The combo's renderers as handed what to draw for the item.
std::vector<GtkCellRenderer *> combo_cells(ObjectId combo, int item) {
    GtkWidget *widget = widget_of(combo);
    GtkTreeModel *model = gtk_combo_box_get_model(GTK_COMBO_BOX(widget));
    GtkTreeIter iter;
    if (!gtk_tree_model_iter_nth_child(model, &iter, nullptr, item))
        return {};
    gtk_cell_area_apply_attributes(gtk_cell_layout_get_area(GTK_CELL_LAYOUT(widget)), model, &iter,
                                   FALSE, FALSE);
    return renderers(GTK_CELL_LAYOUT(widget));
}

std::string text_drawn(const std::vector<GtkCellRenderer *> &cells) {
    for (GtkCellRenderer *cell : cells)
        if (GTK_IS_CELL_RENDERER_TEXT(cell)) {
            gchar *text = property<gchar *>(cell, "text");
            std::string value = text ? text : "";
            g_free(text);
            return value;
        }
    return "";
}

// The window-manager hints as GDK wrote them: the functions offered.
unsigned long motif_functions(GtkWidget *window) {
    GdkWindow *native = gtk_widget_get_window(window);
    Display *display = GDK_WINDOW_XDISPLAY(native);
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0, functions = 0;
    unsigned char *data = nullptr;
    XGetWindowProperty(display, GDK_WINDOW_XID(native),
                       XInternAtom(display, "_MOTIF_WM_HINTS", False), 0, 5, False, AnyPropertyType,
                       &type, &format, &count, &after, &data);
    if (data && count >= 3)
        functions = reinterpret_cast<unsigned long *>(data)[1];
    if (data)
        XFree(data);
    return functions;
}

// What the status bar's field holds: a label or a progress bar.
GtkWidget *status_field(ObjectId window, int field) {
    auto *vbox =
        static_cast<GtkWidget *>(g_object_get_data(G_OBJECT(window_of(window)), "kw_vbox"));
    GList *rows = gtk_container_get_children(GTK_CONTAINER(vbox));
    GtkWidget *found = nullptr;
    for (GList *row = rows; row && !found; row = row->next) {
        if (!GTK_IS_BOX(row->data))
            continue;
        GList *fields = gtk_container_get_children(GTK_CONTAINER(row->data));
        auto *frame = static_cast<GtkWidget *>(g_list_nth_data(fields, static_cast<guint>(field)));
        if (frame && GTK_IS_FRAME(frame))
            found = gtk_bin_get_child(GTK_BIN(frame));
        g_list_free(fields);
    }
    g_list_free(rows);
    return found;
}

} // namespace

// GTK, GLib and fontconfig are not built with the thread sanitizer, and their
// own helper threads synchronise in ways it cannot see; only races that
// involve our instrumented code are reported.
extern "C" const char *__tsan_default_options() { return "ignore_noninstrumented_modules=1"; }
// fontconfig keeps its font cache for the life of the process.
extern "C" const char *__lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

bool is_toolkit_event(std::int32_t code) { return code > 0; }

void click(ObjectId button) { gtk_button_clicked(GTK_BUTTON(widget_of(button))); }

void type_into(ObjectId field, const std::string &text) {
    auto *editable = GTK_EDITABLE(widget_of(field));
    if (!gtk_editable_get_editable(editable))
        return; // key presses go nowhere
    gtk_editable_set_position(editable, -1);
    int position = gtk_editable_get_position(editable);
    gtk_editable_insert_text(editable, text.c_str(), -1, &position);
}

void click_row(ObjectId list, int row) {
    GtkTreeView *view = GTK_TREE_VIEW(widget_of(list));
    GdkRectangle cell{};
    GtkTreePath *path = gtk_tree_path_new_from_indices(row, -1);
    gtk_tree_view_get_cell_area(view, path, gtk_tree_view_get_column(view, 1), &cell);
    gtk_tree_path_free(path);
    int x = 0, y = 0;
    gdk_window_get_origin(gtk_tree_view_get_bin_window(view), &x, &y);
    const std::string command = "xdotool mousemove " + std::to_string(x + cell.x + cell.width / 2) +
                                " " + std::to_string(y + cell.y + cell.height / 2) + " click 1";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

void press_close_box(ObjectId window) { gtk_window_close(GTK_WINDOW(window_of(window))); }

WindowLook look_of(ObjectId window) {
    GtkWidget *widget = window_of(window);
    GdkWindow *native = gtk_widget_get_window(widget);
    GdkRectangle frame{};
    gdk_window_get_frame_extents(native, &frame);
    const unsigned long functions = motif_functions(widget);
    return {gtk_window_get_title(GTK_WINDOW(widget)) ?: "",
            {frame.x, frame.y, frame.width, frame.height},
            gdk_window_get_width(native),
            gdk_window_get_height(native),
            (functions & GDK_FUNC_RESIZE) != 0,
            (functions & GDK_FUNC_MINIMIZE) != 0,
            (functions & GDK_FUNC_MAXIMIZE) != 0};
}

Rect screen_size() {
    G_GNUC_BEGIN_IGNORE_DEPRECATIONS
    return {0, 0, gdk_screen_width(), gdk_screen_height()};
    G_GNUC_END_IGNORE_DEPRECATIONS
}

bool window_usable(ObjectId window) {
    GtkWidget *widget = window_of(window);
    return widget && gtk_widget_get_visible(widget) && gtk_widget_get_sensitive(widget);
}

std::string name_read_aloud(ObjectId gadget) {
    const char *name = atk_object_get_name(gtk_widget_get_accessible(widget_of(gadget)));
    return name ? name : "";
}

std::string shown_text(ObjectId gadget) {
    GtkWidget *widget = widget_of(gadget);
    if (GTK_IS_COMBO_BOX(widget)) {
        const int active = gtk_combo_box_get_active(GTK_COMBO_BOX(widget));
        return active < 0 ? "" : text_drawn(combo_cells(gadget, active));
    }
    if (GTK_IS_BUTTON(widget))
        widget = gtk_bin_get_child(GTK_BIN(widget));
    if (GTK_IS_LABEL(widget))
        return gtk_label_get_text(GTK_LABEL(widget));
    return gtk_entry_get_text(GTK_ENTRY(widget));
}

bool is_enabled(ObjectId gadget) { return gtk_widget_get_sensitive(widget_of(gadget)); }

std::string shown_row(ObjectId list, int row) {
    std::string cells;
    const int columns = column_count(list);
    for (int column = 0; column < columns; ++column) {
        const std::vector<GtkCellRenderer *> drawn = cells_for_row(list, column, row);
        if (drawn.empty())
            return "";
        cells += (column ? "|" : "") + text_drawn(drawn);
    }
    return cells;
}

void *test_image() {
    static GdkPixbuf *const dot = gdk_pixbuf_new(GDK_COLORSPACE_RGB, FALSE, 8, 4, 4);
    return dot;
}

bool row_shows_image(ObjectId list, int row) {
    GtkTreeModel *model = gtk_tree_view_get_model(GTK_TREE_VIEW(widget_of(list)));
    GtkTreeIter iter;
    GdkPixbuf *shown = nullptr;
    if (gtk_tree_model_iter_nth_child(model, &iter, nullptr, row))
        gtk_tree_model_get(model, &iter, 3, &shown, -1); // the rows' image column
    if (shown)
        g_object_unref(shown);
    return shown && shown == test_image();
}

std::vector<int> selected_rows(ObjectId list) {
    GList *paths = gtk_tree_selection_get_selected_rows(
        gtk_tree_view_get_selection(GTK_TREE_VIEW(widget_of(list))), nullptr);
    std::vector<int> rows;
    for (GList *p = paths; p; p = p->next)
        rows.push_back(gtk_tree_path_get_indices(static_cast<GtkTreePath *>(p->data))[0]);
    g_list_free_full(paths, reinterpret_cast<GDestroyNotify>(gtk_tree_path_free));
    return rows;
}

std::pair<int, int> rows_in_view(ObjectId list) {
    GtkTreePath *first = nullptr, *last = nullptr;
    if (!gtk_tree_view_get_visible_range(GTK_TREE_VIEW(widget_of(list)), &first, &last))
        return {-1, -1};
    const std::pair<int, int> rows{gtk_tree_path_get_indices(first)[0],
                                   gtk_tree_path_get_indices(last)[0]};
    gtk_tree_path_free(first);
    gtk_tree_path_free(last);
    return rows;
}

double progress_shown(ObjectId window) {
    GtkWidget *field = status_field(window, 0);
    return field && GTK_IS_PROGRESS_BAR(field)
               ? gtk_progress_bar_get_fraction(GTK_PROGRESS_BAR(field))
               : 0.0;
}

std::string scratch_path(const std::string &name, bool create) {
    static std::string folder = [] {
        char pattern[] = "/tmp/kalvo_gui_XXXXXX";
        return std::string(g_mkdtemp(pattern));
    }();
    const std::string path = folder + "/" + name;
    if (create)
        g_file_set_contents(path.c_str(), "", 0, nullptr);
    return path;
}

std::string unusual_file_name() { return "caf\xE9.mem"; } // Latin-1
WideText native_name(const std::string &path) { return text_from_file_name(path.c_str()); }
std::string from_native_name(const WideText &name) { return text_to_file_name(name); }
