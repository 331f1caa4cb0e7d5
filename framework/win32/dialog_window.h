// The Windows dialog of a template: the dialog manager's window, run modally, and its messages
// passed to the framework.
#pragma once

#include <windows.h>
// After <windows.h>, which they need.
#include <oleacc.h>
#include <shellapi.h>
#include <shobjidl.h>

#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "framework/backend.h"
#include "framework/dialog_template.h"
#include "framework/win32/icon_image.h"
#include "framework/win32/system_menu.h"

namespace afx_win32 {

// The reason the window gives the system for holding up the end of the session, while it
// exists.
class ShutdownBlock {
public:
    ShutdownBlock(HWND window, const std::string& reason);
    ~ShutdownBlock();
    ShutdownBlock(const ShutdownBlock&) = delete;
    ShutdownBlock& operator=(const ShutdownBlock&) = delete;

private:
    HWND window_;
};

// A COM object, released when it goes.
struct ComRelease {
    void operator()(IUnknown* object) const { object->Release(); }
};
template <class Interface>
using ComPtr = std::unique_ptr<Interface, ComRelease>;

class DialogWindow final : public afx_backend::DialogWindow {
public:
    DialogWindow(const DialogTemplate& dialogTemplate, afx_backend::WindowEvents& events);
    DialogWindow(const DialogWindow&) = delete;
    DialogWindow& operator=(const DialogWindow&) = delete;

    // Builds the window modal to the owner (nullptr: none) and runs the dialog manager's loop
    // until EndModal. Returns EndModal's result, or -1 when the window cannot be built.
    int Run(HWND owner);
    // The window while Run runs; nullptr before and after.
    HWND Handle() const { return window_; }

    void EndModal(int result) override;
    void SetCaption(std::string_view text) override;
    std::string ControlText(int id) const override;
    void SetControlText(int id, std::string_view text) override;
    bool IsChecked(int id) const override;
    void FocusControl(int id) override;
    void SetIcons(const afx_backend::IconImage* bigIcon,
                  const afx_backend::IconImage* smallIcon) override;
    void AcceptFiles(bool accept) override;
    void PostCommand(int id) override;
    void SetProgress(afx_backend::ProgressState state, std::uint64_t completed,
                     std::uint64_t total) override;

private:
    // An icon control and the icon it shows.
    struct IconControl {
        HWND control;
        afx_backend::IconPtr image;
        UniqueIcon shown;
    };

    static INT_PTR CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // The dialog procedure's answer: true when the message was handled here.
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // true: the dialog manager puts the focus on the first control with a tab stop.
    bool OnInitDialog();
    void FindIconControls();
    void CentreIfUnplaced();
    // Gives each edit box the name of the label above it, for screen readers.
    void NameEditBoxes();
    void OnDropFiles(HDROP drop);
    // Drops that the shell posted while a run held the thread: refused, as during the run.
    void DiscardDrops();
    // Make the window's icons, and the icon controls' pictures, for the window's present dots
    // per inch.
    void ShowWindowIcons();
    void ShowControlIcons();

    const DialogTemplate& template_;
    afx_backend::WindowEvents& events_;
    HWND window_ = nullptr;
    std::optional<SystemMenu> systemMenu_;
    const afx_backend::IconImage* bigIcon_ = nullptr;
    const afx_backend::IconImage* smallIcon_ = nullptr;
    UniqueIcon shownBigIcon_;
    UniqueIcon shownSmallIcon_;
    std::vector<IconControl> iconControls_;
    // The names given to the edit boxes, taken back when the window goes.
    ComPtr<IAccPropServices> names_;
    std::vector<HWND> namedBoxes_;
    // The window's task bar button, made at its first progress.
    ComPtr<ITaskbarList3> taskbar_;
    // While a run is in progress.
    std::optional<ShutdownBlock> shutdownBlock_;
    // What left a handler through the dialog procedure, where no exception may pass: the
    // dialog ends and Run throws it again.
    std::exception_ptr failure_;
};

}  // namespace afx_win32
