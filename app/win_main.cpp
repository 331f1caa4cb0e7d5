// Process entry on Windows: the start-up code of a window program calls wWinMain, which hands
// the program's resources to the framework.
#include "framework/afx_win_main.h"
#include "res/cipher_resources.h"

// Declared as <windows.h> declares it; that header stays inside framework/win32/, away from
// the framework's names. The program reads no command line, and the dialog takes its first
// show state from the system.
struct HINSTANCE__;
extern "C" int __stdcall wWinMain(HINSTANCE__* /*instance*/, HINSTANCE__* /*previous*/,
                                  wchar_t* /*commandLine*/, int /*showCommand*/) {
    int argc = 0;
    char* argv[] = {nullptr};
    return AfxWinMain(argc, argv, CipherResources());
}
