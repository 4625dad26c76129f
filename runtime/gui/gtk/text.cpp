// Static text labels (kind 3): a label in an event box in a horizontal box,
// optionally framed. They raise no events.
#include "gtk_private.h"
#include "internal/gadget_create.h"

namespace {

constexpr std::int32_t align_right = 0x1;
constexpr std::int32_t align_center = 0x2;
constexpr std::int32_t border = 0x4;

WideText text_get_text(GadgetRecord *record) {
    return text_from_gtk(gtk_label_get_text(GTK_LABEL(record->widget)));
}

void text_set_text(GadgetRecord *record, const char *text) {
    gtk_label_set_text(GTK_LABEL(record->widget), text);
}

GtkWidget *text_event_box(GadgetRecord *record) {
    return reinterpret_cast<GtkWidget *>(kind_word(record, TEXT_EVENT_BOX_WORD));
}

// The event box draws a background of its own only while one is set.
void text_set_color(GadgetRecord *record, std::int32_t type, std::int32_t colour) {
    if (type == GADGET_COLOR_BACKGROUND)
        gtk_event_box_set_visible_window(GTK_EVENT_BOX(text_event_box(record)),
                                         colour != GADGET_COLOR_DEFAULT);
    gadget_color_set(record, type, colour, record->widget, text_event_box(record));
}

const GadgetClass *text_class() {
    static const GadgetClass table = [] {
        GadgetClass c = gadget_class_of_kind(GADGET_TEXT);
        c.get_text = text_get_text;
        c.set_text = text_set_text;
        c.set_font = gadget_font_set;
        c.get_font = gadget_font_get;
        c.set_color = text_set_color;
        c.get_color = gadget_color_get;
        return c;
    }();
    return &table;
}

} // namespace

std::intptr_t text_native_create(ObjectId number, std::int32_t x, std::int32_t y,
                                 std::int32_t width, std::int32_t height, const WideText &text,
                                 std::int32_t flags) {
    GtkWidget *label = gtk_label_new("");
    GtkWidget *box = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 0);
    GtkWidget *event_box = gtk_event_box_new();
    if (!label || !box || !event_box)
        return 0;
    gtk_label_set_line_wrap(GTK_LABEL(label), TRUE);
    gtk_event_box_set_visible_window(GTK_EVENT_BOX(event_box), FALSE);
    // The event box fills the row so the label's alignment takes effect.
    gtk_box_pack_start(GTK_BOX(box), event_box, TRUE, TRUE, 0);
    if (flags & border) {
        GtkWidget *frame = gtk_frame_new(nullptr);
        gtk_frame_set_shadow_type(GTK_FRAME(frame), GTK_SHADOW_IN);
        gtk_container_add(GTK_CONTAINER(event_box), frame);
        gtk_container_add(GTK_CONTAINER(frame), label);
    } else {
        gtk_container_add(GTK_CONTAINER(event_box), label);
    }
    ObjectId id = 0;
    GadgetRecord *record = gadget_place(number, &id, label, box, text_class(), x, y, width, height);
    if (!record)
        return 0;
    kind_word(record, TEXT_EVENT_BOX_WORD) = reinterpret_cast<std::intptr_t>(event_box);
    const float x_align = flags & align_right ? 1.0f : flags & align_center ? 0.5f : 0.0f;
    gtk_label_set_xalign(GTK_LABEL(label), x_align);
    gtk_label_set_yalign(GTK_LABEL(label), 0.0f);
    if (!text.empty())
        text_set_text(record, text_to_utf8(text).c_str());
    gtk_widget_show_all(box);
    return gadget_finish(number, id, record);
}

namespace {

// The accessible name is a copy of the label's text, renewed when the text
// changes.
void name_after_label(GtkLabel *label, GParamSpec *, gpointer control) {
    atk_object_set_name(gtk_widget_get_accessible(GTK_WIDGET(control)), gtk_label_get_text(label));
}

} // namespace

// The mnemonic widget gives the pair the labelled-by / label-for relations
// screen readers follow. GTK 3 does not derive the control's own accessible
// name from them (a combo box keeps answering its chosen item, an entry
// nothing), so the name is set from the label as well.
void gadget_set_label(ObjectId gadget, ObjectId label) {
    on_gui_thread([&] {
        GadgetRecord *control = gadget_lookup(gadget);
        GadgetRecord *caption = gadget_lookup(label);
        if (!control || !caption || caption->gadget_class->kind != GADGET_TEXT ||
            control == caption)
            return;
        GtkLabel *text = GTK_LABEL(caption->widget);
        gtk_label_set_mnemonic_widget(text, control->widget);
        name_after_label(text, nullptr, control->widget);
        g_signal_connect_object(text, "notify::label", G_CALLBACK(name_after_label),
                                control->widget, GConnectFlags(0));
    });
}
