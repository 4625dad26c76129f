// One-line edit fields (kind 2) and the insert filters they share with
// editable combo boxes.
#include "gtk_private.h"
#include "internal/gadget_create.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace {

constexpr std::int32_t password = 0x1;
constexpr std::int32_t upper_case = 0x4;
constexpr std::int32_t lower_case = 0x8;
constexpr std::int32_t no_frame = 0x20;
constexpr std::int32_t inline_completion = 0x80;

void on_insert_text(GtkEditable *editable, const char *text, int length, int *position,
                    gpointer filter) {
    const std::size_t bytes = length < 0 ? std::strlen(text) : static_cast<std::size_t>(length);
    const std::string filtered =
        insert_filter_apply(static_cast<InsertFilter>(GPOINTER_TO_INT(filter)), text, bytes);
    insert_filter_block(GTK_WIDGET(editable), true);
    gtk_editable_insert_text(editable, filtered.data(), static_cast<int>(filtered.size()),
                             position);
    insert_filter_block(GTK_WIDGET(editable), false);
    g_signal_stop_emission_by_name(editable, "insert_text");
}

WideText string_get_text(GadgetRecord *record) {
    return text_from_gtk_owned(gtk_editable_get_chars(GTK_EDITABLE(record->widget), 0, -1));
}

// The program's own text is neither filtered nor reported as a change.
void string_set_text(GadgetRecord *record, const char *text) {
    GtkWidget *entry = record->widget;
    handlers_block(entry, reinterpret_cast<gpointer>(gadget_on_changed), true);
    insert_filter_block(entry, true);
    gtk_entry_set_text(GTK_ENTRY(entry), text);
    insert_filter_block(entry, false);
    gtk_widget_queue_draw(entry);
    handlers_block(entry, reinterpret_cast<gpointer>(gadget_on_changed), false);
}

std::intptr_t string_get_attribute(GadgetRecord *record, std::int32_t attribute) {
    return attribute == GADGET_ATTRIBUTE_MAX_LENGTH
               ? gtk_entry_get_max_length(GTK_ENTRY(record->widget))
               : 0;
}

void string_set_attribute(GadgetRecord *record, std::int32_t attribute, std::intptr_t value) {
    if (attribute != GADGET_ATTRIBUTE_MAX_LENGTH)
        return;
    const auto limit = static_cast<int>(std::clamp<std::intptr_t>(value, 1, G_MAXINT));
    gtk_entry_set_max_length(GTK_ENTRY(record->widget), limit);
}

void string_set_color(GadgetRecord *record, std::int32_t type, std::int32_t colour) {
    gadget_color_set(record, type, colour, record->widget, record->widget);
}

// A field with a completion list also has item operations on that list.
const GadgetClass *string_class(bool with_completion) {
    static const GadgetClass plain = [] {
        GadgetClass c = gadget_class_of_kind(GADGET_STRING);
        c.get_text = string_get_text;
        c.set_text = string_set_text;
        c.set_font = gadget_font_set;
        c.get_font = gadget_font_get;
        c.get_attribute = string_get_attribute;
        c.set_attribute = string_set_attribute;
        c.set_color = string_set_color;
        c.get_color = gadget_color_get;
        return c;
    }();
    static const GadgetClass completing = [] {
        GadgetClass c = plain;
        completion_fill_item_slots(c);
        return c;
    }();
    return with_completion ? &completing : &plain;
}

InsertFilter filter_of(std::int32_t flags) {
    if (flags & upper_case)
        return InsertFilter::upper_case;
    if (flags & lower_case)
        return InsertFilter::lower_case;
    if (flags & STRING_NUMERIC)
        return InsertFilter::digits_only;
    return InsertFilter::none;
}

} // namespace

std::intptr_t string_native_create(ObjectId number, std::int32_t x, std::int32_t y,
                                   std::int32_t width, std::int32_t height, const WideText &text,
                                   std::int32_t flags) {
    GtkWidget *entry = gtk_entry_new();
    if (!entry)
        return 0;
    if (flags & password)
        gtk_entry_set_visibility(GTK_ENTRY(entry), FALSE);
    if (flags & STRING_READ_ONLY)
        gtk_editable_set_editable(GTK_EDITABLE(entry), FALSE);
    if (flags & no_frame)
        gtk_entry_set_has_frame(GTK_ENTRY(entry), FALSE);
    insert_filter_connect(entry, filter_of(flags));
    gtk_entry_set_width_chars(GTK_ENTRY(entry), 0);
    const bool with_completion = flags & (STRING_COMPLETION | inline_completion);
    if (with_completion)
        completion_attach(entry, (flags & STRING_COMPLETION) != 0);
    ObjectId id = 0;
    GadgetRecord *record = gadget_place(number, &id, entry, nullptr, string_class(with_completion),
                                        x, y, width, height);
    if (!record)
        return 0;
    g_signal_connect(entry, "changed", G_CALLBACK(gadget_on_changed), id_to_pointer(id));
    g_signal_connect(entry, "focus-in-event", G_CALLBACK(gadget_on_focus_in), id_to_pointer(id));
    g_signal_connect(entry, "focus-out-event", G_CALLBACK(gadget_on_focus_out), id_to_pointer(id));
    gtk_widget_show(entry);
    const std::intptr_t result = gadget_finish(number, id, record);
    if (!text.empty())
        string_set_text(record, text_to_utf8(text).c_str());
    return result;
}

// Byte by byte in the process locale, so multi-byte UTF-8 characters pass the
// case filters unchanged and are dropped by the digit filter. Every field is
// one line: pasted text keeps its first line only, and tabs and other control
// characters are left out.
std::string insert_filter_apply(InsertFilter filter, const char *text, std::size_t length) {
    std::string result;
    result.reserve(length);
    for (std::size_t i = 0; i < length; ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte == '\n' || byte == '\r')
            break;
        if (byte < 0x20 || byte == 0x7F)
            continue;
        switch (filter) {
        case InsertFilter::upper_case:
            result += static_cast<char>(std::islower(byte) ? std::toupper(byte) : byte);
            break;
        case InsertFilter::lower_case:
            result += static_cast<char>(std::isupper(byte) ? std::tolower(byte) : byte);
            break;
        case InsertFilter::digits_only:
            if (byte >= '0' && byte <= '9')
                result += static_cast<char>(byte);
            break;
        case InsertFilter::none: result += static_cast<char>(byte); break;
        }
    }
    return result;
}

void insert_filter_connect(GtkWidget *entry, InsertFilter filter) {
    g_signal_connect(entry, "insert-text", G_CALLBACK(on_insert_text),
                     GINT_TO_POINTER(static_cast<int>(filter)));
}

void insert_filter_block(GtkWidget *entry, bool block) {
    handlers_block(entry, reinterpret_cast<gpointer>(on_insert_text), block);
}

void handlers_block(GtkWidget *widget, gpointer handler, bool block) {
    if (block)
        g_signal_handlers_block_matched(widget, G_SIGNAL_MATCH_FUNC, 0, 0, nullptr, handler,
                                        nullptr);
    else
        g_signal_handlers_unblock_matched(widget, G_SIGNAL_MATCH_FUNC, 0, 0, nullptr, handler,
                                          nullptr);
}
