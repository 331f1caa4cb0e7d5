// Keys through SendInput, and what the screen shows through the window functions.
#include "win32_ui_driver.h"

#include <windows.h>
// After <windows.h>, which it needs.
#include <commdlg.h>

#include <algorithm>
#include <cstdlib>

#include "framework/win32/wide_text.h"

namespace pomuru::test {

namespace {

// How long a step may wait for the screen, and how often it looks.
constexpr auto kStepTimeout = std::chrono::seconds(30);
constexpr UINT kTickMilliseconds = 50;

HWND Handle(Window window) {
    return static_cast<HWND>(window);
}

void Send(std::vector<INPUT> inputs) {
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

INPUT KeyInput(WORD virtualKey, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return input;
}

WORD VirtualKey(Key key) {
    switch (key) {
        case Key::Tab:
            return VK_TAB;
        case Key::Enter:
            return VK_RETURN;
        case Key::Escape:
            return VK_ESCAPE;
        case Key::Space:
            return VK_SPACE;
        case Key::Up:
            return VK_UP;
    }
    return 0;
}

}  // namespace

class KeyScript::Timer {
public:
    explicit Timer(KeyScript& script) : script_(script) {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = &Timer::Procedure;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = kClassName;
        RegisterClassW(&windowClass);
        window_ = CreateWindowW(kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
        SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        SetTimer(window_, 1, kTickMilliseconds, nullptr);
    }
    ~Timer() { DestroyWindow(window_); }
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;

private:
    static constexpr const wchar_t* kClassName = L"PomuruKeyScriptTimer";

    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<Timer*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (message == WM_TIMER && self != nullptr) {
            self->script_.Tick();
            return 0;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }

    KeyScript& script_;
    HWND window_ = nullptr;
};

KeyScript::KeyScript() = default;
KeyScript::~KeyScript() = default;

KeyScript& KeyScript::Then(std::string what, std::function<bool()> ready,
                           std::function<void()> act) {
    steps_.push_back({std::move(what), std::move(ready), std::move(act)});
    return *this;
}

void KeyScript::Start() {
    waitingSince_ = std::chrono::steady_clock::now();
    timer_ = std::make_unique<Timer>(*this);
}

void KeyScript::Tick() {
    if (!failure_.empty()) {
        CloseDialogs();
        return;
    }
    if (next_ == steps_.size()) {
        return;
    }
    Step& step = steps_[next_];
    if (step.ready()) {
        // The next step may start waiting before this one has acted: its action may open a
        // modal loop that runs the next ticks.
        ++next_;
        waitingSince_ = std::chrono::steady_clock::now();
        step.act();
    } else if (std::chrono::steady_clock::now() - waitingSince_ > kStepTimeout) {
        failure_ = "waited in vain: " + step.what + "; open:";
        for (const Window dialog : OpenDialogs()) {
            failure_ += " \"" + TextOf(dialog) + "\"";
            for (const std::string& text : ChildTexts(dialog)) {
                failure_ += " [" + text + "]";
            }
        }
    }
}

void KeyScript::CloseDialogs() {
    if (!OpenDialogs().empty() && !IsMenuOpen()) {
        BringToFront(OpenDialogs().front());
    }
    Press(Key::Escape);
}

void Press(Key key) {
    Send({KeyInput(VirtualKey(key), false), KeyInput(VirtualKey(key), true)});
}

void PressAltSpace() {
    Send({KeyInput(VK_MENU, false), KeyInput(VK_SPACE, false), KeyInput(VK_SPACE, true),
          KeyInput(VK_MENU, true)});
}

void Type(std::string_view text) {
    std::vector<INPUT> inputs;
    for (const wchar_t c : afx_win32::ToWide(text)) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wScan = static_cast<WORD>(c);
        input.ki.dwFlags = KEYEVENTF_UNICODE;
        inputs.push_back(input);
        input.ki.dwFlags |= KEYEVENTF_KEYUP;
        inputs.push_back(input);
    }
    Send(std::move(inputs));
}

Window ActiveWindow() {
    return GetActiveWindow();
}

void BringToFront(Window window) {
    SetForegroundWindow(Handle(window));
    SetActiveWindow(Handle(window));
}

std::string TextOf(Window window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(Handle(window))) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        std::max(GetWindowTextW(Handle(window), text.data(), static_cast<int>(text.size())), 0)));
    return afx_win32::FromWide(text);
}

std::string ClassOf(Window window) {
    wchar_t name[256] = {};
    GetClassNameW(Handle(window), name, 256);
    return afx_win32::FromWide(name);
}

Window Item(Window dialog, int id) {
    return GetDlgItem(Handle(dialog), id);
}

Window FocusedWindow() {
    return GetFocus();
}

bool IsAllSelected(Window edit) {
    DWORD start = 0;
    DWORD end = 0;
    SendMessageW(Handle(edit), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
    return start == 0 && end == static_cast<DWORD>(GetWindowTextLengthW(Handle(edit)));
}

std::vector<std::string> ChildTexts(Window dialog) {
    std::vector<std::string> texts;
    for (HWND child = GetWindow(Handle(dialog), GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        texts.push_back(TextOf(child));
    }
    return texts;
}

std::vector<Window> OpenDialogs() {
    std::vector<Window> dialogs;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM found) -> BOOL {
            if (IsWindowVisible(window) && ClassOf(window) == "#32770") {
                reinterpret_cast<std::vector<Window>*>(found)->push_back(window);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&dialogs));
    return dialogs;
}

std::string ChooserFolder(Window chooser) {
    wchar_t folder[MAX_PATH] = {};
    SendMessageW(Handle(chooser), CDM_GETFOLDERPATH, MAX_PATH, reinterpret_cast<LPARAM>(folder));
    return afx_win32::FromWide(folder);
}

bool IsMenuOpen() {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    return GetGUIThreadInfo(GetCurrentThreadId(), &info) && (info.flags & GUI_INMENUMODE) != 0;
}

std::vector<std::string> SystemMenuTexts(Window window) {
    std::vector<std::string> texts;
    const HMENU menu = GetSystemMenu(Handle(window), FALSE);
    const int count = menu != nullptr ? GetMenuItemCount(menu) : 0;
    for (int i = 0; i < count; ++i) {
        wchar_t text[256] = {};
        GetMenuStringW(menu, static_cast<UINT>(i), text, 256, MF_BYPOSITION);
        texts.push_back(afx_win32::FromWide(text));
    }
    return texts;
}

ScreenRect FrameOf(Window window) {
    RECT rect{};
    GetWindowRect(Handle(window), &rect);
    return {rect.left, rect.top, rect.right, rect.bottom};
}

ScreenRect WorkArea() {
    RECT rect{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &rect, 0);
    return {rect.left, rect.top, rect.right, rect.bottom};
}

bool IsCentredOn(Window window, const ScreenRect& around) {
    const ScreenRect frame = FrameOf(window);
    const auto off = [](long a, long b, long c, long d) { return std::abs((a + b) - (c + d)); };
    return off(frame.left, frame.right, around.left, around.right) <= 2 &&
           off(frame.top, frame.bottom, around.top, around.bottom) <= 2;
}

bool HasTitleIcon(Window window) {
    return SendMessageW(Handle(window), WM_GETICON, ICON_SMALL, 0) != 0 &&
           SendMessageW(Handle(window), WM_GETICON, ICON_BIG, 0) != 0;
}

bool HasPicture(Window iconControl) {
    return SendMessageW(Handle(iconControl), STM_GETICON, 0, 0) != 0;
}

}  // namespace pomuru::test
