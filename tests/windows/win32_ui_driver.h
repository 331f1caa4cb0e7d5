// Drives the program's real Windows dialogs as a user does, with keys the system injects, from
// a timer that runs inside whatever modal loop the thread is in. Free of <windows.h>, so that
// tests can include it beside the framework's headers.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace pomuru::test {

// A window handle (HWND).
using Window = void*;

// Steps that each wait until the screen is ready for them, then act, one at a time. A step that
// waits in vain fails the script, which then presses Esc until the thread's dialogs are closed.
class KeyScript {
public:
    KeyScript();
    ~KeyScript();
    KeyScript& Then(std::string what, std::function<bool()> ready, std::function<void()> act);
    // Starts the steps; call the dialog's DoModal next.
    void Start();
    bool Finished() const { return next_ == steps_.size() && failure_.empty(); }
    const std::string& Failure() const { return failure_; }

private:
    struct Step {
        std::string what;
        std::function<bool()> ready;
        std::function<void()> act;
    };
    class Timer;  // the window whose timer calls Tick
    void Tick();

    std::vector<Step> steps_;
    std::size_t next_ = 0;
    std::chrono::steady_clock::time_point waitingSince_;
    std::string failure_;
    std::unique_ptr<Timer> timer_;
};

enum class Key { Tab, Enter, Escape, Space, Up };
void Press(Key key, int times = 1);
void PressAltSpace();              // opens the active window's system menu
void Type(std::string_view text);  // any characters, Japanese included
// Clicks the button by a message, while another thread sends the dialog a command that can
// only be answered inside the click's handler, as another program may.
void SendCommandDuringClick(Window dialog, int button, int command);

// Posts the dialog a drop of the files on the middle of a control, as the shell does.
void PostDrop(Window dialog, int control, const std::vector<std::string>& files);
// Starts the window program next to the tests (../app/) with the arguments, waits for its
// dialog of that caption and returns the text of that control in it once there is one; then
// closes it and waits for it to end.
std::string ControlTextOfProgram(const std::vector<std::string>& arguments,
                                 const std::string& caption, int control);

Window ActiveWindow();
void BringToFront(Window window);
std::string TextOf(Window window);
Window Item(Window dialog, int id);
std::vector<std::string> ChildTexts(Window dialog);  // in the template's order
std::vector<Window> OpenDialogs();                   // this thread's dialogs and message boxes
bool IsMenuOpen();
std::vector<std::string> SystemMenuTexts(Window window);  // separators as ""
bool HasTitleIcon(Window window);
bool HasPicture(Window iconControl);
std::string ChooserFolder(Window chooser);
// In the middle of the other window, or of the screen's room for windows; to a pixel.
bool IsCentredOn(Window window, Window around);

}  // namespace pomuru::test
