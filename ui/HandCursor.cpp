#include "ui/HandCursor.h"

namespace ui {
namespace {

// '.' transparent, 'X' black, 'o' white; rows and columns not drawn here
// are transparent.
constexpr const char* handPicture[] = {
    ".....XX..........", "....XooX.........", "....XooX.........", "....XooX.........",
    "....XooX.........", "....XooXXX.......", "....XooXooXXX....", "....XooXooXooXX..",
    "....XooXooXooXoX.", "XXX.XooXooXooXooX", "XooXXooooooooXooX", "XoooXoooooooooooX",
    ".XooXoooooooooooX", "..XoXoooooooooooX", "..XoooooooooooooX", "...XooooooooooooX",
    "...XoooooooooooX.", "....XooooooooooX.", "....XooooooooooX.", ".....XooooooooX..",
    ".....XooooooooX..", ".....XXXXXXXXXX..",
};

} // namespace

CursorPlanes handCursorPlanes() noexcept
{
    constexpr int bytesPerRow = handCursorSize / 8;
    CursorPlanes planes;
    planes.mask.fill(0xFF);
    int row = 0;
    for (const char* line : handPicture) {
        for (int column = 0; line[column] != '\0'; ++column) {
            const int index = row * bytesPerRow + column / 8;
            const auto bit = static_cast<std::uint8_t>(0x80u >> (column % 8));
            if (line[column] != '.') {
                planes.mask[index] = static_cast<std::uint8_t>(planes.mask[index] & ~bit);
            }
            if (line[column] == 'o') {
                planes.image[index] = static_cast<std::uint8_t>(planes.image[index] | bit);
            }
        }
        ++row;
    }
    return planes;
}

} // namespace ui
