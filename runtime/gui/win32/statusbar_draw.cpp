// The owner-drawn fields of status bars: an image, or a progress bar where
// visual styles give no progress control.
#include "statusbar_fields.h"

namespace {

// Right end of a drawn bar inside the inset rectangle, for value between
// minimum and maximum.
int fill_right(const RECT &inset, const StatusField &field) {
    if (field.value >= field.maximum || field.maximum <= field.minimum)
        return inset.right;
    const std::int64_t width = inset.right - inset.left;
    return inset.left +
           static_cast<int>(width * (static_cast<std::int64_t>(field.value) - field.minimum) /
                            (static_cast<std::int64_t>(field.maximum) - field.minimum));
}

// The image vertically centred; left, centred or right as the flags say.
void draw_image(const StatusField &field, const DRAWITEMSTRUCT *item) {
    const bool bitmap = GetObjectType(field.image) == OBJ_BITMAP;
    SIZE size{GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON)};
    if (bitmap) {
        BITMAP info{};
        GetObjectW(field.image, sizeof info, &info);
        size = {info.bmWidth, info.bmHeight};
    }
    const RECT &part = item->rcItem;
    int x = part.left + 2;
    if (field.border & STATUSBAR_IMAGE_CENTRED)
        x = part.left + (part.right - part.left - size.cx) / 2;
    else if (field.border & STATUSBAR_IMAGE_RIGHT)
        x = part.right - size.cx - 2;
    const int y = part.top + (part.bottom - part.top - size.cy) / 2;
    DrawStateW(item->hDC, nullptr, nullptr, reinterpret_cast<LPARAM>(field.image), 0, x, y,
               size.cx, size.cy, (bitmap ? DST_BITMAP : DST_ICON) | DSS_NORMAL);
}

} // namespace

bool statusbar_draw_field(const StatusBarRecord *record, const DRAWITEMSTRUCT *item) {
    if (item->hwndItem != record->handle || item->itemID >= static_cast<UINT>(record->count))
        return false;
    const StatusField &field = record->fields[item->itemID];
    if (field.kind == image_field && field.image) {
        draw_image(field, item);
        return true;
    }
    if (field.kind != progress_field)
        return false;
    if (field.minimum >= field.value)
        return true;
    RECT inset = item->rcItem;
    InflateRect(&inset, -1, -1);
    inset.right = fill_right(inset, field);
    FillRect(item->hDC, &inset, reinterpret_cast<HBRUSH>(COLOR_HIGHLIGHT + 1));
    return true;
}
