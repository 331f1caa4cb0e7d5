// Icons from the program file's icon groups, or decoded from PNG files by the system.
#include "framework/win32/icon_image.h"

#include <algorithm>
#include <climits>
#include <memory>

namespace afx_backend {

namespace {

// The width a PNG file declares in its header chunk; 0 for what is not a PNG file.
int PngWidth(const std::vector<std::uint8_t>& png) {
    constexpr std::uint8_t kSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    constexpr std::size_t kWidthOffset = 16;  // signature, chunk length, "IHDR"
    if (png.size() < kWidthOffset + 4 ||
        !std::equal(std::begin(kSignature), std::end(kSignature), png.begin())) {
        return 0;
    }
    std::uint32_t width = 0;
    for (std::size_t i = kWidthOffset; i < kWidthOffset + 4; ++i) {
        width = (width << 8) | png[i];
    }
    return width <= INT_MAX ? static_cast<int>(width) : 0;
}

// The version of the icon format that CreateIconFromResourceEx is asked to read.
constexpr DWORD kIconFormatVersion = 0x00030000;

afx_win32::UniqueIcon DecodePng(const std::vector<std::uint8_t>& png, int pixels) {
    if (png.size() > static_cast<std::size_t>(ULONG_MAX)) {
        return {};
    }
    // The call reads the bytes only; its parameter is not const for historical reasons.
    auto* bytes = const_cast<std::uint8_t*>(png.data());
    return afx_win32::UniqueIcon(CreateIconFromResourceEx(bytes, static_cast<DWORD>(png.size()),
                                                          TRUE, kIconFormatVersion, pixels, pixels,
                                                          LR_DEFAULTCOLOR));
}

}  // namespace

afx_win32::UniqueIcon IconImage::Create(int pixels) const {
    return module_ != nullptr ? FromModule(pixels) : FromPngs(pixels);
}

afx_win32::UniqueIcon IconImage::FromModule(int pixels) const {
    // The system picks the group's nearest image and scales it if need be.
    return afx_win32::UniqueIcon(static_cast<HICON>(LoadImageW(
        module_, MAKEINTRESOURCEW(resourceId_), IMAGE_ICON, pixels, pixels, LR_DEFAULTCOLOR)));
}

// The smallest image at least that large, else the largest: scaling down keeps it sharper.
afx_win32::UniqueIcon IconImage::FromPngs(int pixels) const {
    const std::vector<std::uint8_t>* best = nullptr;
    int bestWidth = 0;
    for (const auto& png : pngs_) {
        const int width = PngWidth(png);
        const bool better = best == nullptr || (bestWidth < pixels && width > bestWidth) ||
                            (width >= pixels && width < bestWidth);
        if (width > 0 && better) {
            best = &png;
            bestWidth = width;
        }
    }
    return best != nullptr ? DecodePng(*best, pixels) : afx_win32::UniqueIcon();
}

IconPtr IconFromPngs(std::span<const std::span<const std::uint8_t>> images) {
    std::vector<std::vector<std::uint8_t>> pngs;
    for (const auto image : images) {
        std::vector<std::uint8_t> png(image.begin(), image.end());
        const int width = PngWidth(png);
        if (width > 0 && DecodePng(png, width)) {
            pngs.push_back(std::move(png));
        }
    }
    if (pngs.empty()) {
        return nullptr;
    }
    return std::make_shared<const IconImage>(std::move(pngs));
}

IconPtr IconFromProgramFile(unsigned resourceId) {
    const HMODULE program = GetModuleHandleW(nullptr);
    if (resourceId > 0xFFFF ||
        FindResourceW(program, MAKEINTRESOURCEW(resourceId), RT_GROUP_ICON) == nullptr) {
        return nullptr;
    }
    return std::make_shared<const IconImage>(program, resourceId);
}

}  // namespace afx_backend
