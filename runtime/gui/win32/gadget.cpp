// Gadget core: the registry of gadgets, the creation path every kind shares,
// the replacement window procedure of every control, the gadget list new
// gadgets go into, and the common operations, which dispatch through each
// kind's operation table.
#include "win32_private.h"
#include "internal/numbered.h"

#include <shlwapi.h>

namespace {

Numbered<GadgetRecord> gadgets;
// Parent of new gadgets: the client area of the current window.
HWND gadget_list = nullptr;
HFONT default_font = nullptr;
// The font new gadgets get: the default one unless gadget_set_font (ANY)
// chose another.
HFONT current_font = nullptr;

const wchar_t id_property[] = L"KW_ID";

// The message font of the desktop; the 500-byte structure is the one every
// Windows version accepts.
HFONT create_default_font() {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = 500;
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, 500, &metrics, 0))
        if (HFONT font = CreateFontIndirectW(&metrics.lfMessageFont))
            return font;
    return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

template <class Function> Function library_function(const wchar_t *library, const char *name) {
    HMODULE module = LoadLibraryW(library);
    return module
               ? reinterpret_cast<Function>(reinterpret_cast<void *>(GetProcAddress(module, name)))
               : nullptr;
}

CommonControls measure_common_controls() {
    CommonControls found{1, false};
    using GetVersion = HRESULT(CALLBACK *)(DLLVERSIONINFO *);
    if (auto get_version = library_function<GetVersion>(L"COMCTL32.DLL", "DllGetVersion")) {
        DLLVERSIONINFO info{};
        info.cbSize = sizeof info;
        if (SUCCEEDED(get_version(&info)))
            found.version =
                static_cast<std::int32_t>(info.dwMajorVersion << 16 | info.dwMinorVersion);
    }
    using IsAppThemed = BOOL(WINAPI *)();
    auto is_themed = library_function<IsAppThemed>(L"uxtheme.dll", "IsAppThemed");
    found.visual_styles = is_themed && is_themed() && found.version > 0x5FFFF;
    return found;
}

void destroy_gadget(ObjectId gadget) {
    gadgets.end(gadget, [](GadgetRecord *record) { DestroyWindow(record->handle); });
}

} // namespace

// The control classes the gadgets and requesters create, registered by
// whichever of the two starts first.
void common_controls_register() {
    INITCOMMONCONTROLSEX classes{sizeof classes, ICC_TAB_CLASSES | ICC_HOTKEY_CLASS |
                                                     ICC_DATE_CLASSES | ICC_USEREX_CLASSES |
                                                     ICC_INTERNET_CLASSES | ICC_LISTVIEW_CLASSES |
                                                     ICC_BAR_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&classes);
}

void gadget_system_init() {
    common_controls_register();
    gadgets.init(gadget_free, 50);
    gadget_list = nullptr;
    if (!default_font)
        default_font = create_default_font();
    current_font = default_font;
}

CommonControls common_controls_check() {
    static const CommonControls measured = measure_common_controls();
    return measured;
}

HFONT gadget_default_font() { return default_font; }

GadgetRecord *gadget_lookup(ObjectId gadget) { return gadgets.lookup(gadget); }

GadgetRecord *gadget_of_control(HWND hwnd) {
    if (!hwnd)
        return nullptr;
    const auto id = static_cast<ObjectId>(GetWindowLongPtrW(hwnd, GWLP_ID));
    if (id == -1)
        return nullptr;
    GadgetRecord *record = gadget_lookup(id);
    return record && record->handle == hwnd ? record : nullptr;
}

GadgetRecord *gadget_create(ObjectId number, ObjectId *id, const GadgetClass *gadget_class,
                            const wchar_t *class_name, const WideText &text, DWORD style,
                            DWORD extended_style, std::int32_t x, std::int32_t y,
                            std::int32_t width, std::int32_t height) {
    if (number < ANY || !gadget_list)
        return nullptr;
    HWND control = CreateWindowExW(extended_style, class_name, wide(text), style, x, y, width,
                                   height, gadget_list, reinterpret_cast<HMENU>(-1),
                                   GetModuleHandleW(nullptr), nullptr);
    if (!control)
        return nullptr;
    GadgetRecord *record = gadgets.allocate(number, id);
    if (!record) {
        DestroyWindow(control);
        return nullptr;
    }
    *record = {control, gadget_class, 0, nullptr, {}};
    record->previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(gadget_procedure)));
    SetWindowLongPtrW(control, GWLP_ID, *id);
    SetPropW(control, id_property, reinterpret_cast<HANDLE>(*id));
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(current_font), TRUE);
    return record;
}

std::intptr_t gadget_result(ObjectId number, ObjectId id, GadgetRecord *record) {
    if (!record)
        return 0;
    return creation_answer(number, id, record->handle);
}

LRESULT CALLBACK gadget_procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    GadgetRecord *record = gadget_of_control(hwnd);
    if (!record)
        return DefWindowProcW(hwnd, message, wparam, lparam);
    const LRESULT result = CallWindowProcW(record->previous, hwnd, message, wparam, lparam);
    if (message == WM_NCDESTROY) {
        const auto id = static_cast<ObjectId>(GetWindowLongPtrW(hwnd, GWLP_ID));
        if (record->gadget_class->release)
            record->gadget_class->release(record);
        RemovePropW(hwnd, id_property);
        SetWindowLongPtrW(hwnd, GWLP_ID, -1);
        event_purge(EVENT_GADGET, id, -1, -1);
        gadgets.forget(id);
    }
    return result;
}

LRESULT gadget_message(HWND control, HWND parent, UINT message, WPARAM wparam, LPARAM lparam) {
    GadgetRecord *record = gadget_of_control(control);
    if (!record || !record->gadget_class->message)
        return NOT_HANDLED;
    return record->gadget_class->message(record, parent, message, wparam, lparam);
}

void gadget_post_event(HWND control, std::intptr_t subtype) {
    const auto id = static_cast<ObjectId>(GetWindowLongPtrW(control, GWLP_ID));
    if (id != -1)
        event_records_post(EVENT_GADGET, id, window_number_of(control), subtype, nullptr, nullptr,
                           0);
}

// Only windows of this toolkit are taken; any other handle only returns the
// current one.
void *gadget_list_use(void *window) {
    return on_gui_thread([&]() -> void * {
        HWND previous = gadget_list;
        auto hwnd = static_cast<HWND>(window);
        WindowRecord *record = hwnd ? window_lookup(window_number_of(hwnd)) : nullptr;
        if (record && record->handle == hwnd)
            gadget_list = hwnd;
        return previous;
    });
}

void gadget_list_forget(HWND window) {
    if (gadget_list == window)
        gadget_list = nullptr;
}

// ---------------------------------------------------------------------------
// Common operations
// ---------------------------------------------------------------------------

void gadget_free(ObjectId gadget) {
    on_gui_thread([&] { destroy_gadget(gadget); });
}

void *gadget_native_handle(ObjectId gadget) {
    return on_gadget(gadget, [](GadgetRecord *record) -> void * { return record->handle; });
}

void gadget_disable(ObjectId gadget, std::int32_t state) {
    on_gadget(gadget, [&](GadgetRecord *record) { EnableWindow(record->handle, state == 0); });
}

// Gadget ANY chooses the font of gadgets created from now on; no font
// returns to the desktop's.
void gadget_set_font(ObjectId gadget, void *font) {
    auto chosen = static_cast<HFONT>(font);
    on_gui_thread([&] {
        HFONT applied =
            chosen && reinterpret_cast<std::intptr_t>(chosen) != -1 ? chosen : default_font;
        if (gadget == ANY) {
            current_font = applied;
            return;
        }
        if (GadgetRecord *record = gadget_lookup(gadget)) {
            if (record->gadget_class->set_font)
                record->gadget_class->set_font(record, applied);
            else
                SendMessageW(record->handle, WM_SETFONT, reinterpret_cast<WPARAM>(applied), TRUE);
        }
    });
}

void *gadget_get_font(ObjectId gadget) {
    return on_gadget(gadget, [](GadgetRecord *record) -> void * {
        return reinterpret_cast<HFONT>(SendMessageW(record->handle, WM_GETFONT, 0, 0));
    });
}

// Any control can take the focus: no kind needs an operation of its own.
void gadget_give_focus(ObjectId gadget) {
    on_gadget(gadget, [](GadgetRecord *record) { SetFocus(record->handle); });
}
