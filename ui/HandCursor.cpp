#include "ui/HandCursor.h"

namespace ui {
namespace {

// '.' transparent, 'X' black, 'o' white, rows of pictureWidth; rows and
// columns not drawn here are transparent.
constexpr int pictureWidth = 17;
constexpr char handPicture[] = ".....XX.........."
                               "....XooX........."
                               "....XooX........."
                               "....XooX........."
                               "....XooX........."
                               "....XooXXX......."
                               "....XooXooXXX...."
                               "....XooXooXooXX.."
                               "....XooXooXooXoX."
                               "XXX.XooXooXooXooX"
                               "XooXXooooooooXooX"
                               "XoooXoooooooooooX"
                               ".XooXoooooooooooX"
                               "..XoXoooooooooooX"
                               "..XoooooooooooooX"
                               "...XooooooooooooX"
                               "...XoooooooooooX."
                               "....XooooooooooX."
                               "....XooooooooooX."
                               ".....XooooooooX.."
                               ".....XooooooooX.."
                               ".....XXXXXXXXXX..";
static_assert((sizeof handPicture - 1) % pictureWidth == 0, "whole rows");

} // namespace

CursorPlanes handCursorPlanes() noexcept
{
    constexpr int bytesPerRow = handCursorSize / 8;
    CursorPlanes planes;
    planes.mask.fill(0xFF);
    for (int pixel = 0; handPicture[pixel] != '\0'; ++pixel) {
        const int row = pixel / pictureWidth;
        const int column = pixel % pictureWidth;
        const int index = row * bytesPerRow + column / 8;
        const auto bit = static_cast<std::uint8_t>(0x80u >> (column % 8));
        if (handPicture[pixel] != '.') {
            planes.mask[index] = static_cast<std::uint8_t>(planes.mask[index] & ~bit);
        }
        if (handPicture[pixel] == 'o') {
            planes.image[index] = static_cast<std::uint8_t>(planes.image[index] | bit);
        }
    }
    return planes;
}

} // namespace ui
