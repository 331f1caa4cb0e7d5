// Start-up on Windows: Japanese system dialogs, the common controls, COM for the file chooser,
// and the message loop.
#include <windows.h>
// After <windows.h>, which they need.
#include <commctrl.h>
#include <objbase.h>

#include <filesystem>
#include <string>

#include "base/utf16_text.h"
#include "framework/backend.h"

namespace {

// COM on the user-interface thread, as the file chooser's folder views need it, for the
// lifetime of the object.
class ComApartment {
public:
    ComApartment()
        : initialized_(SUCCEEDED(
              CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) {}
    ~ComApartment() {
        if (initialized_) {
            CoUninitialize();
        }
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    const bool initialized_;
};

}  // namespace

namespace afx_backend {

// The command line is the platform's business here: the program reads none.
int RunApplication(int& /*argc*/, char** /*argv*/, const ApplicationOptions& /*options*/,
                   const std::function<int()>& body) {
    // The system's own texts (the file chooser, the buttons of message boxes) in Japanese
    // wherever the system has them, whatever the user's language.
    SetThreadUILanguage(MAKELANGID(LANG_JAPANESE, SUBLANG_JAPANESE_JAPAN));
    // The version 6 controls that the manifest asks for are registered before any dialog.
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof(controls);
    controls.dwICC = ICC_STANDARD_CLASSES;
    InitCommonControlsEx(&controls);
    const ComApartment com;
    return body();
}

std::string ExecutableName() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            return {};
        }
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    return pomuru::Utf8FromWide(std::filesystem::path(path).stem().wstring());
}

void RunEventLoop() {
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

}  // namespace afx_backend
