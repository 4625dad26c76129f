// The gadget constructors, shared by both back-ends: each is carried out on
// the event-loop thread by its kind's file (internal/gadget_create.h).
#include "internal/gadget_create.h"

#include "gui/gui.h"
#include "internal/gui_handover.h"

namespace {

// Runs the back-end's constructor on the event-loop thread.
template <class Native, class... Args> std::intptr_t created(Native native, const Args &...args) {
    return on_gui_thread([&] { return native(args...); });
}

} // namespace

std::intptr_t gadget_create_button(ObjectId number, std::int32_t x, std::int32_t y,
                                   std::int32_t width, std::int32_t height, const WideText &text,
                                   std::int32_t flags) {
    return created(button_native_create, number, x, y, width, height, text, flags);
}

std::intptr_t gadget_create_button_ex(ObjectId number, std::int32_t x, std::int32_t y,
                                      std::int32_t width, std::int32_t height, const WideText &text,
                                      std::int32_t flags) {
    return gadget_create_button(number, x, y, width, height, text, flags);
}

std::intptr_t gadget_create_text(ObjectId number, std::int32_t x, std::int32_t y,
                                 std::int32_t width, std::int32_t height, const WideText &text,
                                 std::int32_t flags) {
    return created(text_native_create, number, x, y, width, height, text, flags);
}

std::intptr_t gadget_create_string(ObjectId number, std::int32_t x, std::int32_t y,
                                   std::int32_t width, std::int32_t height, const WideText &text,
                                   std::int32_t flags) {
    return created(string_native_create, number, x, y, width, height, text, flags);
}

std::intptr_t gadget_create_combo(ObjectId number, std::int32_t x, std::int32_t y,
                                  std::int32_t width, std::int32_t height, std::int32_t flags) {
    return created(combo_native_create, number, x, y, width, height, flags);
}

std::intptr_t gadget_create_list_icon(ObjectId number, std::int32_t x, std::int32_t y,
                                      std::int32_t width, std::int32_t height,
                                      const WideText &title, std::int32_t title_width,
                                      std::int32_t flags) {
    return created(list_icon_native_create, number, x, y, width, height, title, title_width, flags);
}
