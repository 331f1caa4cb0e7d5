// Base of the program's windows: caption, controls, data exchange and message dispatch.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <tuple>

#include "framework/cmd_target.h"
#include "framework/icon_handle.h"
#include "framework/menu.h"
#include "framework/win_defs.h"

class CDataExchange;

namespace afx_backend {
class DialogWindow;
}

class CWnd : public CCmdTarget {
public:
    CWnd() = default;
    ~CWnd() override;

    // Whether the window exists; a dialog's exists from the start to the end of DoModal. The
    // operations below do nothing, or return empty values, while it does not.
    bool HasWindow() const { return m_pWindow != nullptr; }

    // Replaces the caption and draws it at once, so that a handler that keeps the thread busy
    // still shows it; user input waits until the handler returns.
    void SetWindowText(const std::string& text);

    std::string GetDlgItemText(int nID) const;
    void SetDlgItemText(int nID, const std::string& text);
    // BST_CHECKED or BST_UNCHECKED.
    unsigned IsDlgButtonChecked(int nIDButton) const;
    // Puts the focus on a control; an edit box gets its whole text selected.
    void GotoDlgCtrl(int nID);
    // The icon of the window's task-switcher entry (big) or title bar (small); returns the
    // icon set before. A window system with one icon per window gets both, each size used
    // where it fits.
    HICON SetIcon(HICON hIcon, bool bBigIcon);
    // The window menu of a window whose template has WS_SYSMENU; nullptr for others. The items
    // appended to it follow the window system's own (Close) and send WM_SYSCOMMAND with their
    // id. bRevert: drops the appended items and returns nullptr.
    CMenu* GetSystemMenu(bool bRevert);
    // Whether files dropped on the window reach its WM_DROPFILES handler; while a handler runs
    // (a conversion, a message box) a drop is refused.
    void DragAcceptFiles(bool bAccept = true);
    // Queues a command (Message::Command, its id in wParam) for the window's loop, which gets to
    // it once the window is shown and no handler runs.
    void PostMessage(Message message, std::uintptr_t wParam = 0);

    // The progress on the window's task bar button (or the desktop's launcher entry): a state
    // (TBPF_NOPROGRESS, TBPF_INDETERMINATE, TBPF_NORMAL, TBPF_ERROR) and, for the last two, a
    // position in the range, 0 to 100 unless set otherwise. Gone with the window.
    void SetProgressBarState(TBPFLAG nState);
    void SetProgressBarRange(int nRangeMin, int nRangeMax);
    void SetProgressBarPosition(int nProgressPos);

    // false: the fields into the controls. true: the controls into the fields, in
    // DoDataExchange order; at the first box without a valid value the user is told, the box is
    // focused with its text selected, the fields from it on keep their values, and the result
    // is false.
    bool UpdateData(bool bSaveAndValidate = true);
    // The checks of UpdateData(true), reported the same way, without changing any field.
    bool ValidateData();

    // Calls the handler of this window's message map, then of the application's for commands.
    // A framework exception that leaves the handler is reported and the window goes on.
    bool Dispatch(Message message, int id, const MessageArgs& args = {});
    // True while a handler runs; the window ignores close requests then.
    bool IsHandlerRunning() const { return m_nHandlerDepth > 0; }

protected:
    virtual void DoDataExchange(CDataExchange* pDX);
    // Runs code the way a handler runs: counted as running, exceptions reported.
    void RunHandler(const std::function<void()>& handler);
    // Gives the message being handled the processing it gets without a handler.
    void Default();

private:
    friend class CDialog;
    friend class CFileDialog;

    struct CurrentMessage {
        Message message;
        MessageArgs args;
    };
    // What a message without a handler does: the window menu's Close cancels, as the close box
    // does; other messages are ignored.
    void DefWindowProc(Message message, const MessageArgs& args);

    afx_backend::DialogWindow* m_pWindow = nullptr;
    std::optional<CMenu> m_systemMenu;  // while the window exists, if it has a window menu
    int m_nHandlerDepth = 0;
    std::optional<CurrentMessage> m_currentMessage;  // during Dispatch
    HICON m_hBigIcon;
    HICON m_hSmallIcon;
    // Tells the window what the progress shows, when that changed.
    void ShowProgress();
    TBPFLAG m_nProgressState = TBPF_NOPROGRESS;
    int m_nProgressMin = 0;
    int m_nProgressMax = 100;
    int m_nProgressPos = 0;
    std::tuple<int, std::uint64_t, std::uint64_t> m_progressShown{};
};
