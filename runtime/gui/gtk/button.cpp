// Push and toggle buttons (kind 1).
#include "gtk_private.h"
#include "internal/gadget_create.h"

namespace {

constexpr std::int32_t align_right = 0x1;
constexpr std::int32_t align_left = 0x2;
constexpr std::int32_t toggle = 0x4;
constexpr std::int32_t multi_line = 0x10;

GtkLabel *button_label(GadgetRecord *record) {
    GtkWidget *child = gtk_bin_get_child(GTK_BIN(record->widget));
    return GTK_IS_LABEL(child) ? GTK_LABEL(child) : nullptr;
}

std::intptr_t button_get_state(GadgetRecord *record) {
    return GTK_IS_TOGGLE_BUTTON(record->widget) &&
           gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(record->widget));
}

void button_set_state(GadgetRecord *record, std::intptr_t state) {
    if (GTK_IS_TOGGLE_BUTTON(record->widget))
        gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(record->widget), state != 0);
}

WideText button_get_text(GadgetRecord *record) {
    GtkLabel *label = button_label(record);
    return label ? text_from_gtk(gtk_label_get_text(label)) : WideText();
}

void button_set_text(GadgetRecord *record, const char *text) {
    if (GtkLabel *label = button_label(record))
        gtk_label_set_text(label, text);
}

const GadgetClass *button_class() {
    static const GadgetClass table = [] {
        GadgetClass c = gadget_class_of_kind(GADGET_BUTTON);
        c.get_state = button_get_state;
        c.set_state = button_set_state;
        c.get_text = button_get_text;
        c.set_text = button_set_text;
        c.set_font = gadget_font_set;
        c.get_font = gadget_font_get;
        return c;
    }();
    return &table;
}

void on_clicked(GtkWidget *button, gpointer) { gadget_post_event(button, 0); }

} // namespace

std::intptr_t button_native_create(ObjectId number, std::int32_t x, std::int32_t y,
                                   std::int32_t width, std::int32_t height, const WideText &text,
                                   std::int32_t flags) {
    GtkWidget *button =
        flags & toggle ? gtk_toggle_button_new_with_label("") : gtk_button_new_with_label("");
    if (!button)
        return 0;
    ObjectId id = 0;
    GadgetRecord *record =
        gadget_place(number, &id, button, nullptr, button_class(), x, y, width, height);
    if (!record)
        return 0;
    if (GtkLabel *label = button_label(record)) {
        if (flags & align_right)
            gtk_widget_set_halign(GTK_WIDGET(label), GTK_ALIGN_END);
        else if (flags & align_left)
            gtk_widget_set_halign(GTK_WIDGET(label), GTK_ALIGN_START);
        gtk_label_set_line_wrap(label, (flags & multi_line) != 0);
    }
    g_signal_connect(button, "clicked", G_CALLBACK(on_clicked), id_to_pointer(id));
    if (!text.empty())
        button_set_text(record, text_to_utf8(text).c_str());
    const std::intptr_t result = gadget_finish(number, id, record);
    gtk_widget_show(button);
    return result;
}
