// CMenu: the items a program adds to a window menu, shown after the window system's own.
#pragma once

#include <string>
#include <vector>

#include "framework/win_defs.h"

class CMenu {
public:
    struct Item {
        unsigned flags = MF_STRING;  // MF_STRING or MF_SEPARATOR
        unsigned id = 0;             // the command the item sends; 0 for separators
        std::string text;            // "&" marks the access key, "&&" is one "&"
    };

    // Adds an item at the end: a separator (MF_SEPARATOR), or a text item (MF_STRING) that sends
    // its id. A text item without text is refused (false).
    bool AppendMenu(unsigned nFlags, unsigned nIDNewItem = 0, const std::string& lpszNewItem = {});
    const std::vector<Item>& Items() const { return items_; }

private:
    std::vector<Item> items_;
};
