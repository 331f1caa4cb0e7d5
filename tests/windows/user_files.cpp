// The user's folders on Windows: the roaming and the local application data, which hold the
// recently used documents too. Links to other folders are not followed: Wine links some of
// them (Templates …) to the whole Linux home folder.
#include "user_files.h"

#include <windows.h>
// After <windows.h>, which it needs.
#include <shlobj.h>

#include <vector>

namespace pomuru::test {

namespace {

std::filesystem::path KnownFolder(const KNOWNFOLDERID& id) {
    wchar_t* path = nullptr;
    std::filesystem::path folder;
    if (SUCCEEDED(SHGetKnownFolderPath(id, 0, nullptr, &path))) {
        folder = path;
    }
    CoTaskMemFree(path);
    return folder;
}

void AddFiles(const std::filesystem::path& folder, std::set<std::filesystem::path>& files) {
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW((folder / L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return;
    }
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") {
            continue;
        }
        const std::filesystem::path path = folder / name;
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            files.insert(path);
        } else if (!(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
            AddFiles(path, files);
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

}  // namespace

std::set<std::filesystem::path> UserFiles() {
    std::set<std::filesystem::path> files;
    for (const KNOWNFOLDERID* id : {&FOLDERID_RoamingAppData, &FOLDERID_LocalAppData}) {
        const std::filesystem::path folder = KnownFolder(*id);
        if (!folder.empty()) {
            AddFiles(folder, files);
        }
    }
    return files;
}

}  // namespace pomuru::test
