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
    struct Step {
        std::string what;
        std::function<bool()> ready;
        std::function<void()> act;
    };

    KeyScript();
    ~KeyScript();
    KeyScript(const KeyScript&) = delete;
    KeyScript& operator=(const KeyScript&) = delete;

    KeyScript& Then(std::string what, std::function<bool()> ready, std::function<void()> act);
    // Starts the steps; call the dialog's DoModal next.
    void Start();
    bool Finished() const { return next_ == steps_.size() && failure_.empty(); }
    // What went wrong; empty while nothing did.
    const std::string& Failure() const { return failure_; }

private:
    // The window whose timer calls Tick.
    class Timer;

    void Tick();
    // Presses Esc at the active dialog until none of this thread is left.
    void CloseDialogs();

    std::vector<Step> steps_;
    std::size_t next_ = 0;
    std::chrono::steady_clock::time_point waitingSince_;
    std::string failure_;
    std::unique_ptr<Timer> timer_;
};

// ---- Keys, injected as a user's ----
enum class Key { Tab, Enter, Escape, Space, Up };
void Press(Key key);
// Alt+Space: opens the active window's system menu.
void PressAltSpace();
// Each character as the keyboard would give it, Japanese included.
void Type(std::string_view text);

// ---- What the screen shows ----
// The thread's active window; nullptr when none.
Window ActiveWindow();
// Makes a window of this thread the one that takes the keys.
void BringToFront(Window window);
std::string TextOf(Window window);
std::string ClassOf(Window window);
// A control by its id; nullptr when there is none.
Window Item(Window dialog, int id);
// The window with the keyboard focus.
Window FocusedWindow();
// Whether all of an edit box's text is selected.
bool IsAllSelected(Window edit);
// The texts of the child windows in their order (the template's order).
std::vector<std::string> ChildTexts(Window dialog);
// The visible dialog windows (class #32770) of this thread: dialogs and message boxes.
std::vector<Window> OpenDialogs();
// The folder a file chooser shows.
std::string ChooserFolder(Window chooser);
// Whether a pop-up menu is shown.
bool IsMenuOpen();
// The items of a window's system menu; separators as "".
std::vector<std::string> SystemMenuTexts(Window window);
// A window's frame on the screen, and the primary screen's room for windows.
struct ScreenRect {
    long left = 0;
    long top = 0;
    long right = 0;
    long bottom = 0;
};
ScreenRect FrameOf(Window window);
ScreenRect WorkArea();
// Whether the window's frame sits in the middle of the rectangle, to a pixel.
bool IsCentredOn(Window window, const ScreenRect& around);
// Whether the window shows an icon in its title bar, or an icon control its picture.
bool HasTitleIcon(Window window);
bool HasPicture(Window iconControl);

}  // namespace pomuru::test
