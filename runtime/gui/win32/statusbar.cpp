// Status bars on the common status window: a row of fields at the bottom of
// a window. A progress field shows a "msctls_progress32" control when visual
// styles are in force, else a bar the window draws itself.
#include "win32_private.h"

#include "internal/numbered.h"
#include "internal/statusbar_native.h"
#include "statusbar_fields.h"

#include <algorithm>
#include <new>
#include <vector>

namespace {

Numbered<StatusBarRecord> statusbars;
// Where statusbar_add_field adds: the newest status bar.
ObjectId current_statusbar = 0;
bool have_current = false;

constexpr UINT status_identifier = 0xE404040F;
constexpr std::int32_t field_limit = 256;
constexpr std::int32_t field_step = 8;

const wchar_t callback_property[] = L"kw_statusbar_callback";
const wchar_t id_property[] = L"kw_statusbar_id";

WPARAM border_of(std::int32_t flags) {
    return flags & STATUSBAR_BORDER_RAISED ? SBT_POPOUT
           : flags & STATUSBAR_BORDER_NONE ? SBT_NOBORDERS
                                           : 0;
}

// The status bar of a window or status window (property value is id + 1).
StatusBarRecord *statusbar_of(HWND hwnd, ObjectId *id) {
    const auto value = reinterpret_cast<std::intptr_t>(GetPropW(hwnd, id_property));
    if (!value)
        return nullptr;
    *id = value - 1;
    return statusbars.lookup(*id);
}

RECT part_rect(const StatusBarRecord *record, std::int32_t field) {
    RECT part{};
    SendMessageW(record->handle, SB_GETRECT, static_cast<WPARAM>(field),
                 reinterpret_cast<LPARAM>(&part));
    return part;
}

void place_control(const StatusBarRecord *record, std::int32_t field) {
    const RECT part = part_rect(record, field);
    MoveWindow(record->fields[field].control, part.left + 2, part.top + 3,
               part.right - part.left - 8, part.bottom - part.top - 6, TRUE);
}

void layout(StatusBarRecord *record) {
    if (record->count == 0)
        return;
    RECT client;
    GetClientRect(record->handle, &client);
    int available = client.right;
    HWND parent = GetParent(record->handle);
    if (!IsZoomed(parent) && (GetWindowLongPtrW(parent, GWL_STYLE) & WS_THICKFRAME))
        available = available - client.bottom + 3; // room for the size grip
    int fixed = 0, shared = 0;
    for (int i = 0; i < record->count; ++i) {
        if (record->fields[i].width == NOT_GIVEN)
            ++shared;
        else
            fixed += record->fields[i].width;
    }
    std::vector<int> edges(static_cast<std::size_t>(record->count));
    int right = 0;
    for (int i = 0; i < record->count; ++i) {
        const std::int32_t width = record->fields[i].width;
        right += width == NOT_GIVEN ? (available - fixed) / shared : width;
        edges[static_cast<std::size_t>(i)] = right;
    }
    SendMessageW(record->handle, SB_SETPARTS, static_cast<WPARAM>(record->count),
                 reinterpret_cast<LPARAM>(edges.data()));
    if (!common_controls_check().visual_styles)
        return;
    for (int i = 0; i < record->count; ++i)
        if (record->fields[i].kind == progress_field && record->fields[i].control)
            place_control(record, i);
}

LRESULT CALLBACK status_procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    auto previous = reinterpret_cast<WNDPROC>(GetPropW(hwnd, callback_property));
    if (message == WM_NCDESTROY) {
        ObjectId id = 0;
        if (StatusBarRecord *record = statusbar_of(hwnd, &id)) {
            // The parent names the newest of its status bars; only that one
            // takes the name away.
            ObjectId named = 0;
            if (statusbar_of(GetParent(hwnd), &named) && named == id)
                RemovePropW(GetParent(hwnd), id_property);
            delete[] record->fields;
            statusbars.forget(id);
            if (have_current && current_statusbar == id)
                have_current = false;
        }
        RemovePropW(hwnd, id_property);
        RemovePropW(hwnd, callback_property);
    }
    return previous ? CallWindowProcW(previous, hwnd, message, wparam, lparam)
                    : DefWindowProcW(hwnd, message, wparam, lparam);
}

// In front of the procedure of a parent that is no toolkit window (a toolkit
// window's own procedure hands these messages on itself).
LRESULT CALLBACK parent_procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    auto previous = reinterpret_cast<WNDPROC>(GetPropW(hwnd, callback_property));
    LRESULT drawn = 0;
    statusbar_parent_message(hwnd, message, wparam, lparam, &drawn);
    if (message == WM_DRAWITEM && drawn)
        return drawn;
    if (message == WM_NCDESTROY) {
        RemovePropW(hwnd, callback_property);
        if (previous)
            SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
    }
    return previous ? CallWindowProcW(previous, hwnd, message, wparam, lparam)
                    : DefWindowProcW(hwnd, message, wparam, lparam);
}

void watch_foreign_parent(HWND parent) {
    WindowRecord *own = window_lookup(window_number_of(parent));
    if ((own && own->handle == parent) || GetPropW(parent, callback_property))
        return;
    SetPropW(parent, callback_property,
             reinterpret_cast<HANDLE>(GetWindowLongPtrW(parent, GWLP_WNDPROC)));
    SetWindowLongPtrW(parent, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(parent_procedure));
}

// Every status bar of the parent: its direct children that are ours.
template <class Fn> void for_each_statusbar(HWND parent, Fn &&fn) {
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        ObjectId id = 0;
        if (StatusBarRecord *record = statusbar_of(child, &id); record && record->handle == child)
            fn(record);
    }
}

void relayout_on_resize(StatusBarRecord *record, HWND parent) {
    RECT client;
    GetClientRect(parent, &client);
    if (client.right == record->last_width && client.bottom == record->last_height)
        return;
    SendMessageW(record->handle, WM_SIZE, 0, 0);
    layout(record);
    InvalidateRect(record->handle, nullptr, TRUE);
    record->last_width = client.right;
    record->last_height = client.bottom;
}

} // namespace

std::intptr_t statusbar_native_create(ObjectId number, void *window) {
    auto parent = static_cast<HWND>(window);
    if (!parent || !IsWindow(parent))
        return 0;
    ObjectId id = 0;
    StatusBarRecord *record = statusbars.allocate(number, &id);
    if (!record)
        return 0;
    auto *fields = new (std::nothrow) StatusField[field_step]{};
    HWND status =
        fields ? CreateStatusWindowW(WS_CHILD | WS_VISIBLE, nullptr, parent, status_identifier)
               : nullptr;
    if (!status) {
        delete[] fields;
        statusbars.forget(id);
        return 0;
    }
    *record = {status, fields, 0, field_step, 0, 0};
    watch_foreign_parent(parent);
    SetPropW(parent, id_property, reinterpret_cast<HANDLE>(id + 1));
    SetPropW(status, id_property, reinterpret_cast<HANDLE>(id + 1));
    SetPropW(status, callback_property,
             reinterpret_cast<HANDLE>(GetWindowLongPtrW(status, GWLP_WNDPROC)));
    SetWindowLongPtrW(status, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(status_procedure));
    SendMessageW(status, SB_SETMINHEIGHT, 18, 0);
    SendMessageW(status, WM_SIZE, 0, 0);
    current_statusbar = id;
    have_current = true;
    // One layout now; the resize events it raises are the program's own.
    RECT client;
    GetClientRect(parent, &client);
    event_queue_suspend();
    SendMessageW(parent, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
    event_queue_resume();
    return creation_answer(number, id, status);
}

void statusbar_native_add_field(std::int32_t width) {
    StatusBarRecord *record = have_current ? statusbars.lookup(current_statusbar) : nullptr;
    if (!record || record->count >= field_limit)
        return;
    if (record->count == record->capacity) {
        auto *grown = new (std::nothrow) StatusField[record->capacity + field_step]{};
        if (!grown)
            return;
        std::copy(record->fields, record->fields + record->count, grown);
        delete[] record->fields;
        record->fields = grown;
        record->capacity += field_step;
    }
    record->fields[record->count++] = {text_field, width, 0, 0, 0, 100, nullptr, nullptr};
    layout(record);
}

void statusbar_native_progress(ObjectId statusbar, std::int32_t field, std::int32_t value,
                               std::int32_t flags, std::int32_t minimum, std::int32_t maximum) {
    StatusBarRecord *record = statusbars.lookup(statusbar);
    if (!record || field < 0 || field >= record->count)
        return;
    StatusField &entry = record->fields[field];
    entry.image = nullptr;
    const bool had_control = entry.control != nullptr;
    if (common_controls_check().visual_styles && !entry.control)
        entry.control =
            CreateWindowExW(0, PROGRESS_CLASSW, nullptr, WS_CHILD | PBS_SMOOTH, 0, 0, 0, 0,
                            record->handle, nullptr, GetModuleHandleW(nullptr), nullptr);
    entry.kind = progress_field;
    entry.border = flags;
    entry.value = value;
    if (minimum != NOT_GIVEN)
        entry.minimum = minimum;
    if (maximum != NOT_GIVEN)
        entry.maximum = maximum;
    RECT part = part_rect(record, field);
    const WPARAM border = border_of(flags);
    if (!entry.control) {
        SendMessageW(record->handle, SB_SETTEXTW,
                     static_cast<WPARAM>(field) | border | SBT_OWNERDRAW, 0);
        InvalidateRect(record->handle, &part, TRUE);
        return;
    }
    // Past the value and back: the themed bar shows it at once instead of
    // animating towards it.
    HWND bar = entry.control;
    // The control wants its top above its bottom: an empty or reversed range
    // shows the bar empty up to the minimum and full beyond it.
    std::int32_t low = entry.minimum, high = entry.maximum, shown = value;
    if (high <= low) {
        shown = value > low ? 1 : 0;
        low = 0;
        high = 1;
    }
    SendMessageW(bar, PBM_SETRANGE32, static_cast<WPARAM>(low), high + 1);
    SendMessageW(bar, PBM_SETPOS, static_cast<WPARAM>(shown + 1), 0);
    SendMessageW(bar, PBM_SETRANGE32, static_cast<WPARAM>(low), high);
    SendMessageW(bar, PBM_SETPOS, static_cast<WPARAM>(shown), 0);
    if (had_control && IsWindowVisible(bar))
        return;
    SendMessageW(record->handle, SB_SETTEXTW, static_cast<WPARAM>(field) | border,
                 reinterpret_cast<LPARAM>(L""));
    place_control(record, field);
    ShowWindow(bar, SW_SHOWNOACTIVATE);
}

// The field shows the image instead of text or progress; null clears it.
void statusbar_native_image(ObjectId statusbar, std::int32_t field, void *image,
                            std::int32_t flags) {
    StatusBarRecord *record = statusbars.lookup(statusbar);
    if (!record || field < 0 || field >= record->count)
        return;
    StatusField &entry = record->fields[field];
    if (entry.control)
        ShowWindow(entry.control, SW_HIDE);
    entry.kind = image ? image_field : text_field;
    entry.image = image;
    entry.border = flags;
    const WPARAM part = static_cast<WPARAM>(field) | border_of(flags);
    SendMessageW(record->handle, SB_SETTEXTW, image ? part | SBT_OWNERDRAW : part,
                 image ? 0 : reinterpret_cast<LPARAM>(L""));
    RECT area = part_rect(record, field);
    InvalidateRect(record->handle, &area, TRUE);
}

void statusbar_system_init() {
    statusbars.init(statusbar_free);
    have_current = false;
}

// Each status bar of the window draws its own fields and follows its size.
void statusbar_parent_message(HWND parent, UINT message, WPARAM wparam, LPARAM lparam,
                              LRESULT *result) {
    if (message == WM_DRAWITEM) {
        const auto *item = reinterpret_cast<const DRAWITEMSTRUCT *>(lparam);
        ObjectId id = 0;
        StatusBarRecord *record = item ? statusbar_of(item->hwndItem, &id) : nullptr;
        if (record && GetParent(record->handle) == parent && statusbar_draw_field(record, item))
            *result = 1;
        return;
    }
    if (message != WM_SIZE || (wparam != SIZE_RESTORED && wparam != SIZE_MAXIMIZED))
        return;
    for_each_statusbar(parent,
                       [&](StatusBarRecord *record) { relayout_on_resize(record, parent); });
}

void statusbar_native_free(ObjectId statusbar) {
    statusbars.end(statusbar, [](StatusBarRecord *record) { DestroyWindow(record->handle); });
}
