// Message boxes captioned with the application's name.
#include "framework/message_box.h"

#include "framework/backend.h"
#include "framework/win_app.h"

namespace {

afx_backend::MessageIcon IconFor(unsigned type) {
    switch (type & 0xF0) {
        case MB_ICONSTOP:
            return afx_backend::MessageIcon::Stop;
        case MB_ICONEXCLAMATION:
            return afx_backend::MessageIcon::Exclamation;
        case MB_ICONINFORMATION:
            return afx_backend::MessageIcon::Information;
        default:
            return afx_backend::MessageIcon::NoIcon;
    }
}

}  // namespace

int AfxMessageBox(const std::string& text, unsigned type) {
    const CWinApp* app = AfxGetApp();
    const bool yesNo = (type & 0x0F) == MB_YESNO;
    const auto buttons = !yesNo                        ? afx_backend::MessageButtons::Ok
                         : (type & MB_DEFBUTTON2) != 0 ? afx_backend::MessageButtons::YesNoDefaultNo
                                                       : afx_backend::MessageButtons::YesNo;
    const bool yes = afx_backend::ShowMessage(app != nullptr ? app->AppName() : std::string(), text,
                                              IconFor(type), buttons);
    return !yesNo ? IDOK : yes ? IDYES : IDNO;
}
