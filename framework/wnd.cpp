// Window operations passed to the window system, the data exchange passes and the guarded
// dispatch.
#include "framework/wnd.h"

#include <algorithm>
#include <utility>

#include "framework/backend.h"
#include "framework/data_exchange.h"
#include "framework/exception.h"
#include "framework/message_box.h"
#include "framework/scoped_value.h"
#include "framework/win_app.h"

CWnd::~CWnd() {
    if (CWinApp* app = AfxGetApp(); app != nullptr && app->m_pMainWnd == this) {
        app->m_pMainWnd = nullptr;
    }
}

void CWnd::SetWindowText(const std::string& text) {
    if (m_pWindow != nullptr) {
        m_pWindow->SetCaption(text);
    }
}

std::string CWnd::GetDlgItemText(int nID) const {
    return m_pWindow != nullptr ? m_pWindow->ControlText(nID) : std::string();
}

void CWnd::SetDlgItemText(int nID, const std::string& text) {
    if (m_pWindow != nullptr) {
        m_pWindow->SetControlText(nID, text);
    }
}

unsigned CWnd::IsDlgButtonChecked(int nIDButton) const {
    return m_pWindow != nullptr && m_pWindow->IsChecked(nIDButton) ? BST_CHECKED : BST_UNCHECKED;
}

void CWnd::GotoDlgCtrl(int nID) {
    if (m_pWindow != nullptr) {
        m_pWindow->FocusControl(nID);
    }
}

HICON CWnd::SetIcon(HICON hIcon, bool bBigIcon) {
    if (m_pWindow == nullptr) {
        return {};
    }
    const HICON previous = std::exchange(bBigIcon ? m_hBigIcon : m_hSmallIcon, std::move(hIcon));
    m_pWindow->SetIcons(m_hBigIcon.Image().get(), m_hSmallIcon.Image().get());
    return previous;
}

CMenu* CWnd::GetSystemMenu(bool bRevert) {
    if (m_pWindow == nullptr || !m_systemMenu) {
        return nullptr;
    }
    if (bRevert) {
        *m_systemMenu = CMenu();
        return nullptr;
    }
    return &*m_systemMenu;
}

void CWnd::DragAcceptFiles(bool bAccept) {
    if (m_pWindow != nullptr) {
        m_pWindow->AcceptFiles(bAccept);
    }
}

void CWnd::PostMessage(Message message, std::uintptr_t wParam) {
    // Commands are all the windows here queue.
    if (m_pWindow != nullptr && message == Message::Command) {
        m_pWindow->PostCommand(static_cast<int>(wParam));
    }
}

void CWnd::SetProgressBarState(TBPFLAG nState) {
    m_nProgressState = nState;
    ShowProgress();
}

void CWnd::SetProgressBarRange(int nRangeMin, int nRangeMax) {
    m_nProgressMin = nRangeMin;
    m_nProgressMax = std::max(nRangeMin, nRangeMax);
    ShowProgress();
}

void CWnd::SetProgressBarPosition(int nProgressPos) {
    m_nProgressPos = nProgressPos;
    ShowProgress();
}

void CWnd::ShowProgress() {
    if (m_pWindow == nullptr) {
        return;
    }
    const auto state = m_nProgressState == TBPF_ERROR    ? afx_backend::ProgressState::Error
                       : m_nProgressState == TBPF_NORMAL ? afx_backend::ProgressState::Normal
                       : m_nProgressState == TBPF_INDETERMINATE
                           ? afx_backend::ProgressState::Indeterminate
                           : afx_backend::ProgressState::None;
    const auto offset = [this](int value) {
        return static_cast<std::uint64_t>(std::int64_t{value} - m_nProgressMin);
    };
    // Positions outside the range are shown at its ends; without a bar there is no position.
    const bool bar =
        state == afx_backend::ProgressState::Normal || state == afx_backend::ProgressState::Error;
    const std::tuple<int, std::uint64_t, std::uint64_t> shown{
        static_cast<int>(state),
        bar ? offset(std::clamp(m_nProgressPos, m_nProgressMin, m_nProgressMax)) : 0,
        bar ? offset(m_nProgressMax) : 0};
    if (shown != m_progressShown) {
        m_progressShown = shown;
        m_pWindow->SetProgress(state, std::get<1>(shown), std::get<2>(shown));
    }
}

void CWnd::DoDataExchange(CDataExchange*) {}

bool CWnd::UpdateData(bool bSaveAndValidate) {
    if (m_pWindow == nullptr) {
        return false;
    }
    CDataExchange dx(this,
                     bSaveAndValidate ? CDataExchange::Mode::Save : CDataExchange::Mode::Load);
    DoDataExchange(&dx);
    return !dx.Failed();
}

bool CWnd::ValidateData() {
    if (m_pWindow == nullptr) {
        return false;
    }
    CDataExchange dx(this, CDataExchange::Mode::Check);
    DoDataExchange(&dx);
    return !dx.Failed();
}

void CWnd::RunHandler(const std::function<void()>& handler) {
    const ScopedValue running(m_nHandlerDepth, m_nHandlerDepth + 1);
    try {
        handler();
    } catch (const CException& e) {
        e.ReportError();
    } catch (const std::exception& e) {
        AfxMessageBox(AfxFormatString(AFX_IDP_COMMAND_FAILED, {e.what()}), MB_ICONSTOP);
    }
}

bool CWnd::Dispatch(Message message, int id, const MessageArgs& args) {
    bool handled = false;
    RunHandler([&] {
        // Nested dispatches each see their own message.
        const ScopedValue current(m_currentMessage, CurrentMessage{message, args});
        handled = OnCmdMsg(message, id, args);
        if (handled) {
            return;
        }
        if (message == Message::Command) {
            if (CWinApp* app = AfxGetApp()) {
                handled = app->OnCmdMsg(message, id, args);
            }
        } else {
            DefWindowProc(message, args);
        }
    });
    return handled;
}

void CWnd::Default() {
    if (m_currentMessage) {
        const CurrentMessage current = *m_currentMessage;
        DefWindowProc(current.message, current.args);
    }
}

void CWnd::DefWindowProc(Message message, const MessageArgs& args) {
    if (message == Message::SysCommand && (args.wParam & 0xFFF0) == SC_CLOSE) {
        Dispatch(Message::Command, IDCANCEL);
    }
}
