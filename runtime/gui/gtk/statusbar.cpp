// Status bars: a row of framed fields below a window's gadgets. A field shows
// a label until the first progress call turns it into a progress bar.
#include "gtk_private.h"
#include "internal/numbered.h"
#include "internal/statusbar_native.h"

#include <algorithm>

namespace {

struct StatusBarRecord {
    GtkWidget *box; // non-null while the status bar exists
};

Numbered<StatusBarRecord> statusbars;

// Where statusbar_add_field adds: the newest status bar.
GtkWidget *current_box = nullptr;

constexpr int field_padding = 2; // on each side of a field

void on_box_destroy(GtkWidget *box, gpointer data) {
    if (box == current_box)
        current_box = nullptr;
    const ObjectId id = pointer_to_id(data);
    StatusBarRecord *record = statusbars.lookup(id);
    if (record && record->box == box)
        statusbars.forget(id);
}

} // namespace

std::intptr_t statusbar_native_create(ObjectId number, void *window) {
    if (number < ANY || !window_find_native(window, nullptr))
        return 0;
    auto *vbox = static_cast<GtkWidget *>(g_object_get_data(G_OBJECT(window), "kw_vbox"));
    GtkWidget *box = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 0);
    if (!vbox || !box)
        return 0;
    ObjectId id = 0;
    StatusBarRecord *record = statusbars.allocate(number, &id);
    if (!record) {
        g_object_ref_sink(box);
        g_object_unref(box);
        return 0;
    }
    gtk_widget_show(box);
    gtk_box_pack_start(GTK_BOX(vbox), box, FALSE, FALSE, 2);
    gtk_box_reorder_child(GTK_BOX(vbox), box, 3);
    g_signal_connect(box, "destroy", G_CALLBACK(on_box_destroy), id_to_pointer(id));
    record->box = box;
    current_box = box;
    return creation_answer(number, id, box);
}

void statusbar_native_add_field(std::int32_t width) {
    if (!current_box)
        return;
    GtkWidget *label = gtk_label_new("");
    gtk_widget_show(label);
    GtkWidget *frame = gtk_frame_new(nullptr);
    GtkRequisition minimum{};
    gtk_widget_get_preferred_size(label, &minimum, nullptr);
    const int height = (minimum.height < 16 ? 16 : minimum.height) + 6;
    // A field of width w takes w pixels of the row, its padding included: a
    // field as wide as the window fills it and does not widen it.
    const bool rest = width == NOT_GIVEN;
    const int frame_width = std::clamp(width, 1 + 2 * field_padding, 8192) - 2 * field_padding;
    gtk_widget_set_size_request(frame, rest ? -1 : frame_width, height);
    g_object_set_data(G_OBJECT(frame), "kw_statusbar_min", GINT_TO_POINTER(0));
    g_object_set_data(G_OBJECT(frame), "kw_statusbar_max", GINT_TO_POINTER(100));
    gtk_container_add(GTK_CONTAINER(frame), label);
    gtk_label_set_xalign(GTK_LABEL(label), 0.0f);
    gtk_label_set_yalign(GTK_LABEL(label), 0.5f);
    gtk_frame_set_shadow_type(GTK_FRAME(frame), GTK_SHADOW_IN);
    gtk_widget_show(frame);
    gtk_box_pack_start(GTK_BOX(current_box), frame, rest, rest, field_padding);
}

namespace {

// A stored limit, or the new one when it is given.
int limit(GtkWidget *frame, const char *key, std::int32_t given) {
    if (given == NOT_GIVEN)
        return GPOINTER_TO_INT(g_object_get_data(G_OBJECT(frame), key));
    g_object_set_data(G_OBJECT(frame), key, GINT_TO_POINTER(given));
    return given;
}

GtkWidget *progress_bar_of(GtkWidget *frame) {
    GtkWidget *child = gtk_bin_get_child(GTK_BIN(frame));
    if (child && GTK_IS_PROGRESS_BAR(child))
        return child;
    GtkWidget *bar = gtk_progress_bar_new();
    if (!bar)
        return nullptr;
    if (child)
        gtk_widget_destroy(child);
    gtk_container_add(GTK_CONTAINER(frame), bar);
    gtk_widget_show(bar);
    return bar;
}

// The frame of field n, null when the status bar or the field is missing.
GtkWidget *field_frame(ObjectId statusbar, std::int32_t field) {
    StatusBarRecord *record = statusbars.lookup(statusbar);
    if (!record || field < 0)
        return nullptr;
    GList *fields = gtk_container_get_children(GTK_CONTAINER(record->box));
    auto *frame = static_cast<GtkWidget *>(g_list_nth_data(fields, static_cast<guint>(field)));
    g_list_free(fields);
    return frame && GTK_IS_FRAME(frame) ? frame : nullptr;
}

void set_border(GtkWidget *frame, std::int32_t flags) {
    const GtkShadowType shadow = flags & STATUSBAR_BORDER_NONE     ? GTK_SHADOW_NONE
                                 : flags & STATUSBAR_BORDER_RAISED ? GTK_SHADOW_OUT
                                                                   : GTK_SHADOW_IN;
    gtk_frame_set_shadow_type(GTK_FRAME(frame), shadow);
}

// Puts child into the frame in place of what it held.
void replace_content(GtkWidget *frame, GtkWidget *child) {
    if (GtkWidget *old = gtk_bin_get_child(GTK_BIN(frame)))
        gtk_widget_destroy(old);
    gtk_container_add(GTK_CONTAINER(frame), child);
    gtk_widget_show(child);
}

} // namespace

// The image instead of text or progress; null gives the field an empty label.
void statusbar_native_image(ObjectId statusbar, std::int32_t field, void *image,
                            std::int32_t flags) {
    GtkWidget *frame = field_frame(statusbar, field);
    if (!frame)
        return;
    if (!image) {
        replace_content(frame, gtk_label_new(""));
    } else {
        GtkWidget *picture = gtk_image_new_from_pixbuf(static_cast<GdkPixbuf *>(image));
        gtk_widget_set_halign(picture, flags & STATUSBAR_IMAGE_CENTRED ? GTK_ALIGN_CENTER
                                       : flags & STATUSBAR_IMAGE_RIGHT ? GTK_ALIGN_END
                                                                       : GTK_ALIGN_START);
        replace_content(frame, picture);
    }
    set_border(frame, flags);
}

void statusbar_native_progress(ObjectId statusbar, std::int32_t field, std::int32_t value,
                               std::int32_t flags, std::int32_t min, std::int32_t max) {
    GtkWidget *frame = field_frame(statusbar, field);
    if (!frame)
        return;
    if (GtkWidget *bar = progress_bar_of(frame)) {
        const int low = limit(frame, "kw_statusbar_min", min);
        const int high = limit(frame, "kw_statusbar_max", max);
        // At or below the minimum the bar is empty even when the range is
        // empty or reversed; beyond it and at or above the maximum, full.
        double fraction = 1.0;
        if (value <= low)
            fraction = 0.0;
        else if (value < high)
            fraction = (static_cast<double>(value) - low) / (static_cast<double>(high) - low);
        gtk_progress_bar_set_fraction(GTK_PROGRESS_BAR(bar), fraction);
    }
    set_border(frame, flags);
}

void statusbar_system_init() { statusbars.init(statusbar_free); }

void statusbar_native_free(ObjectId statusbar) {
    statusbars.end(statusbar, [](StatusBarRecord *record) { gtk_widget_destroy(record->box); });
}
