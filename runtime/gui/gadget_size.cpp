// Gadget sizes as placed (mode 0) and as their content needs them (mode 1),
// shared by both back-ends; a gadget not in use measures 0.
#include "internal/gadget_size.h"

#if defined(_WIN32)
#include "win32/win32_private.h"
#else
#include "gtk/gtk_private.h"
#endif

namespace {

constexpr std::int32_t needed_size = 1;

GadgetSize gadget_size(ObjectId gadget, std::int32_t mode) {
    return on_gadget(gadget, [&](GadgetRecord *record) {
        return mode == needed_size ? gadget_needed_size(record) : gadget_placed_size(record);
    });
}

} // namespace

std::int32_t gadget_width(ObjectId gadget, std::int32_t mode) {
    return gadget_size(gadget, mode).width;
}

std::int32_t gadget_height(ObjectId gadget, std::int32_t mode) {
    return gadget_size(gadget, mode).height;
}
