// Open and save file requesters on the system's common dialogs.
#include "win32_private.h"

#include "internal/chosen_files.h"

#include <commdlg.h>

#include <atomic>
#include <utility>
#include <vector>

namespace {

constexpr std::size_t path_units = 260;
constexpr DWORD dialog_flags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY;
static_assert(dialog_flags == 0x8080C);
// Room for many names when several files may be chosen.
constexpr std::size_t multiple_units = 32768;

std::atomic<std::int32_t> selected_pattern{0}; // set on whichever thread showed the dialog

bool usable_file_name(const std::wstring &name) {
    if (name.empty())
        return false;
    for (wchar_t c : name)
        if (c < 32 || std::wstring_view(L"\"*/:<>?\\|").find(c) != std::wstring_view::npos)
            return false;
    return true;
}

// The dialog hands back one full path, or, for several files, the folder
// followed by the names, each ending in a zero unit, the list in two.
std::vector<WideText> chosen_paths(const std::vector<wchar_t> &buffer) {
    std::vector<std::wstring> parts;
    const wchar_t *end = buffer.data() + buffer.size();
    for (const wchar_t *part = buffer.data(); part < end && *part; part += parts.back().size() + 1)
        parts.emplace_back(part);
    if (parts.size() == 1)
        return {from_wide(parts.front().c_str())};
    std::wstring folder = parts.empty() ? std::wstring() : parts.front();
    if (!folder.empty() && folder.back() != L'\\')
        folder += L'\\';
    std::vector<WideText> paths;
    for (std::size_t i = 1; i < parts.size(); ++i)
        paths.push_back(from_wide((folder + parts[i]).c_str()));
    return paths;
}

// Every file chosen, none when the dialog was cancelled.
std::vector<WideText> run_file_requester(HWND owner, bool save, const WideText &title,
                                         const WideText &file, const WideText &pattern,
                                         std::int32_t pattern_index, std::int32_t flags) {
    const bool multiple = !save && (flags & REQUESTER_MULTIPLE_FILES);
    std::vector<wchar_t> buffer(multiple ? multiple_units : path_units, L'\0');
    const DefaultFile start = split_default_file(file);
    start.name.copy(buffer.data(), path_units - 1);
    const std::wstring filter = file_filter_text(pattern);
    OPENFILENAMEW dialog{};
    // The size without the later extension fields: every Windows version takes it.
    dialog.lStructSize = OPENFILENAME_SIZE_VERSION_400W;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter[0] ? filter.c_str() : nullptr;
    dialog.nFilterIndex = static_cast<DWORD>(pattern_index + 1);
    dialog.lpstrFile = buffer.data();
    dialog.nMaxFile = static_cast<DWORD>(buffer.size());
    dialog.lpstrInitialDir = start.directory.empty() ? nullptr : start.directory.c_str();
    dialog.lpstrTitle = wide(title);
    dialog.Flags = dialog_flags | (multiple ? OFN_ALLOWMULTISELECT : 0);
    modal_begin();
    const BOOL chosen = save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog);
    modal_end();
    selected_pattern =
        dialog.nFilterIndex > 0 ? static_cast<std::int32_t>(dialog.nFilterIndex) - 1 : 0;
    buffer.back() = L'\0';
    return chosen ? chosen_paths(buffer) : std::vector<WideText>();
}

// On the event-loop thread as a modal dialog of the program's window; for a
// worker on the worker's own thread, without an owner (as its messages), so
// the event loop goes on and a shut-down ends the dialog.
// The first chosen file; requester_next_file hands out the others.
WideText ask_for_file(bool save, const WideText &title, const WideText &file, const WideText &pattern,
                      std::int32_t pattern_index, std::int32_t flags) {
    chosen_files_clear();
    std::vector<WideText> chosen;
    if (gui_thread_is_current()) {
        chosen = run_file_requester(requester_owner(), save, title, file, pattern, pattern_index, flags);
    } else {
        const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        const bool answered = run_modal_on_worker([&] {
            chosen = run_file_requester(nullptr, save, title, file, pattern, pattern_index, flags);
        });
        if (SUCCEEDED(com))
            CoUninitialize();
        if (!answered)
            chosen.clear();
    }
    return chosen_files_keep(std::move(chosen));
}

} // namespace

std::wstring file_filter_text(const WideText &pattern) {
    std::wstring filter = wide(pattern);
    for (wchar_t &c : filter)
        if (c == L'|')
            c = L'\0';
    filter.append(2, L'\0'); // with the string's own terminator: at least two zero units
    return filter;
}

DefaultFile split_default_file(const WideText &file) {
    const std::wstring path = wide(file);
    DefaultFile split;
    const std::size_t slash = path.rfind(L'\\');
    if (slash != std::wstring::npos && slash > 0) {
        split.directory = path.substr(0, slash);
        split.name = path.substr(slash + 1, path_units - 1);
    } else {
        split.name = path.substr(0, path_units - 1);
    }
    if (!usable_file_name(split.name))
        split.name.clear();
    return split;
}

WideText requester_open_file(const WideText &title, const WideText &file, const WideText &pattern,
                             std::int32_t pattern_index) {
    return ask_for_file(false, title, file, pattern, pattern_index, 0);
}

WideText requester_open_file_ex(const WideText &title, const WideText &file,
                                const WideText &pattern, std::int32_t pattern_index,
                                std::int32_t flags) {
    return ask_for_file(false, title, file, pattern, pattern_index, flags);
}

WideText requester_save_file(const WideText &title, const WideText &file, const WideText &pattern,
                             std::int32_t pattern_index) {
    return ask_for_file(true, title, file, pattern, pattern_index, 0);
}

std::int32_t requester_selected_pattern() {
    return selected_pattern;
}
