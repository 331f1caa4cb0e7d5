// The application object and the process-wide look-ups that lead to it.
#include "framework/win_app.h"

#include <utility>

#include "framework/backend.h"
#include "framework/command_line_info.h"
#include "framework/message_box.h"
#include "framework/resource_module.h"

namespace {

// The registration of the one application object.
CWinApp*& CurrentApp() {
    static CWinApp* app = nullptr;
    return app;
}

}  // namespace

CWinApp::CWinApp(std::string appName) : m_strAppName(std::move(appName)) {
    if (CurrentApp() == nullptr) {
        CurrentApp() = this;
    }
}

CWinApp::~CWinApp() {
    if (CurrentApp() == this) {
        CurrentApp() = nullptr;
    }
}

const MessageMap& CWinApp::GetThisMessageMap() {
    static const MessageMap messageMap{&CCmdTarget::GetThisMessageMap(), {}};
    return messageMap;
}

bool CWinApp::InitInstance() {
    return true;
}

int CWinApp::Run() {
    afx_backend::RunEventLoop();
    return ExitInstance();
}

int CWinApp::ExitInstance() {
    return 0;
}

HICON CWinApp::LoadIcon(unsigned id) const {
    if (m_pResources == nullptr) {
        return {};
    }
    if (afx_backend::IconPtr own = afx_backend::IconFromProgramFile(id)) {
        return HICON(std::move(own));
    }
    return HICON(afx_backend::IconFromPngs(m_pResources->FindIcon(id)));
}

void CWinApp::OnHelp() {
    AfxMessageBox(AfxFormatString(AFX_IDP_NO_HELP), MB_ICONINFORMATION);
}

void CWinApp::ParseCommandLine(CCommandLineInfo& rCmdInfo) const {
    for (std::size_t i = 0; i < m_arguments.size(); ++i) {
        const std::string& argument = m_arguments[i];
        const bool flag = argument.size() > 1 && argument[0] == '-';
        rCmdInfo.ParseParam(flag ? argument.substr(1) : argument, flag,
                            i + 1 == m_arguments.size());
    }
}

CWinApp* AfxGetApp() {
    return CurrentApp();
}

const CResourceModule* AfxGetResourceHandle() {
    const CWinApp* app = AfxGetApp();
    return app != nullptr ? app->m_pResources : nullptr;
}

bool AfxLoadString(unsigned nID, std::string& text) {
    const CResourceModule* resources = AfxGetResourceHandle();
    const auto found = resources != nullptr ? resources->FindString(nID) : std::nullopt;
    if (!found) {
        return false;
    }
    text = *found;
    return true;
}

std::string AfxFormatString(unsigned nID, std::initializer_list<std::string_view> texts) {
    std::string format;
    AfxLoadString(nID, format);
    std::string result;
    for (std::size_t i = 0; i < format.size(); ++i) {
        const std::size_t number = i + 1 < format.size() && format[i] == '%'
                                       ? static_cast<std::size_t>(format[i + 1] - '1')
                                       : texts.size();
        if (number < texts.size()) {
            result += *(texts.begin() + number);
            ++i;
        } else {
            result += format[i];
        }
    }
    return result;
}
