// Appending items to a menu.
#include "framework/menu.h"

bool CMenu::AppendMenu(unsigned nFlags, unsigned nIDNewItem, const std::string& lpszNewItem) {
    if (nFlags & MF_SEPARATOR) {
        items_.push_back({MF_SEPARATOR, 0, {}});
        return true;
    }
    if (lpszNewItem.empty()) {
        return false;
    }
    items_.push_back({MF_STRING, nIDNewItem, lpszNewItem});
    return true;
}
