// A window system without windows, for testing the framework's logic in-process on every
// platform, as a toolkit's offscreen platform does: dialogs are built from their templates as
// plain controls, a test's script drives each one, and message boxes and choosers are recorded
// and answered.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace afx_fake {

inline constexpr std::string_view kBoxes = "(boxes)";

// An open dialog, as its script sees it; control ids are those of its template.
class Dialog {
public:
    virtual std::string Caption() const = 0;
    // What the program has shown, in order: every caption, its template's first, kBoxes for
    // each time it set control texts between two captions, and each change of the progress
    // outside the caption as "progress none", "progress indeterminate", "progress normal 3/10"
    // or "progress error 3/10".
    virtual std::vector<std::string> Shown() const = 0;
    virtual std::string Text(int id) const = 0;
    // Types into a box, replacing what it held.
    virtual void Type(int id, const std::string& text) = 0;
    // A click on a button or check box (which toggles), or Enter (IDOK) or Esc (IDCANCEL).
    virtual void Click(int id) = 0;
    virtual void SysCommand(unsigned id) = 0;
    // Files dropped on a control (0: on the window), if the window accepts them.
    virtual void Drop(int id, std::vector<std::string> files) = 0;
    virtual std::vector<std::string> WindowMenu() const = 0;
    // The control with the focus.
    virtual int Focus() const = 0;
    virtual bool Ended() const = 0;

protected:
    ~Dialog() = default;
};

// Runs for every dialog once it is initialised and the commands posted meanwhile have run,
// until it returns; a dialog still open then is cancelled.
void SetScript(std::function<void(Dialog&)> script);
// Runs each time a dialog's caption is set, as a window system delivers what arrives while a
// handler draws its caption; empty: nothing.
void SetCaptionScript(std::function<void(Dialog&)> script);

// The message boxes shown since the last call, each as "caption: text".
std::vector<std::string> TakeMessages();

// What the next yes/no message box answers: true for Yes. Without an answer queued, No.
void QueueAnswer(bool yes);

// What the next file chooser answers: a path, or nothing for a cancel. Without an answer
// queued, it is cancelled.
void QueueChoice(std::optional<std::string> path);

}  // namespace afx_fake
