// HICON: a loaded icon, shared by copies, opaque to the program.
#pragma once

#include <memory>
#include <utility>

namespace afx_backend {
class IconImage;
}

class IconHandle {
public:
    IconHandle() = default;  // no icon
    explicit IconHandle(std::shared_ptr<const afx_backend::IconImage> image)
        : image_(std::move(image)) {}

    explicit operator bool() const { return image_ != nullptr; }
    // For the framework's window code.
    const std::shared_ptr<const afx_backend::IconImage>& Image() const { return image_; }

private:
    std::shared_ptr<const afx_backend::IconImage> image_;
};

using HICON = IconHandle;
