// Colours of text and string gadgets: the parent asks the control for its
// colours with WM_CTLCOLORSTATIC / WM_CTLCOLOREDIT, and the gadget answers
// with the colours set on it. Kind word 1 holds the background colour, word 2
// the text colour (-1 = the system's), word 3 the background brush.
#include "win32_private.h"

namespace {

std::intptr_t &background(GadgetRecord *record) { return kind_word(record, BACKGROUND_COLOUR_WORD); }
std::intptr_t &text_colour(GadgetRecord *record) { return kind_word(record, TEXT_COLOUR_WORD); }
HBRUSH brush(GadgetRecord *record) { return reinterpret_cast<HBRUSH>(kind_word(record, BRUSH_WORD)); }
void set_brush(GadgetRecord *record, HBRUSH value) {
    kind_word(record, BRUSH_WORD) = reinterpret_cast<std::intptr_t>(value);
}

} // namespace

void colour_words_init(GadgetRecord *record) {
    background(record) = -1;
    text_colour(record) = -1;
    set_brush(record, nullptr);
}

LRESULT colour_message(GadgetRecord *record, HWND parent, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message != WM_CTLCOLORSTATIC && message != WM_CTLCOLOREDIT)
        return NOT_HANDLED;
    if (background(record) == -1 && text_colour(record) == -1)
        return NOT_HANDLED;
    // The system's colours first, then ours over them.
    const LRESULT system_brush = DefWindowProcW(parent, message, wparam, lparam);
    auto dc = reinterpret_cast<HDC>(wparam);
    if (text_colour(record) != -1)
        SetTextColor(dc, static_cast<COLORREF>(text_colour(record)));
    if (background(record) == -1)
        return system_brush;
    SetBkColor(dc, static_cast<COLORREF>(background(record)));
    return reinterpret_cast<LRESULT>(brush(record));
}

void colour_release(GadgetRecord *record) {
    if (brush(record))
        DeleteObject(brush(record));
    set_brush(record, nullptr);
}

void colour_set(GadgetRecord *record, std::int32_t type, std::int32_t colour) {
    const std::intptr_t value = colour == GADGET_COLOR_DEFAULT ? -1 : (colour & 0xFFFFFF);
    if (type == GADGET_COLOR_TEXT) {
        text_colour(record) = value;
    } else if (type == GADGET_COLOR_BACKGROUND) {
        background(record) = value;
        colour_release(record);
        if (value != -1)
            set_brush(record, CreateSolidBrush(static_cast<COLORREF>(value)));
    } else {
        return;
    }
    InvalidateRect(record->handle, nullptr, TRUE);
}

std::int32_t colour_get(GadgetRecord *record, std::int32_t type) {
    if (type == GADGET_COLOR_TEXT)
        return static_cast<std::int32_t>(text_colour(record));
    if (type == GADGET_COLOR_BACKGROUND)
        return static_cast<std::int32_t>(background(record));
    return GADGET_COLOR_DEFAULT;
}
