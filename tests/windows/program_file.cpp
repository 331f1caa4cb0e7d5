// Resources through the loader's own functions; the program through CreateProcessW.
#include "windows/program_file.h"

#include <windows.h>

#include <cstdint>
#include <filesystem>
#include <thread>

#include "framework/win32/wide_text.h"

namespace pomuru::test {

namespace {

using afx_win32::FromWide;
using afx_win32::ToWide;

// A program file loaded for its resources only, unloaded with the object.
class ResourceFile {
public:
    explicit ResourceFile(const std::string& path)
        : module_(LoadLibraryExW(ToWide(path).c_str(), nullptr,
                                 LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE)) {}
    ~ResourceFile() {
        if (module_ != nullptr) {
            FreeLibrary(module_);
        }
    }
    ResourceFile(const ResourceFile&) = delete;
    ResourceFile& operator=(const ResourceFile&) = delete;

    // The bytes of a resource; empty when there is none.
    std::vector<std::uint8_t> Bytes(const wchar_t* type, unsigned id) const {
        const HRSRC found =
            module_ != nullptr ? FindResourceW(module_, MAKEINTRESOURCEW(id), type) : nullptr;
        const HGLOBAL loaded = found != nullptr ? LoadResource(module_, found) : nullptr;
        const auto* data =
            static_cast<const std::uint8_t*>(loaded != nullptr ? LockResource(loaded) : nullptr);
        if (data == nullptr) {
            return {};
        }
        return {data, data + SizeofResource(module_, found)};
    }

private:
    HMODULE module_;
};

// The version record's raw bytes.
std::vector<std::uint8_t> VersionRecord(const std::string& program) {
    const std::wstring path = ToWide(program);
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    std::vector<std::uint8_t> record(size);
    if (size == 0 || !GetFileVersionInfoW(path.c_str(), 0, size, record.data())) {
        return {};
    }
    return record;
}

// Each top-level window of a process, until `found` says stop.
struct WindowSearch {
    DWORD processId;
    std::wstring caption;
    HWND window = nullptr;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM lParam) {
    auto* search = reinterpret_cast<WindowSearch*>(lParam);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    wchar_t caption[256] = {};
    GetWindowTextW(window, caption, 256);
    if (processId == search->processId && IsWindowVisible(window) && search->caption == caption) {
        search->window = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

std::string ProgramBesideTest(const std::string& relativePath) {
    std::wstring self(MAX_PATH, L'\0');
    self.resize(GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size())));
    const std::filesystem::path path =
        std::filesystem::path(self).parent_path() / std::filesystem::path(ToWide(relativePath));
    return FromWide(path.lexically_normal().wstring());
}

std::vector<int> IconGroupSizes(const std::string& program, unsigned groupId) {
    // GRPICONDIR: reserved, type, count; then 14 bytes per image, the width first.
    const std::vector<std::uint8_t> group = ResourceFile(program).Bytes(RT_GROUP_ICON, groupId);
    std::vector<int> sizes;
    if (group.size() < 6) {
        return sizes;
    }
    const std::size_t count = group[4] | (group[5] << 8);
    for (std::size_t i = 0; i < count && 6 + 14 * (i + 1) <= group.size(); ++i) {
        const int width = group[6 + 14 * i];
        sizes.push_back(width == 0 ? 256 : width);
    }
    return sizes;
}

std::optional<FixedVersion> FixedVersionOf(const std::string& program) {
    std::vector<std::uint8_t> record = VersionRecord(program);
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT size = 0;
    if (record.empty() ||
        !VerQueryValueW(record.data(), L"\\", reinterpret_cast<void**>(&fixed), &size) ||
        size < sizeof(VS_FIXEDFILEINFO)) {
        return std::nullopt;
    }
    const auto parts = [](DWORD high, DWORD low) {
        return std::array<unsigned, 4>{HIWORD(high), LOWORD(high), HIWORD(low), LOWORD(low)};
    };
    return FixedVersion{parts(fixed->dwFileVersionMS, fixed->dwFileVersionLS),
                        parts(fixed->dwProductVersionMS, fixed->dwProductVersionLS)};
}

std::optional<std::string> VersionText(const std::string& program, const std::string& block,
                                       const std::string& name) {
    std::vector<std::uint8_t> record = VersionRecord(program);
    const std::wstring key = ToWide("\\StringFileInfo\\" + block + "\\" + name);
    wchar_t* text = nullptr;
    UINT length = 0;
    if (record.empty() ||
        !VerQueryValueW(record.data(), key.c_str(), reinterpret_cast<void**>(&text), &length)) {
        return std::nullopt;
    }
    // The length counts the terminating zero, if any.
    std::wstring value(text, length);
    while (!value.empty() && value.back() == L'\0') {
        value.pop_back();
    }
    return FromWide(value);
}

std::string ManifestOf(const std::string& program) {
    const std::vector<std::uint8_t> manifest =
        ResourceFile(program).Bytes(RT_MANIFEST, 1 /* CREATEPROCESS_MANIFEST_RESOURCE_ID */);
    return std::string(manifest.begin(), manifest.end());
}

std::optional<unsigned> RunUntilClosed(const std::string& program, const std::string& caption,
                                       std::chrono::seconds timeout) {
    std::wstring commandLine = L"\"" + ToWide(program) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        return std::nullopt;
    }
    CloseHandle(process.hThread);
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    WindowSearch search{process.dwProcessId, ToWide(caption)};
    while (search.window == nullptr && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        EnumWindows(&MatchWindow, reinterpret_cast<LPARAM>(&search));
    }
    std::optional<unsigned> status;
    if (search.window != nullptr) {
        PostMessageW(search.window, WM_CLOSE, 0, 0);
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        DWORD exitCode = 0;
        if (WaitForSingleObject(process.hProcess, static_cast<DWORD>(std::max<long long>(
                                                      left.count(), 0))) == WAIT_OBJECT_0 &&
            GetExitCodeProcess(process.hProcess, &exitCode)) {
            status = exitCode;
        }
    }
    if (!status) {
        TerminateProcess(process.hProcess, 1);
    }
    CloseHandle(process.hProcess);
    return status;
}

}  // namespace pomuru::test
