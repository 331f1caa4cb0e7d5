// What the framework needs of the window system: the one interface a backend folder implements.
#pragma once

// Each backend folder (framework/qt/, framework/win32/) defines everything declared here, and the
// build links exactly one. This header names no framework constants (IDOK, MF_STRING …) and no
// class-library names, so that a backend source can include it together with the platform's own
// headers.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "framework/file_filter.h"

struct DialogTemplate;

namespace afx_backend {

// ---- Application ----

struct ApplicationOptions {
    // The program's desktop entry, without ".desktop"; empty: none.
    std::string desktopFileName;
};

// Brings up the platform's application with a Japanese user interface, runs `body` inside it and
// returns its result.
int RunApplication(int& argc, char** argv, const ApplicationOptions& options,
                   const std::function<int()>& body);
// The executable file's name without folder and extension.
std::string ExecutableName();
// The platform's event loop, until the application quits.
void RunEventLoop();

// ---- Icons ----

// An icon with all its sizes, as the backend draws it; opaque outside the backend.
class IconImage;
using IconPtr = std::shared_ptr<const IconImage>;

// The icon made of these image files (PNG), one per size; nullptr when none of them decodes.
IconPtr IconFromPngs(std::span<const std::span<const std::uint8_t>> images);
// The icon of that resource id in the program file itself, where the platform's program files
// carry icons (a Windows icon group with all its sizes); nullptr when it has none.
IconPtr IconFromProgramFile(unsigned resourceId);

// ---- Dialog windows ----

struct MenuItem {
    bool separator = false;
    unsigned id = 0;   // sent as a system command when chosen
    std::string text;  // "&" marks the access key, "&&" is one "&"
};

class DialogWindow;

// Texts a backend shows where the platform has none of its own: the window menu's Close, and the
// reason a window gives for holding up the end of the session while a handler runs.
enum class FrameworkText { CloseItem, BusyReason };

// What a dialog window tells the framework and asks of it. Called on the user-interface thread
// while the window's modal loop runs.
class WindowEvents {
public:
    // The window and its controls exist, not yet shown: the framework fills them. true puts the
    // focus on the first control with a tab stop.
    virtual bool OnInit(DialogWindow& window) = 0;
    // A button click, Enter, Esc, the close box or F1, by command id.
    virtual void OnCommand(int id) = 0;
    // A window-menu item, by its id.
    virtual void OnSysCommand(unsigned id) = 0;
    // While true, close requests are ignored: a handler holds the thread.
    virtual bool IsHandlerRunning() const = 0;
    // The items the program added to the window menu, shown after the platform's own; asked
    // each time the menu opens.
    virtual std::vector<MenuItem> WindowMenuItems() const = 0;
    // The icon resource an icon control shows; nullptr when there is none.
    virtual IconPtr FindIcon(unsigned resourceId) const = 0;
    // Files dropped on a window that accepts them: their full paths, and the control they were
    // dropped on (0: none).
    virtual void OnDropFiles(std::vector<std::string> files, int controlId) = 0;
    // The framework's words for what the backend shows in the system's place.
    virtual std::string Text(FrameworkText which) const = 0;

protected:
    ~WindowEvents() = default;
};

// The progress a window shows outside its caption: its task bar button's, or its desktop
// launcher entry's.
enum class ProgressState { None, Indeterminate, Normal, Error };

// A dialog window while its modal loop runs; control ids are those of its template.
class DialogWindow {
public:
    // Ends the modal loop; RunModalDialog returns the result.
    virtual void EndModal(int result) = 0;
    // Replaces the caption and draws it at once, even while the thread stays busy; user input
    // waits until the handler returns.
    virtual void SetCaption(std::string_view text) = 0;
    // The text of an edit box, button or label; empty for other ids.
    virtual std::string ControlText(int id) const = 0;
    virtual void SetControlText(int id, std::string_view text) = 0;
    // Whether a check box is ticked; false for other ids.
    virtual bool IsChecked(int id) const = 0;
    // Puts the focus on a control; an edit box gets its whole text selected.
    virtual void FocusControl(int id) = 0;
    // The icons of the task-switcher entry and of the title bar; nullptr: none. The window
    // draws from them as long as it exists: the caller keeps them alive.
    virtual void SetIcons(const IconImage* bigIcon, const IconImage* smallIcon) = 0;
    // Whether files dropped on the window are passed to OnDropFiles. Local files only.
    virtual void AcceptFiles(bool accept) = 0;
    // The command reaches OnCommand once the window's loop gets to it: after the window has
    // been shown, when posted while it is built.
    virtual void PostCommand(int id) = 0;
    // completed of total, for Normal and Error; where the desktop has no such display, nothing.
    virtual void SetProgress(ProgressState state, std::uint64_t completed, std::uint64_t total) = 0;

protected:
    ~DialogWindow() = default;
};

// Builds the window from the template, modal to `owner` (nullptr: to no window) and centred on
// it or on the screen, calls events.OnInit, and runs the window's loop until EndModal. Returns
// EndModal's result, or -1 when the window cannot be built.
int RunModalDialog(const DialogTemplate& dialogTemplate, WindowEvents& events, DialogWindow* owner);

// ---- Message boxes ----

enum class MessageIcon { NoIcon, Stop, Exclamation, Information };
// OK; or Yes and No, with Enter on Yes or on No.
enum class MessageButtons { Ok, YesNo, YesNoDefaultNo };

// A message box, modal to the active dialog; returns when it is closed, true if with Yes.
bool ShowMessage(std::string_view caption, std::string_view text, MessageIcon icon,
                 MessageButtons buttons = MessageButtons::Ok);

// ---- File chooser ----

struct FileChooserRequest {
    bool open = true;                 // for opening, else for saving
    std::string defaultExtension;     // appended to a name typed without one; empty: none
    std::string initialName;          // shown at the start
    unsigned flags = 0;               // OFN_ options, with the values of the Windows chooser
    std::vector<FileFilter> filters;  // the first one selected at the start
    std::string initialFolder;        // as the program wrote it, e.g. "c:\mydata"; empty: current
    DialogWindow* owner = nullptr;    // nullptr: modal to the active dialog
};

// The full path of the file the user confirmed; nothing after a cancel. Names of files that do
// not exist yet are accepted, and a chooser for opening never asks about overwriting.
std::optional<std::string> ChooseFile(const FileChooserRequest& request);

}  // namespace afx_backend
