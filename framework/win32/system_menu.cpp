// The window's system menu: the program's items appended, and replaced when they change.
#include "framework/win32/system_menu.h"

#include <algorithm>

#include "base/utf16_text.h"

namespace afx_win32 {

namespace {

bool SameItems(const std::vector<afx_backend::MenuItem>& a,
               const std::vector<afx_backend::MenuItem>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](const afx_backend::MenuItem& x, const afx_backend::MenuItem& y) {
                          return x.separator == y.separator && x.id == y.id && x.text == y.text;
                      });
}

constexpr WPARAM kSystemBits = 0x000F;

}  // namespace

SystemMenu::SystemMenu(HWND window)
    : menu_(GetSystemMenu(window, FALSE)),
      systemItemCount_(menu_ != nullptr ? std::max(GetMenuItemCount(menu_), 0) : 0) {}

void SystemMenu::ShowItems(const std::vector<afx_backend::MenuItem>& items) {
    if (menu_ == nullptr || SameItems(items, shown_)) {
        return;
    }
    while (GetMenuItemCount(menu_) > systemItemCount_) {
        if (!DeleteMenu(menu_, static_cast<UINT>(systemItemCount_), MF_BYPOSITION)) {
            break;
        }
    }
    shown_.clear();
    for (const afx_backend::MenuItem& item : items) {
        const bool appended = item.separator ? AppendMenuW(menu_, MF_SEPARATOR, 0, nullptr)
                                             : AppendMenuW(menu_, MF_STRING, item.id,
                                                           pomuru::WideFromUtf8(item.text).c_str());
        if (appended) {
            shown_.push_back(item);
        }
    }
}

bool SystemMenu::IsProgramCommand(WPARAM command) const {
    return std::any_of(shown_.begin(), shown_.end(), [command](const afx_backend::MenuItem& item) {
        return !item.separator && (item.id & ~kSystemBits) == (command & ~kSystemBits);
    });
}

}  // namespace afx_win32
