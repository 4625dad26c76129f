// Gadget sizes as placed and as their content needs them, and the window a
// native widget lies in.
#include "gtk_private.h"
#include "internal/gadget_size.h"

namespace {

// The pixel size of a label's text on one line: the layout is measured with
// wrapping off, then given its width back.
GtkRequisition unwrapped_text_size(GtkLabel *label) {
    PangoLayout *layout = gtk_label_get_layout(label);
    const int width = pango_layout_get_width(layout);
    pango_layout_set_width(layout, -1);
    GtkRequisition size{};
    pango_layout_get_pixel_size(layout, &size.width, &size.height);
    pango_layout_set_width(layout, width);
    return size;
}

// The minimum size with the size request cleared for the measurement.
GtkRequisition minimum_size(GtkWidget *widget) {
    int width = -1, height = -1;
    gtk_widget_get_size_request(widget, &width, &height);
    gtk_widget_set_size_request(widget, -1, -1);
    GtkRequisition minimum{};
    gtk_widget_get_preferred_size(widget, &minimum, nullptr);
    gtk_widget_set_size_request(widget, width, height);
    return minimum;
}

GtkRequisition needed_requisition(GadgetRecord *record) {
    switch (record->gadget_class->kind) {
    case GADGET_TEXT: return unwrapped_text_size(GTK_LABEL(record->widget));
    case GADGET_COMBO: return minimum_size(record->widget);
    case GADGET_STRING: {
        GtkRequisition size = minimum_size(record->widget);
        size.width = STRING_NEEDED_WIDTH;
        return size;
    }
    default: return minimum_size(record->outer ? record->outer : record->widget);
    }
}

} // namespace

GadgetSize gadget_needed_size(GadgetRecord *record) {
    const GtkRequisition size = needed_requisition(record);
    return {size.width, size.height};
}

GadgetSize gadget_placed_size(GadgetRecord *record) {
    return {gadget_width(record), gadget_height(record)};
}

// Only widgets of this toolkit's gadgets and windows are looked at; any other
// pointer has no window.
ObjectId gadget_window_of(void *native) {
    return on_gui_thread([&]() -> ObjectId {
        ObjectId id = -1;
        if (window_find_native(native, &id))
            return id;
        GadgetRecord *record = gadget_find_native(native);
        return record ? gadget_window_of(record->widget) : -1;
    });
}
