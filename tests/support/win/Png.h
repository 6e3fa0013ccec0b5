#pragma once
// Screenshots for the reviewer: pixels read from the screen, saved as PNG.

#include <cstdint>
#include <string>
#include <vector>

struct Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels; // 0x00RRGGBB, row by row from the top

    std::uint32_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
    // Counts the pixels of exactly `rgb` in [x0, x1) x [y0, y1).
    int count(std::uint32_t rgb, int x0, int y0, int x1, int y1) const;
};

inline std::uint32_t rgb(int r, int g, int b)
{
    return static_cast<std::uint32_t>(r) << 16 | static_cast<std::uint32_t>(g) << 8 | static_cast<std::uint32_t>(b);
}

// An 8-bit RGB PNG with uncompressed (stored) deflate blocks.
std::string encodePng(const Image& image);
