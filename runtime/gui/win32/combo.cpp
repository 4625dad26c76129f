// Drop-down combo boxes (kind 8) on the "ComboBox" control: a plain
// drop-down list, or with COMBO_EDITABLE (CBS_DROPDOWN) an editable one; with
// COMBO_IMAGES an image combo on "ComboBoxEx32", whose items carry images. The
// closed combo is exactly as high as asked, whatever the font.
#include "win32_private.h"
#include "internal/gadget_create.h"

#include <algorithm>
#include <vector>

namespace {

constexpr DWORD combo_style = WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | WS_GROUP;
static_assert(combo_style == 0x50A20000);
static_assert(COMBO_EDITABLE == CBS_DROPDOWN);
// The plain drop-down list.
constexpr DWORD list_style = CBS_DROPDOWNLIST | WS_TABSTOP;
static_assert(list_style == 0x10003);
// Height of the drop-down part without visual styles.
constexpr int unthemed_height = 350;
constexpr int probe_field_height = 15;

// Frame and border around the selection field, measured at the latest
// combo creation; one value for every combo.
int closed_overhead = 0;

bool is_editable(HWND combo) { return (GetWindowLongPtrW(combo, GWL_STYLE) & 0x3) == CBS_DROPDOWN; }

int window_height(HWND hwnd) {
    RECT outer;
    GetWindowRect(hwnd, &outer);
    return outer.bottom - outer.top;
}

void set_field_height(HWND combo, int height) {
    SendMessageW(combo, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), std::max(height, 1));
}

} // namespace

// Makes the closed combo exactly height pixels high.
void combo_apply_closed_height(HWND combo, int height) {
    set_field_height(combo, probe_field_height);
    closed_overhead = window_height(combo) - probe_field_height;
    set_field_height(combo, height - closed_overhead);
}

namespace {

LRESULT combo_message(GadgetRecord *record, HWND, UINT message, WPARAM wparam, LPARAM) {
    if (message != WM_COMMAND)
        return NOT_HANDLED;
    switch (HIWORD(wparam)) {
    case CBN_SELCHANGE:
    case CBN_EDITCHANGE: gadget_post_event(record->handle, SUBTYPE_CHANGED); break;
    case CBN_SETFOCUS:
    case CBN_KILLFOCUS:
        if (is_editable(record->handle))
            gadget_post_event(record->handle, HIWORD(wparam) == CBN_SETFOCUS ? SUBTYPE_FOCUS_IN
                                                                             : SUBTYPE_FOCUS_OUT);
        break;
    default: break;
    }
    return 0; // every other notification ends here as well
}

std::intptr_t combo_get_state(GadgetRecord *record) {
    const LRESULT selected = SendMessageW(record->handle, CB_GETCURSEL, 0, 0);
    if (selected < 0 || !is_editable(record->handle))
        return selected < 0 ? -1 : selected;
    // Typed text that is no item leaves nothing chosen.
    const WideText typed = window_text(record->handle);
    const LRESULT found = SendMessageW(record->handle, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                       reinterpret_cast<LPARAM>(wide(typed)));
    return found == selected ? selected : -1;
}

void combo_set_state(GadgetRecord *record, std::intptr_t state) {
    SendMessageW(record->handle, CB_SETCURSEL, static_cast<WPARAM>(state), 0);
}

// An editable combo answers with what was typed; an image combo keeps that in
// the edit control it owns.
WideText combo_get_text(GadgetRecord *record) {
    if (is_editable(record->handle)) {
        if (!is_image_combo(record))
            return window_text(record->handle);
        if (auto edit =
                reinterpret_cast<HWND>(SendMessageW(record->handle, CBEM_GETEDITCONTROL, 0, 0)))
            return window_text(edit);
    }
    const LRESULT selected = SendMessageW(record->handle, CB_GETCURSEL, 0, 0);
    return selected < 0 ? WideText() : combo_item_text(record, selected);
}

void combo_set_text(GadgetRecord *record, const WideText &text) {
    if (is_editable(record->handle)) {
        SetWindowTextW(record->handle, wide(text));
        return;
    }
    if (text.c_str()[0] == 0) {
        SendMessageW(record->handle, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
        return;
    }
    const LRESULT found = SendMessageW(record->handle, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                       reinterpret_cast<LPARAM>(wide(text)));
    if (found >= 0)
        SendMessageW(record->handle, CB_SETCURSEL, static_cast<WPARAM>(found), 0);
}

std::intptr_t combo_add_item(GadgetRecord *record, std::intptr_t position, const WideText &text,
                             HANDLE image) {
    if (position < -1)
        return 0;
    if (is_image_combo(record))
        image_combo_insert(record, position, text, image);
    else
        SendMessageW(record->handle, CB_INSERTSTRING, static_cast<WPARAM>(position),
                     reinterpret_cast<LPARAM>(wide(text)));
    set_field_height(record->handle, window_height(record->handle) - closed_overhead);
    return 1;
}

void combo_remove_item(GadgetRecord *record, std::intptr_t item) {
    const UINT remove = is_image_combo(record) ? CBEM_DELETEITEM : CB_DELETESTRING;
    if (SendMessageW(record->handle, remove, static_cast<WPARAM>(item), 0) != CB_ERR)
        InvalidateRect(record->handle, nullptr, TRUE);
}

WideText combo_get_item_text(GadgetRecord *record, std::intptr_t item, std::int32_t) {
    return item < 0 ? WideText() : combo_item_text(record, item);
}

constexpr GadgetClass combo_class{
    .kind = GADGET_COMBO,
    .size = sizeof(GadgetClass),
    .message = combo_message,
    .release = combo_release,
    .get_state = combo_get_state,
    .set_state = combo_set_state,
    .get_text = combo_get_text,
    .set_text = combo_set_text,
    .add_item = combo_add_item,
    .remove_item = combo_remove_item,
    .clear_items = combo_clear,
    .count_items = combo_count,
    .get_item_text = combo_get_item_text,
    .set_item_text = combo_set_item_text,
    .set_item_data = combo_set_item_data,
    .get_item_data = combo_get_item_data,
    .set_font = combo_set_font,
    .set_item_image = combo_set_item_image,
};

} // namespace

std::intptr_t combo_native_create(ObjectId number, std::int32_t x, std::int32_t y,
                                  std::int32_t width, std::int32_t height, std::int32_t flags) {
    const bool editable = (flags & COMBO_EDITABLE) != 0;
    DWORD style = static_cast<DWORD>(flags) | combo_style;
    if (!editable)
        style |= list_style;
    // The image-combo flag is told from the caller's flags alone: the
    // same bit is WS_VISIBLE in the style every combo is made with.
    const bool with_images = (flags & COMBO_IMAGES) != 0;
    const int open_height =
        common_controls_check().visual_styles && !with_images ? height + 30 : unthemed_height;
    ObjectId id = 0;
    GadgetRecord *record =
        gadget_create(number, &id, &combo_class, with_images ? WC_COMBOBOXEXW : L"ComboBox",
                      WideText(), style, 0, x, y, width, open_height);
    if (!record)
        return std::intptr_t{0};
    kind_word(record, IMAGE_COMBO_WORD) = with_images;
    if (editable)
        if (HWND edit = FindWindowExW(record->handle, nullptr, L"Edit", nullptr))
            SetWindowLongPtrW(edit, GWL_STYLE, GetWindowLongPtrW(edit, GWL_STYLE) | WS_TABSTOP);
    combo_apply_closed_height(record->handle, height);
    return gadget_result(number, id, record);
}
