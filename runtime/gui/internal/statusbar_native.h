// What each back-end provides under the status-bar calls of statusbar.cpp,
// which hands them over to the event-loop thread: these run there and only
// make and change the native status bars.
#pragma once

#include "core/core.h"

#include <cstdint>

// The new status bar goes below the window's gadgets and becomes the one
// statusbar_native_add_field adds to; answered as statusbar_create answers.
std::intptr_t statusbar_native_create(ObjectId number, void *window);
void statusbar_native_add_field(std::int32_t width);
// min and max may be NOT_GIVEN: the field keeps its previous limit.
void statusbar_native_progress(ObjectId statusbar, std::int32_t field, std::int32_t value,
                               std::int32_t flags, std::int32_t min, std::int32_t max);
void statusbar_native_image(ObjectId statusbar, std::int32_t field, void *image,
                            std::int32_t flags);
// ANY ends every status bar.
void statusbar_native_free(ObjectId statusbar);
