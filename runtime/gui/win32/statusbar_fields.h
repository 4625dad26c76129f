// The fields of a Win32 status bar, shared by its code (statusbar.cpp) and
// the drawing of its owner-drawn fields (statusbar_draw.cpp).
#pragma once

#include "win32_private.h"

enum FieldKind : std::int32_t { text_field = 0, image_field = 1, progress_field = 2 };

struct StatusField {
    std::int32_t kind;
    std::int32_t width;  // pixels; NOT_GIVEN shares what the fixed fields leave
    std::int32_t border; // STATUSBAR_BORDER_* and STATUSBAR_IMAGE_* flags
    std::int32_t value;
    std::int32_t minimum;
    std::int32_t maximum;
    HWND control; // progress control, created at the first progress call
    HANDLE image; // image field: a bitmap or an icon, the caller's
};

struct StatusBarRecord {
    HWND handle; // the status window; non-null while it exists
    StatusField *fields;
    std::int32_t count;
    std::int32_t capacity;
    std::int32_t last_width; // parent's client size at the last layout
    std::int32_t last_height;
};

// Draws an image or a progress field the status bar left to its owner;
// false for any other field.
bool statusbar_draw_field(const StatusBarRecord *record, const DRAWITEMSTRUCT *item);
