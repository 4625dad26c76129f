// Fonts and colours of gadgets. A gadget's own font is kept as a copy under
// "kw_gadget_font"; colours are kept in the record as colour + 1 (0 = the
// theme's own) in kind words 2 (text) and 3 (background).
#include "gtk_private.h"

namespace {

const char font_key[] = "kw_gadget_font";
const char style_font_key[] = "kw_style_font";

// The font given to gadget_set_font (ANY): applied to every gadget created
// from then on.
PangoFontDescription *default_font = nullptr;

PangoFontDescription *font_copy(const void *font) {
    return font ? pango_font_description_copy(static_cast<const PangoFontDescription *>(font))
                : nullptr;
}

// -1 stands for "no font" as well as null.
const PangoFontDescription *font_or_none(void *font) {
    return reinterpret_cast<std::intptr_t>(font) == -1
               ? nullptr
               : static_cast<const PangoFontDescription *>(font);
}

void set_font_on_gui_thread(ObjectId gadget, const PangoFontDescription *font) {
    if (gadget == ANY) {
        if (default_font)
            pango_font_description_free(default_font);
        default_font = font_copy(font);
        return;
    }
    GadgetRecord *record = gadget_lookup(gadget);
    if (!record || !record->gadget_class->set_font)
        return;
    g_object_set_data_full(G_OBJECT(record->widget), font_key, font_copy(font),
                           reinterpret_cast<GDestroyNotify>(pango_font_description_free));
    record->gadget_class->set_font(record, font);
}

GdkRGBA rgba_of(std::int32_t colour) {
    return {(colour & 0xFF) / 255.0, ((colour >> 8) & 0xFF) / 255.0,
            ((colour >> 16) & 0xFF) / 255.0, 1.0};
}

std::intptr_t &colour_slot(GadgetRecord *record, std::int32_t type) {
    return kind_word(record, type == GADGET_COLOR_TEXT ? TEXT_COLOUR_WORD : BACKGROUND_COLOUR_WORD);
}

} // namespace

void gadget_override_font(GtkWidget *widget, const PangoFontDescription *font) {
    G_GNUC_BEGIN_IGNORE_DEPRECATIONS
    gtk_widget_override_font(widget, font);
    G_GNUC_END_IGNORE_DEPRECATIONS
}

void gadget_font_set(GadgetRecord *record, const PangoFontDescription *font) {
    gadget_override_font(record->widget, font);
}

// The gadget's own font, else the one its style gives it (kept on the widget
// so the caller may hold on to it like the gadget's own).
const PangoFontDescription *gadget_font_get(GadgetRecord *record) {
    if (auto *own = static_cast<PangoFontDescription *>(
            g_object_get_data(G_OBJECT(record->widget), font_key)))
        return own;
    PangoFontDescription *font = nullptr;
    GtkStyleContext *style = gtk_widget_get_style_context(record->widget);
    gtk_style_context_get(style, gtk_style_context_get_state(style), "font", &font, nullptr);
    g_object_set_data_full(G_OBJECT(record->widget), style_font_key, font,
                           reinterpret_cast<GDestroyNotify>(pango_font_description_free));
    return font;
}

void gadget_apply_default_font(GadgetRecord *record) {
    if (default_font && record->gadget_class->set_font) {
        g_object_set_data_full(G_OBJECT(record->widget), font_key, font_copy(default_font),
                               reinterpret_cast<GDestroyNotify>(pango_font_description_free));
        record->gadget_class->set_font(record, default_font);
    }
}

// Colours go on widget (text) and background (its background); -1 returns
// both to the theme.
void gadget_color_set(GadgetRecord *record, std::int32_t type, std::int32_t colour,
                      GtkWidget *text, GtkWidget *background) {
    if (type != GADGET_COLOR_TEXT && type != GADGET_COLOR_BACKGROUND)
        return;
    colour_slot(record, type) = colour == GADGET_COLOR_DEFAULT ? 0 : (colour & 0xFFFFFF) + 1;
    const GdkRGBA rgba = rgba_of(colour);
    const GdkRGBA *given = colour == GADGET_COLOR_DEFAULT ? nullptr : &rgba;
    G_GNUC_BEGIN_IGNORE_DEPRECATIONS
    if (type == GADGET_COLOR_TEXT)
        gtk_widget_override_color(text, GTK_STATE_FLAG_NORMAL, given);
    else
        gtk_widget_override_background_color(background, GTK_STATE_FLAG_NORMAL, given);
    G_GNUC_END_IGNORE_DEPRECATIONS
}

std::int32_t gadget_color_get(GadgetRecord *record, std::int32_t type) {
    if (type != GADGET_COLOR_TEXT && type != GADGET_COLOR_BACKGROUND)
        return GADGET_COLOR_DEFAULT;
    return static_cast<std::int32_t>(colour_slot(record, type)) - 1;
}

void gadget_set_font(ObjectId gadget, void *font) {
    on_gui_thread([&] { set_font_on_gui_thread(gadget, font_or_none(font)); });
}

void *gadget_get_font(ObjectId gadget) {
    return on_gui_thread([&]() -> void * {
        GadgetRecord *record = gadget_lookup(gadget);
        if (!record || !record->gadget_class->get_font)
            return nullptr;
        return const_cast<PangoFontDescription *>(record->gadget_class->get_font(record));
    });
}
