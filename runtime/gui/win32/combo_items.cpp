// Combo boxes: image combos, fonts and the item operations beyond adding,
// removing and reading items. Item data lives in each item's own data word.
#include "win32_private.h"

#include <vector>

namespace {

int closed_height(HWND combo) {
    RECT outer;
    GetWindowRect(combo, &outer);
    return outer.bottom - outer.top;
}

bool valid_item(GadgetRecord *record, Item item) { return item >= 0 && item < combo_count(record); }

} // namespace

HIMAGELIST gadget_images(GadgetRecord *record) { return reinterpret_cast<HIMAGELIST>(kind_word(record, COMBO_IMAGES_WORD)); }

// Bitmaps and icons alike, in a small-icon list made at the first image.
int gadget_image_add(GadgetRecord *record, HANDLE image) {
    HIMAGELIST list = gadget_images(record);
    if (!image)
        return -1;
    if (!list)
        list = ImageList_Create(GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                ILC_COLOR32 | ILC_MASK, 4, 4);
    kind_word(record, COMBO_IMAGES_WORD) = reinterpret_cast<std::intptr_t>(list);
    if (!list)
        return -1;
    if (GetObjectType(image) == OBJ_BITMAP)
        return ImageList_Add(list, static_cast<HBITMAP>(image), nullptr);
    return ImageList_AddIcon(list, static_cast<HICON>(image));
}

void gadget_images_release(GadgetRecord *record) {
    if (HIMAGELIST list = gadget_images(record))
        ImageList_Destroy(list);
    kind_word(record, COMBO_IMAGES_WORD) = 0;
}

bool is_image_combo(GadgetRecord *record) { return kind_word(record, IMAGE_COMBO_WORD) != 0; }

void image_combo_insert(GadgetRecord *record, Item position, const WideText &text, HANDLE image) {
    COMBOBOXEXITEMW item{};
    item.mask = CBEIF_TEXT;
    item.iItem = position;
    item.pszText = const_cast<wchar_t *>(wide(text));
    const int index = gadget_image_add(record, image);
    if (index >= 0) {
        SendMessageW(record->handle, CBEM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(gadget_images(record)));
        item.mask |= CBEIF_IMAGE | CBEIF_SELECTEDIMAGE;
        item.iImage = item.iSelectedImage = index;
    }
    SendMessageW(record->handle, CBEM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

WideText combo_item_text(GadgetRecord *record, Item item) {
    if (is_image_combo(record)) {
        std::vector<wchar_t> buffer(4096, L'\0');
        COMBOBOXEXITEMW entry{};
        entry.mask = CBEIF_TEXT;
        entry.iItem = item;
        entry.pszText = buffer.data();
        entry.cchTextMax = static_cast<int>(buffer.size());
        if (!SendMessageW(record->handle, CBEM_GETITEMW, 0, reinterpret_cast<LPARAM>(&entry)))
            return WideText();
        return from_wide(entry.pszText);
    }
    const LRESULT length = SendMessageW(record->handle, CB_GETLBTEXTLEN, static_cast<WPARAM>(item), 0);
    if (length == CB_ERR || length < 0)
        return WideText();
    std::vector<wchar_t> buffer(static_cast<std::size_t>(length) + 1, L'\0');
    SendMessageW(record->handle, CB_GETLBTEXT, static_cast<WPARAM>(item),
                 reinterpret_cast<LPARAM>(buffer.data()));
    return from_wide(buffer.data());
}

void combo_release(GadgetRecord *record) { gadget_images_release(record); }

void combo_clear(GadgetRecord *record) { SendMessageW(record->handle, CB_RESETCONTENT, 0, 0); }

std::intptr_t combo_count(GadgetRecord *record) {
    const LRESULT count = SendMessageW(record->handle, CB_GETCOUNT, 0, 0);
    return count < 0 ? 0 : count;
}

// The item is replaced in place: its data and the selection stay.
void combo_set_item_text(GadgetRecord *record, Item item, const WideText &text, std::int32_t column) {
    if (column != 0 || !valid_item(record, item))
        return;
    if (is_image_combo(record)) {
        COMBOBOXEXITEMW entry{};
        entry.mask = CBEIF_TEXT;
        entry.iItem = item;
        entry.pszText = const_cast<wchar_t *>(wide(text));
        SendMessageW(record->handle, CBEM_SETITEMW, 0, reinterpret_cast<LPARAM>(&entry));
        return;
    }
    HWND combo = record->handle;
    const LRESULT data = SendMessageW(combo, CB_GETITEMDATA, static_cast<WPARAM>(item), 0);
    const bool selected = SendMessageW(combo, CB_GETCURSEL, 0, 0) == item;
    SendMessageW(combo, CB_DELETESTRING, static_cast<WPARAM>(item), 0);
    SendMessageW(combo, CB_INSERTSTRING, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(wide(text)));
    SendMessageW(combo, CB_SETITEMDATA, static_cast<WPARAM>(item), data);
    if (selected)
        SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(item), 0);
}

void combo_set_item_data(GadgetRecord *record, Item item, std::int32_t data) {
    if (valid_item(record, item))
        SendMessageW(record->handle, CB_SETITEMDATA, static_cast<WPARAM>(item), data);
}

std::int32_t combo_get_item_data(GadgetRecord *record, Item item) {
    if (!valid_item(record, item))
        return 0;
    return static_cast<std::int32_t>(SendMessageW(record->handle, CB_GETITEMDATA, static_cast<WPARAM>(item), 0));
}

// A new font changes the selection field's height: the combo keeps its own.
void combo_set_font(GadgetRecord *record, HFONT font) {
    const int height = closed_height(record->handle);
    SendMessageW(record->handle, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    combo_apply_closed_height(record->handle, height);
}

// Only an image combo shows images.
void combo_set_item_image(GadgetRecord *record, Item item, HANDLE image) {
    if (!is_image_combo(record) || !valid_item(record, item))
        return;
    COMBOBOXEXITEMW entry{};
    entry.mask = CBEIF_IMAGE | CBEIF_SELECTEDIMAGE;
    entry.iItem = item;
    entry.iImage = entry.iSelectedImage = gadget_image_add(record, image);
    SendMessageW(record->handle, CBEM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(gadget_images(record)));
    SendMessageW(record->handle, CBEM_SETITEMW, 0, reinterpret_cast<LPARAM>(&entry));
}
