#pragma once
// The pointing hand shown over a link, drawn here so that it looks the same
// on every system. Monochrome, in the platform's cursor format: two planes,
// row by row, 4 bytes a row, most significant bit first.

#include <array>
#include <cstdint>

namespace ui {

inline constexpr int handCursorSize = 32;     // pixels, square
inline constexpr int handCursorHotSpotX = 5;  // the fingertip
inline constexpr int handCursorHotSpotY = 0;

struct CursorPlanes {
    // Per pixel: mask 1 and image 0 is transparent, mask 0 takes the image
    // bit (0 black, 1 white).
    std::array<std::uint8_t, 128> mask{};
    std::array<std::uint8_t, 128> image{};
};

CursorPlanes handCursorPlanes() noexcept;

} // namespace ui
