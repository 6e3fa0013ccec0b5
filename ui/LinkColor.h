#pragma once
// Link colours as the user's browser settings write them: three decimal
// numbers separated by commas, such as "0,128,255".

#include <cstdint>
#include <optional>
#include <string_view>

namespace ui {

struct Rgb {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    friend bool operator==(const Rgb& a, const Rgb& b)
    {
        return a.red == b.red && a.green == b.green && a.blue == b.blue;
    }
};

inline constexpr Rgb defaultLinkColor{0, 0, 255};
inline constexpr Rgb defaultVisitedColor{128, 0, 128};

// Red and green each end at a comma (found character by character in the
// ANSI code page); blue is the rest, read up to its first non-digit. Each
// number is read as the C library reads decimals (leading blanks, a sign,
// digits; none give 0) and reduced to its low 8 bits. Nothing when red or
// green is missing or reads as -1, or nothing follows the second comma.
std::optional<Rgb> parseColorText(std::string_view text) noexcept;

} // namespace ui
