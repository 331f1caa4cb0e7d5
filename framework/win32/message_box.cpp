// Message boxes of the system, modal to the active dialog.
#include <windows.h>

#include "base/utf16_text.h"
#include "framework/backend.h"

namespace afx_backend {

namespace {

UINT IconStyle(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Stop:
            return MB_ICONSTOP;
        case MessageIcon::Exclamation:
            return MB_ICONEXCLAMATION;
        case MessageIcon::Information:
            return MB_ICONINFORMATION;
        case MessageIcon::NoIcon:
            break;
    }
    return 0;
}

}  // namespace

bool ShowMessage(std::string_view caption, std::string_view text, MessageIcon icon,
                 MessageButtons buttons) {
    // The thread's active window is the dialog whose handler reports; without one the box
    // still keeps every window of the thread waiting.
    const HWND owner = GetActiveWindow();
    const UINT kinds[] = {MB_OK, MB_YESNO, MB_YESNO | MB_DEFBUTTON2};
    const UINT style =
        kinds[static_cast<int>(buttons)] | IconStyle(icon) | (owner == nullptr ? MB_TASKMODAL : 0);
    return MessageBoxW(owner, pomuru::WideFromUtf8(text).c_str(),
                       pomuru::WideFromUtf8(caption).c_str(), style) == IDYES;
}

}  // namespace afx_backend
