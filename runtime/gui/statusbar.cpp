// Status bars, shared by both back-ends: every call is carried out on the
// event-loop thread, where the back-end changes its native status bar
// (internal/statusbar_native.h).
#include "internal/statusbar_native.h"

#include "gui/gui.h"
#include "internal/gui_handover.h"

std::intptr_t statusbar_create(ObjectId number, void *window) {
    return on_gui_thread([&] { return statusbar_native_create(number, window); });
}

void statusbar_add_field(std::int32_t width) {
    on_gui_thread([&] { statusbar_native_add_field(width); });
}

void statusbar_progress(ObjectId statusbar, std::int32_t field, std::int32_t value) {
    statusbar_progress_ex(statusbar, field, value, 0, NOT_GIVEN, NOT_GIVEN);
}

void statusbar_progress_ex(ObjectId statusbar, std::int32_t field, std::int32_t value,
                           std::int32_t flags, std::int32_t min, std::int32_t max) {
    on_gui_thread([&] { statusbar_native_progress(statusbar, field, value, flags, min, max); });
}

void statusbar_image(ObjectId statusbar, std::int32_t field, void *image, std::int32_t flags) {
    on_gui_thread([&] { statusbar_native_image(statusbar, field, image, flags); });
}

void statusbar_free(ObjectId statusbar) {
    on_gui_thread([&] { statusbar_native_free(statusbar); });
}
