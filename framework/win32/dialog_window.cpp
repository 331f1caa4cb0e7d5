// The dialog manager's window built from a template in memory; its messages become the
// framework's events.
// The GUIDs of the accessibility annotation, defined here.
#include <initguid.h>
// After <initguid.h>.
#include "framework/win32/dialog_window.h"

#include <algorithm>
#include <string>
#include <utility>

#include "base/utf16_text.h"
#include "framework/control_label.h"
#include "framework/dialog_template_writer.h"

namespace afx_win32 {

namespace {

// The framework's help command (ID_HELP), which F1 sends as the class library's dialogs do.
// win_defs.h, which names it, cannot be included beside <windows.h>.
constexpr int kHelpCommand = 0xE146;

// The rectangle of a window on the screen.
RECT WindowRect(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect;
}

// The system commands a busy window still carries out. The others would open a menu or a
// move loop, or run the program's own items, inside the handler.
bool IsHarmlessWhileBusy(WPARAM command) {
    switch (command & 0xFFF0) {
        case SC_MINIMIZE:
        case SC_RESTORE:
        case SC_SCREENSAVE:
        case SC_MONITORPOWER:
            return true;
        default:
            return false;
    }
}

}  // namespace

ShutdownBlock::ShutdownBlock(HWND window, const std::string& reason) : window_(window) {
    ShutdownBlockReasonCreate(window_, pomuru::WideFromUtf8(reason).c_str());
}

ShutdownBlock::~ShutdownBlock() {
    ShutdownBlockReasonDestroy(window_);
}

DialogWindow::DialogWindow(const DialogTemplate& dialogTemplate, afx_backend::WindowEvents& events)
    : template_(dialogTemplate), events_(events) {}

int DialogWindow::Run(HWND owner) {
    const std::vector<std::uint16_t> words = WriteDialogTemplate(template_);
    const INT_PTR result = DialogBoxIndirectParamW(
        GetModuleHandleW(nullptr), reinterpret_cast<const DLGTEMPLATE*>(words.data()), owner,
        &DialogWindow::Procedure, reinterpret_cast<LPARAM>(this));
    // The window is gone; its icons may go now.
    window_ = nullptr;
    taskbar_.reset();
    systemMenu_.reset();
    iconControls_.clear();
    shownBigIcon_ = UniqueIcon();
    shownSmallIcon_ = UniqueIcon();
    if (failure_) {
        std::rethrow_exception(std::exchange(failure_, nullptr));
    }
    return result == -1 ? -1 : static_cast<int>(result);
}

INT_PTR CALLBACK DialogWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(window, DWLP_USER, lParam);
        reinterpret_cast<DialogWindow*>(lParam)->window_ = window;
    }
    // Messages before WM_INITDIALOG (the font, the controls' creation) get the defaults.
    auto* self = reinterpret_cast<DialogWindow*>(GetWindowLongPtrW(window, DWLP_USER));
    if (self == nullptr || self->failure_) {
        return FALSE;
    }
    INT_PTR handled = TRUE;
    try {
        handled = self->OnMessage(message, wParam, lParam) ? TRUE : FALSE;
    } catch (...) {
        self->failure_ = std::current_exception();
        EndDialog(window, -1);
    }
    // The run that held up the end of the session is over.
    if (!self->events_.IsHandlerRunning() && self->shutdownBlock_) {
        self->shutdownBlock_.reset();
        self->DiscardDrops();
    }
    return handled;
}

bool DialogWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    // What another program sends while a handler holds the thread (SetCaption answers it during
    // a run) must not start a second run, a chooser or the About box inside the first.
    const bool busy = events_.IsHandlerRunning();
    switch (message) {
        case WM_INITDIALOG:
            return OnInitDialog();
        case WM_COMMAND:
            // Clicks, and Enter and Esc, which the dialog manager sends as clicks on IDOK and
            // IDCANCEL; edit boxes' notifications are not commands.
            if (HIWORD(wParam) != BN_CLICKED) {
                return false;
            }
            if (!busy) {
                events_.OnCommand(LOWORD(wParam));
            }
            return true;
        case WM_HELP:
            if (!busy) {
                events_.OnCommand(kHelpCommand);
            }
            return true;
        case WM_SYSCOMMAND:
            if (busy) {
                return !IsHarmlessWhileBusy(wParam);
            }
            // The system's own commands (move, close …) get their default processing.
            if (!systemMenu_ || !systemMenu_->IsProgramCommand(wParam)) {
                return false;
            }
            events_.OnSysCommand(static_cast<unsigned>(wParam));
            return true;
        case WM_INITMENUPOPUP:
            if (HIWORD(lParam) && systemMenu_) {
                systemMenu_->ShowItems(events_.WindowMenuItems());
            }
            return false;
        case WM_CLOSE:
            // A close request from outside while a handler holds the thread (a message box of
            // the handler pumps messages) would end the dialog under the handler's feet.
            return busy;
        case WM_QUERYENDSESSION:
            // Ending the session in the middle of a run would leave the destination half-written.
            if (!shutdownBlock_) {
                return false;
            }
            SetWindowLongPtrW(window_, DWLP_MSGRESULT, FALSE);
            return true;
        case WM_DROPFILES:
            // Refused by the framework while a handler runs.
            OnDropFiles(reinterpret_cast<HDROP>(wParam));
            return true;
        case WM_DESTROY:
            for (const HWND box : namedBoxes_) {
                names_->ClearHwndProps(box, OBJID_CLIENT, CHILDID_SELF, &PROPID_ACC_NAME, 1);
            }
            namedBoxes_.clear();
            names_.reset();
            return false;
        case WM_DPICHANGED:
            ShowWindowIcons();
            ShowControlIcons();
            return false;
        default:
            return false;
    }
}

bool DialogWindow::OnInitDialog() {
    if (template_.style & WS_SYSMENU) {
        systemMenu_.emplace(window_);
    }
    FindIconControls();
    ShowControlIcons();
    NameEditBoxes();
    const bool focusFirst = events_.OnInit(*this);
    if (systemMenu_) {
        systemMenu_->ShowItems(events_.WindowMenuItems());
    }
    CentreIfUnplaced();
    return focusFirst;
}

// The dialog manager creates the controls in template order, each below the one before.
void DialogWindow::FindIconControls() {
    HWND child = GetWindow(window_, GW_CHILD);
    for (const DialogControl& control : template_.controls) {
        if (child == nullptr) {
            break;
        }
        if (control.kind == ControlKind::Icon) {
            iconControls_.push_back({child, events_.FindIcon(control.icon), UniqueIcon()});
        }
        child = GetWindow(child, GW_HWNDNEXT);
    }
}

// The dialog manager names an edit box after the label before it in the template, which is
// not the label above it here; the system's annotation of the box's name corrects that.
void DialogWindow::NameEditBoxes() {
    IAccPropServices* services = nullptr;
    if (FAILED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IAccPropServices, reinterpret_cast<void**>(&services)))) {
        return;
    }
    names_.reset(services);
    for (const DialogControl& control : template_.controls) {
        const DialogControl* label =
            control.kind == ControlKind::Edit ? LabelAbove(template_, control) : nullptr;
        const HWND box = GetDlgItem(window_, control.id);
        if (label != nullptr && box != nullptr) {
            std::wstring name = pomuru::WideFromUtf8(LabelText(*label));
            if (SUCCEEDED(names_->SetHwndPropStr(box, OBJID_CLIENT, CHILDID_SELF, PROPID_ACC_NAME,
                                                 name.data()))) {
                namedBoxes_.push_back(box);
            }
        }
    }
}

void DialogWindow::OnDropFiles(HDROP drop) {
    std::vector<std::string> files(DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0));
    for (UINT i = 0; i < files.size(); ++i) {
        std::wstring path(DragQueryFileW(drop, i, nullptr, 0) + 1, L'\0');
        path.resize(DragQueryFileW(drop, i, path.data(), static_cast<UINT>(path.size())));
        files[i] = pomuru::Utf8FromWide(path);
    }
    POINT point{};
    DragQueryPoint(drop, &point);
    DragFinish(drop);
    const HWND child = ChildWindowFromPointEx(window_, point, CWP_SKIPINVISIBLE);
    events_.OnDropFiles(std::move(files),
                        child != nullptr && child != window_ ? GetDlgCtrlID(child) : 0);
}

void DialogWindow::DiscardDrops() {
    MSG message;
    while (PeekMessageW(&message, window_, WM_DROPFILES, WM_DROPFILES, PM_REMOVE)) {
        DragFinish(reinterpret_cast<HDROP>(message.wParam));
    }
}

// A template at 0, 0 without DS_CENTER opens centred on its owner, or on the screen without
// one, as the class library's dialogs do; the dialog manager alone would leave it in the
// corner.
void DialogWindow::CentreIfUnplaced() {
    if (template_.rect.x != 0 || template_.rect.y != 0 || (template_.style & DS_CENTER)) {
        return;
    }
    const HWND owner = GetWindow(window_, GW_OWNER);
    const bool overOwner = owner != nullptr && IsWindowVisible(owner) && !IsIconic(owner);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    if (!GetMonitorInfoW(MonitorFromWindow(overOwner ? owner : window_, MONITOR_DEFAULTTOPRIMARY),
                         &monitor)) {
        return;
    }
    const RECT work = monitor.rcWork;
    const RECT around = overOwner ? WindowRect(owner) : work;
    const RECT frame = WindowRect(window_);
    const LONG width = frame.right - frame.left;
    const LONG height = frame.bottom - frame.top;
    // Kept on the screen, the title bar first.
    const LONG x =
        std::max(work.left, std::min((around.left + around.right - width) / 2, work.right - width));
    const LONG y = std::max(
        work.top, std::min((around.top + around.bottom - height) / 2, work.bottom - height));
    SetWindowPos(window_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Each old icon goes only once the window has let go of it.
void DialogWindow::ShowWindowIcons() {
    const UINT dpi = GetDpiForWindow(window_);
    UniqueIcon big = bigIcon_ != nullptr ? bigIcon_->Create(GetSystemMetricsForDpi(SM_CXICON, dpi))
                                         : UniqueIcon();
    SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big.Get()));
    shownBigIcon_ = std::move(big);
    UniqueIcon small = smallIcon_ != nullptr
                           ? smallIcon_->Create(GetSystemMetricsForDpi(SM_CXSMICON, dpi))
                           : UniqueIcon();
    SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small.Get()));
    shownSmallIcon_ = std::move(small);
}

// An icon control shows the icon at the system's icon size, whatever its rectangle.
void DialogWindow::ShowControlIcons() {
    const int size = GetSystemMetricsForDpi(SM_CXICON, GetDpiForWindow(window_));
    for (IconControl& control : iconControls_) {
        UniqueIcon icon = control.image != nullptr ? control.image->Create(size) : UniqueIcon();
        SendMessageW(control.control, STM_SETICON, reinterpret_cast<WPARAM>(icon.Get()), 0);
        control.shown = std::move(icon);
    }
}

void DialogWindow::EndModal(int result) {
    if (window_ != nullptr) {
        EndDialog(window_, result);
    }
}

void DialogWindow::SetCaption(std::string_view text) {
    if (window_ == nullptr) {
        return;
    }
    // The caption is drawn as it is set; the controls that changed since are drawn now.
    SetWindowTextW(window_, pomuru::WideFromUtf8(text).c_str());
    RedrawWindow(window_, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    // Only a run sets the caption inside a handler: from now until the handler returns, the
    // session's end waits, and the system tells the user why.
    if (events_.IsHandlerRunning() && !shutdownBlock_) {
        shutdownBlock_.emplace(window_, events_.Text(afx_backend::FrameworkText::BusyReason));
    }
    // Answering what the system sends keeps a long run from being shown as not responding;
    // input stays queued until the handler returns.
    MSG message;
    PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
}

std::string DialogWindow::ControlText(int id) const {
    const HWND control = window_ != nullptr ? GetDlgItem(window_, id) : nullptr;
    if (control == nullptr) {
        return {};
    }
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
    const int copied = GetWindowTextW(control, text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<std::size_t>(std::max(copied, 0)));
    return pomuru::Utf8FromWide(text);
}

void DialogWindow::SetControlText(int id, std::string_view text) {
    if (window_ != nullptr) {
        SetDlgItemTextW(window_, id, pomuru::WideFromUtf8(text).c_str());
    }
}

bool DialogWindow::IsChecked(int id) const {
    return window_ != nullptr && IsDlgButtonChecked(window_, id) == BST_CHECKED;
}

// As the dialog manager moves the focus: an edit box gets its whole text selected.
void DialogWindow::FocusControl(int id) {
    const HWND control = window_ != nullptr ? GetDlgItem(window_, id) : nullptr;
    if (control != nullptr) {
        SendMessageW(window_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
    }
}

void DialogWindow::SetIcons(const afx_backend::IconImage* bigIcon,
                            const afx_backend::IconImage* smallIcon) {
    bigIcon_ = bigIcon;
    smallIcon_ = smallIcon;
    if (window_ != nullptr) {
        ShowWindowIcons();
    }
}

void DialogWindow::AcceptFiles(bool accept) {
    if (window_ != nullptr) {
        DragAcceptFiles(window_, accept);
    }
}

void DialogWindow::PostCommand(int id) {
    if (window_ != nullptr) {
        PostMessageW(window_, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
    }
}

// The button exists by the time a run shows progress: it is made then.
void DialogWindow::SetProgress(afx_backend::ProgressState state, std::uint64_t completed,
                               std::uint64_t total) {
    if (window_ == nullptr) {
        return;
    }
    if (!taskbar_) {
        ITaskbarList3* taskbar = nullptr;
        if (FAILED(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER,
                                    IID_PPV_ARGS(&taskbar)))) {
            return;
        }
        taskbar_.reset(taskbar);
        if (FAILED(taskbar_->HrInit())) {
            taskbar_.reset();
            return;
        }
    }
    using afx_backend::ProgressState;
    if (state == ProgressState::Normal || state == ProgressState::Error) {
        taskbar_->SetProgressValue(window_, completed, total);
    }
    constexpr TBPFLAG kFlags[] = {TBPF_NOPROGRESS, TBPF_INDETERMINATE, TBPF_NORMAL, TBPF_ERROR};
    taskbar_->SetProgressState(window_, kFlags[static_cast<int>(state)]);
}

}  // namespace afx_win32

namespace afx_backend {

int RunModalDialog(const DialogTemplate& dialogTemplate, WindowEvents& events,
                   DialogWindow* owner) {
    // Every window of this backend is a Windows dialog.
    const HWND ownerWindow =
        owner != nullptr ? static_cast<afx_win32::DialogWindow*>(owner)->Handle() : nullptr;
    afx_win32::DialogWindow window(dialogTemplate, events);
    return window.Run(ownerWindow);
}

}  // namespace afx_backend
