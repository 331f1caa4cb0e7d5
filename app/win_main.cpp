// Process entry on Windows: the start-up code of a window program calls wWinMain, which hands
// the command line in UTF-8 and the program's resources to the framework.
#include <cstdlib>
#include <string>
#include <vector>

#include "base/utf16_text.h"
#include "framework/afx_win_main.h"
#include "res/cipher_resources.h"

// Declared as <windows.h> declares it; that header stays inside framework/win32/, away from
// the framework's names. The C runtime has split the command line into __wargv already; the
// dialog takes its first show state from the system.
struct HINSTANCE__;
extern "C" int __stdcall wWinMain(HINSTANCE__* /*instance*/, HINSTANCE__* /*previous*/,
                                  wchar_t* /*commandLine*/, int /*showCommand*/) {
    std::vector<std::string> arguments;
    for (int i = 0; i < __argc && __wargv != nullptr; ++i) {
        arguments.push_back(pomuru::Utf8FromWide(__wargv[i]));
    }
    std::vector<char*> argv;
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    int argc = static_cast<int>(arguments.size());
    return AfxWinMain(argc, argv.data(), CipherResources());
}
