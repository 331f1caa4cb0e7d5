// The file chooser on GetOpenFileNameW and GetSaveFileNameW.
#include "framework/win32/file_chooser.h"

#include <windows.h>
// After <windows.h>, which it needs.
#include <commdlg.h>

#include <algorithm>

#include "base/utf16_text.h"
#include "framework/backend.h"
#include "framework/win32/dialog_window.h"

namespace afx_win32 {

namespace {

// Room for the longest path the system takes.
constexpr std::size_t kPathCapacity = 32768;

}  // namespace

std::wstring ChooserFilter(const std::vector<FileFilter>& filters) {
    std::wstring text;
    for (const FileFilter& filter : filters) {
        text += pomuru::WideFromUtf8(filter.label);
        text += L'\0';
        std::wstring patterns;
        for (const std::string& pattern : filter.patterns) {
            if (!patterns.empty()) {
                patterns += L';';
            }
            patterns += pomuru::WideFromUtf8(pattern);
        }
        text += patterns.empty() ? L"*.*" : patterns;
        text += L'\0';
    }
    if (!text.empty()) {
        text += L'\0';
    }
    return text;
}

std::wstring ChooserInitialFolder(std::string_view folder) {
    if (folder.empty()) {
        return {};
    }
    std::wstring wide = pomuru::WideFromUtf8(folder);
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    const bool isFolder =
        attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    return isFolder ? wide : std::wstring();
}

}  // namespace afx_win32

namespace afx_backend {

std::optional<std::string> ChooseFile(const FileChooserRequest& request) {
    const std::wstring filter = afx_win32::ChooserFilter(request.filters);
    const std::wstring folder = afx_win32::ChooserInitialFolder(request.initialFolder);
    const std::wstring defaultExtension = pomuru::WideFromUtf8(request.defaultExtension);
    std::wstring path = pomuru::WideFromUtf8(request.initialName);
    if (path.size() >= afx_win32::kPathCapacity) {
        path.clear();
    }
    path.resize(afx_win32::kPathCapacity, L'\0');

    OPENFILENAMEW chooser{};
    chooser.lStructSize = sizeof(chooser);
    chooser.hwndOwner = request.owner != nullptr
                            ? static_cast<afx_win32::DialogWindow*>(request.owner)->Handle()
                            : GetActiveWindow();
    chooser.lpstrFilter = filter.empty() ? nullptr : filter.c_str();
    chooser.nFilterIndex = 1;
    chooser.lpstrFile = path.data();
    chooser.nMaxFile = static_cast<DWORD>(path.size());
    chooser.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    chooser.lpstrDefExt = defaultExtension.empty() ? nullptr : defaultExtension.c_str();
    // The options as given, for a chooser that leaves the current folder alone (relative paths
    // typed into the dialog keep their meaning) and adds nothing to the recently used files.
    // The system's chooser still remembers the last folder per program itself; no option stops it.
    chooser.Flags =
        request.flags | OFN_EXPLORER | OFN_ENABLESIZING | OFN_NOCHANGEDIR | OFN_DONTADDTORECENT;
    // Names of files that do not exist yet are taken, and only saving asks about overwriting.
    chooser.Flags &= ~static_cast<DWORD>(OFN_FILEMUSTEXIST | OFN_CREATEPROMPT);
    if (request.open) {
        chooser.Flags &= ~static_cast<DWORD>(OFN_OVERWRITEPROMPT);
    }

    const BOOL confirmed = request.open ? GetOpenFileNameW(&chooser) : GetSaveFileNameW(&chooser);
    if (!confirmed) {
        return std::nullopt;
    }
    return pomuru::Utf8FromWide(path.c_str());
}

}  // namespace afx_backend
