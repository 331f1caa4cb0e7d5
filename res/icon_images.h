// The icon images, embedded in the program at build time from res/icons/.
#pragma once

#include <cstdint>
#include <span>

// IDR_MAINFRAME, PNG files: 32 × 32 and 16 × 16 pixels.
std::span<const std::uint8_t> MainframeIcon32();
std::span<const std::uint8_t> MainframeIcon16();
