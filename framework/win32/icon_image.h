// The image behind an HICON on Windows: an icon group of the program file, or PNG images, made
// into an icon handle at the size each place needs.
#pragma once

#include <windows.h>

#include <cstdint>
#include <utility>
#include <vector>

#include "framework/backend.h"

namespace afx_win32 {

// An icon handle that this program made, destroyed with the object.
class UniqueIcon {
public:
    UniqueIcon() = default;
    explicit UniqueIcon(HICON icon) : icon_(icon) {}
    ~UniqueIcon() { Reset(); }
    UniqueIcon(UniqueIcon&& other) noexcept : icon_(std::exchange(other.icon_, nullptr)) {}
    UniqueIcon& operator=(UniqueIcon&& other) noexcept {
        if (this != &other) {
            Reset();
            icon_ = std::exchange(other.icon_, nullptr);
        }
        return *this;
    }

    HICON Get() const { return icon_; }
    explicit operator bool() const { return icon_ != nullptr; }

private:
    void Reset() {
        if (icon_ != nullptr) {
            DestroyIcon(icon_);
            icon_ = nullptr;
        }
    }

    HICON icon_ = nullptr;
};

}  // namespace afx_win32

namespace afx_backend {

class IconImage {
public:
    // The icon group resource of that id in a module that stays loaded.
    IconImage(HMODULE module, unsigned resourceId) : module_(module), resourceId_(resourceId) {}
    // PNG files, one per size.
    explicit IconImage(std::vector<std::vector<std::uint8_t>> pngs) : pngs_(std::move(pngs)) {}

    // A new icon handle of that many pixels square, drawn from the nearest size the icon has;
    // empty when it cannot be made.
    afx_win32::UniqueIcon Create(int pixels) const;

private:
    afx_win32::UniqueIcon FromModule(int pixels) const;
    afx_win32::UniqueIcon FromPngs(int pixels) const;

    HMODULE module_ = nullptr;
    unsigned resourceId_ = 0;
    std::vector<std::vector<std::uint8_t>> pngs_;
};

}  // namespace afx_backend
