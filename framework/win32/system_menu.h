// The program's items in a window's real system menu, after the system's own.
#pragma once

#include <windows.h>

#include <vector>

#include "framework/backend.h"

namespace afx_win32 {

class SystemMenu {
public:
    // The window's system menu as the system made it; its items stay first.
    explicit SystemMenu(HWND window);

    // Makes the program's items those given, replacing those shown before.
    void ShowItems(const std::vector<afx_backend::MenuItem>& items);
    // Whether a WM_SYSCOMMAND id is one of the program's items; the system keeps the id's low
    // four bits for itself, so they are not compared.
    bool IsProgramCommand(WPARAM command) const;

private:
    HMENU menu_;
    int systemItemCount_;
    std::vector<afx_backend::MenuItem> shown_;
};

}  // namespace afx_win32
