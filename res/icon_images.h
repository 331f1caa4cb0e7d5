// The icon images, embedded in the program at build time from res/icons/.
#pragma once

#include <cstdint>
#include <span>

// IDR_MAINFRAME, a PNG file.
std::span<const std::uint8_t> MainframeIconImage();
