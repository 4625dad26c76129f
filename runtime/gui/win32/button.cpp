// Push buttons (kind 1) on the "Button" control. A click reaches the window
// as BN_CLICKED, which the window posts with the notification code 0.
#include "win32_private.h"
#include "internal/gadget_create.h"

namespace {

// A push button.
constexpr DWORD button_style = WS_CHILD | WS_VISIBLE | WS_GROUP | WS_TABSTOP | BS_PUSHBUTTON;
static_assert(button_style == 0x50030000);

std::intptr_t button_get_state(GadgetRecord *record) {
    return SendMessageW(record->handle, BM_GETCHECK, 0, 0) & 1;
}

void button_set_state(GadgetRecord *record, std::intptr_t state) {
    SendMessageW(record->handle, BM_SETCHECK, state ? BST_CHECKED : BST_UNCHECKED, 0);
}

constexpr GadgetClass button_class{
    .kind = GADGET_BUTTON,
    .size = sizeof(GadgetClass),
    .get_state = button_get_state,
    .set_state = button_set_state,
};

} // namespace

std::intptr_t button_native_create(ObjectId number, std::int32_t x, std::int32_t y,
                                   std::int32_t width, std::int32_t height, const WideText &text,
                                   std::int32_t flags) {
    ObjectId id = 0;
    GadgetRecord *record =
        gadget_create(number, &id, &button_class, L"Button", text,
                      static_cast<DWORD>(flags) | button_style, 0, x, y, width, height);
    return gadget_result(number, id, record);
}
