// One-line edit fields (kind 2) on the "Edit" control. The flags are the
// control's own styles (STRING_READ_ONLY is ES_READONLY, STRING_NUMERIC ES_NUMBER, ...). The
// control's notifications reach the window and are posted with their code;
// the field's own procedure adds focus-in and focus-out events.
#include "win32_private.h"
#include "internal/gadget_create.h"

namespace {

constexpr DWORD string_style = WS_CHILD | WS_VISIBLE | WS_GROUP | WS_TABSTOP | ES_AUTOHSCROLL;
static_assert(string_style == 0x50030080);
static_assert(STRING_READ_ONLY == ES_READONLY && STRING_NUMERIC == ES_NUMBER);
constexpr std::int32_t no_border = 0x20000;

std::intptr_t string_get_attribute(GadgetRecord *record, std::int32_t attribute) {
    return attribute == GADGET_ATTRIBUTE_MAX_LENGTH
               ? SendMessageW(record->handle, EM_GETLIMITTEXT, 0, 0)
               : 0;
}

void string_set_attribute(GadgetRecord *record, std::int32_t attribute, std::intptr_t value) {
    if (attribute == GADGET_ATTRIBUTE_MAX_LENGTH)
        SendMessageW(record->handle, EM_LIMITTEXT, static_cast<WPARAM>(value < 1 ? 1 : value), 0);
}

constexpr GadgetClass string_class{
    .kind = GADGET_STRING,
    .size = sizeof(GadgetClass),
    .message = colour_message,
    .release = colour_release,
    .get_attribute = string_get_attribute,
    .set_attribute = string_set_attribute,
    .set_color = colour_set,
    .get_color = colour_get,
};

LRESULT CALLBACK string_procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_SETFOCUS)
        gadget_post_event(hwnd, SUBTYPE_FOCUS_IN);
    else if (message == WM_KILLFOCUS)
        gadget_post_event(hwnd, SUBTYPE_FOCUS_OUT);
    return gadget_procedure(hwnd, message, wparam, lparam);
}

} // namespace

std::intptr_t string_native_create(ObjectId number, std::int32_t x, std::int32_t y,
                                   std::int32_t width, std::int32_t height, const WideText &text,
                                   std::int32_t flags) {
    ObjectId id = 0;
    const DWORD extended = flags & no_border ? 0 : WS_EX_CLIENTEDGE;
    GadgetRecord *record =
        gadget_create(number, &id, &string_class, L"Edit", text,
                      static_cast<DWORD>(flags) | string_style, extended, x, y, width, height);
    if (record) {
        colour_words_init(record);
        SetWindowLongPtrW(record->handle, GWLP_WNDPROC,
                          reinterpret_cast<LONG_PTR>(string_procedure));
    }
    return gadget_result(number, id, record);
}
