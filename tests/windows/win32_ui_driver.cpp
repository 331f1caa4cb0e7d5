// Keys through SendInput, and what the screen shows through the window functions.
#include "windows/win32_ui_driver.h"

#include <windows.h>
// After <windows.h>, which they need.
#include <commdlg.h>
#include <shlobj.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <thread>

#include "base/utf16_text.h"

namespace pomuru::test {

namespace {

constexpr auto kStepTimeout = std::chrono::seconds(30);

HWND Handle(Window window) {
    return static_cast<HWND>(window);
}

INPUT KeyInput(WORD virtualKey, DWORD flags) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = flags;
    return input;
}

BOOL CALLBACK AddIfDialog(HWND window, LPARAM dialogs) {
    wchar_t name[16] = {};
    GetClassNameW(window, name, 16);
    if (IsWindowVisible(window) && std::wstring(name) == L"#32770") {
        reinterpret_cast<std::vector<Window>*>(dialogs)->push_back(window);
    }
    return TRUE;
}

void Send(std::vector<INPUT> inputs) {
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

}  // namespace

class KeyScript::Timer {
public:
    explicit Timer(KeyScript& script) {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = &Procedure;
        windowClass.lpszClassName = L"PomuruKeyScript";
        RegisterClassW(&windowClass);
        window_ = CreateWindowW(L"PomuruKeyScript", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                nullptr, nullptr);
        SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&script));
        SetTimer(window_, 1, 50, nullptr);
    }
    ~Timer() { DestroyWindow(window_); }

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* script = reinterpret_cast<KeyScript*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (message == WM_TIMER && script != nullptr) {
            script->Tick();
            return 0;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }

    HWND window_;
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
        if (!OpenDialogs().empty() && !IsMenuOpen()) {
            BringToFront(OpenDialogs().front());
        }
        Press(Key::Escape);
    } else if (next_ < steps_.size() && steps_[next_].ready()) {
        // Counted first: the action may open a modal loop that runs the next ticks.
        waitingSince_ = std::chrono::steady_clock::now();
        steps_[next_++].act();
    } else if (next_ < steps_.size() &&
               std::chrono::steady_clock::now() - waitingSince_ > kStepTimeout) {
        failure_ = "waited in vain: " + steps_[next_].what + "; open:";
        for (const Window dialog : OpenDialogs()) {
            failure_ += " \"" + TextOf(dialog) + "\"";
        }
    }
}

void Press(Key key, int times) {
    constexpr WORD kKeys[] = {VK_TAB, VK_RETURN, VK_ESCAPE, VK_SPACE, VK_UP};
    const WORD virtualKey = kKeys[static_cast<int>(key)];
    for (int i = 0; i < times; ++i) {
        Send({KeyInput(virtualKey, 0), KeyInput(virtualKey, KEYEVENTF_KEYUP)});
    }
}

void PressAltSpace() {
    Send({KeyInput(VK_MENU, 0), KeyInput(VK_SPACE, 0), KeyInput(VK_SPACE, KEYEVENTF_KEYUP),
          KeyInput(VK_MENU, KEYEVENTF_KEYUP)});
}

void Type(std::string_view text) {
    std::vector<INPUT> inputs;
    for (const wchar_t c : pomuru::WideFromUtf8(text)) {
        for (const DWORD flags : {KEYEVENTF_UNICODE, KEYEVENTF_UNICODE | KEYEVENTF_KEYUP}) {
            INPUT input = KeyInput(0, flags);
            input.ki.wScan = static_cast<WORD>(c);
            inputs.push_back(input);
        }
    }
    Send(std::move(inputs));
}

void SendCommandDuringClick(Window dialog, int button, int command) {
    // Waits until the click's handler answers what is sent, or gives up after a while.
    std::thread other([=] {
        SendMessageTimeoutW(Handle(dialog), WM_COMMAND, MAKEWPARAM(command, BN_CLICKED), 0,
                            SMTO_NORMAL, 10000, nullptr);
    });
    while ((HIWORD(GetQueueStatus(QS_SENDMESSAGE)) & QS_SENDMESSAGE) == 0) {
        Sleep(1);
    }
    SendMessageW(Handle(dialog), WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
    other.join();
}

void PostDrop(Window dialog, int control, const std::vector<std::string>& files) {
    RECT rect{};
    GetWindowRect(GetDlgItem(Handle(dialog), control), &rect);
    // The middle of the control, in the dialog's client coordinates.
    POINT point{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    ScreenToClient(Handle(dialog), &point);
    // DROPFILES, then each path and a second terminating zero; the receiver frees it.
    std::wstring paths;
    for (const std::string& file : files) {
        paths += pomuru::WideFromUtf8(file) + L'\0';
    }
    paths += L'\0';
    const HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + paths.size() * sizeof(wchar_t));
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    *drop = DROPFILES{sizeof(DROPFILES), point, FALSE, TRUE};
    std::memcpy(drop + 1, paths.data(), paths.size() * sizeof(wchar_t));
    GlobalUnlock(memory);
    PostMessageW(Handle(dialog), WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
}

std::string ControlTextOfProgram(const std::vector<std::string>& arguments,
                                 const std::string& caption, int control) {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    const auto program =
        std::filesystem::path(self).parent_path().parent_path() / "app" / "pomuru-cipher.exe";
    std::wstring commandLine = L"\"" + program.wstring() + L"\"";
    for (const std::string& argument : arguments) {
        commandLine += L" \"" + pomuru::WideFromUtf8(argument) + L"\"";
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    // One that does not start shows no text.
    CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                   &startup, &process);
    // The box is filled once the dialog's loop runs; asked of the other program's window.
    HWND dialog = nullptr;
    wchar_t text[1024] = {};
    for (int i = 0; i < 300 && text[0] == L'\0'; ++i) {
        Sleep(100);
        dialog = FindWindowW(L"#32770", pomuru::WideFromUtf8(caption).c_str());
        GetDlgItemTextW(dialog, control, text, 1024);
    }
    PostMessageW(dialog, WM_CLOSE, 0, 0);
    WaitForSingleObject(process.hProcess, 30000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return pomuru::Utf8FromWide(text);
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
        GetWindowTextW(Handle(window), text.data(), static_cast<int>(text.size()))));
    return pomuru::Utf8FromWide(text);
}

Window Item(Window dialog, int id) {
    return GetDlgItem(Handle(dialog), id);
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
    EnumThreadWindows(GetCurrentThreadId(), &AddIfDialog, reinterpret_cast<LPARAM>(&dialogs));
    return dialogs;
}

bool IsMenuOpen() {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    return GetGUIThreadInfo(GetCurrentThreadId(), &info) && (info.flags & GUI_INMENUMODE) != 0;
}

std::vector<std::string> SystemMenuTexts(Window window) {
    std::vector<std::string> texts;
    const HMENU menu = GetSystemMenu(Handle(window), FALSE);
    for (int i = 0; menu != nullptr && i < GetMenuItemCount(menu); ++i) {
        wchar_t text[256] = {};
        GetMenuStringW(menu, static_cast<UINT>(i), text, 256, MF_BYPOSITION);
        texts.push_back(pomuru::Utf8FromWide(text));
    }
    return texts;
}

bool HasTitleIcon(Window window) {
    return SendMessageW(Handle(window), WM_GETICON, ICON_SMALL, 0) != 0 &&
           SendMessageW(Handle(window), WM_GETICON, ICON_BIG, 0) != 0;
}

bool HasPicture(Window iconControl) {
    return SendMessageW(Handle(iconControl), STM_GETICON, 0, 0) != 0;
}

std::string ChooserFolder(Window chooser) {
    wchar_t folder[MAX_PATH] = {};
    SendMessageW(Handle(chooser), CDM_GETFOLDERPATH, MAX_PATH, reinterpret_cast<LPARAM>(folder));
    return pomuru::Utf8FromWide(folder);
}

bool IsCentredOn(Window window, Window around) {
    RECT frame{};
    RECT outer{};
    GetWindowRect(Handle(window), &frame);
    if (around != nullptr) {
        GetWindowRect(Handle(around), &outer);
    } else {
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &outer, 0);
    }
    return std::abs((frame.left + frame.right) - (outer.left + outer.right)) <= 2 &&
           std::abs((frame.top + frame.bottom) - (outer.top + outer.bottom)) <= 2;
}

}  // namespace pomuru::test
