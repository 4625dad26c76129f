// Static text labels (kind 3) on the "Static" control. They raise no events:
// the control is created without SS_NOTIFY.
#include "win32_private.h"
#include "internal/gadget_create.h"

namespace {

// SS_NOPREFIX: an "&" is shown as it is.
constexpr DWORD text_style = WS_CHILD | WS_VISIBLE | WS_GROUP | SS_NOPREFIX;
static_assert(text_style == 0x50020080);
constexpr std::int32_t sunken_border = 0x20000;

constexpr GadgetClass text_class{
    .kind = GADGET_TEXT,
    .size = sizeof(GadgetClass),
    .message = colour_message,
    .release = colour_release,
    .set_color = colour_set,
    .get_color = colour_get,
};

} // namespace

std::intptr_t text_native_create(ObjectId number, std::int32_t x, std::int32_t y,
                                 std::int32_t width, std::int32_t height, const WideText &text,
                                 std::int32_t flags) {
    ObjectId id = 0;
    const DWORD extended = flags & sunken_border ? WS_EX_CLIENTEDGE : 0;
    GadgetRecord *record =
        gadget_create(number, &id, &text_class, L"Static", text,
                      static_cast<DWORD>(flags) | text_style, extended, x, y, width, height);
    if (record)
        colour_words_init(record);
    return gadget_result(number, id, record);
}

// Windows' accessibility names an edit or combo box after the static text
// just before it among its siblings, which is creation order unless moved;
// so the label is moved to that place. Static texts are no tab stops, so
// the order the focus takes is unchanged.
void gadget_set_label(ObjectId gadget, ObjectId label) {
    on_gui_thread([&] {
        GadgetRecord *control = gadget_lookup(gadget);
        GadgetRecord *caption = gadget_lookup(label);
        if (!control || !caption || caption->gadget_class->kind != GADGET_TEXT ||
            control == caption || GetParent(control->handle) != GetParent(caption->handle))
            return;
        HWND before = GetWindow(control->handle, GW_HWNDPREV);
        if (before == caption->handle)
            return;
        SetWindowPos(caption->handle, before ? before : HWND_TOP, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    });
}
