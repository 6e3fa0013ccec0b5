// The link's colours as the browser settings write them, and its hand
// cursor.

#include "ui/HandCursor.h"
#include "ui/LinkColor.h"

#include "ShiftJis.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace {

struct ColorRow {
    std::string text;
    std::optional<ui::Rgb> expected;
};

void expectRows(const std::initializer_list<ColorRow>& rows)
{
    for (const ColorRow& row : rows) {
        const std::optional<ui::Rgb> got = ui::parseColorText(row.text);
        ASSERT_EQ(got.has_value(), row.expected.has_value()) << '"' << row.text << '"';
        if (got) {
            EXPECT_EQ(+got->red, +row.expected->red) << row.text;
            EXPECT_EQ(+got->green, +row.expected->green) << row.text;
            EXPECT_EQ(+got->blue, +row.expected->blue) << row.text;
        }
    }
}

TEST(ParseColorText, ThreeNumbersMakeAColour)
{
    expectRows({
        {"0,128,255", ui::Rgb{0, 128, 255}},
        {"255,255,255", ui::Rgb{255, 255, 255}},
        // Blanks before a number are skipped; the caller's 12-byte buffer,
        // not the parser, is what keeps this text out.
        {"255, 255, 255", ui::Rgb{255, 255, 255}},
        {" 10,20,30", ui::Rgb{10, 20, 30}},
        {"+7,8,9", ui::Rgb{7, 8, 9}},
    });
}

TEST(ParseColorText, MissingRedOrGreenRejects)
{
    expectRows({
        {"", std::nullopt},
        {"0", std::nullopt},
        {"0,0", std::nullopt},
        {"1,2,", std::nullopt}, // nothing after the second comma
        {",", std::nullopt},
        {",,", std::nullopt},
        // -1 is indistinguishable from a missing component.
        {"-1,0,0", std::nullopt},
        {"0,-1,0", std::nullopt},
        {" -1,0,0", std::nullopt},
    });
}

TEST(ParseColorText, NumbersAreReadAsTheCLibraryReadsThem)
{
    expectRows({
        {"0,0,-1", ui::Rgb{0, 0, 255}}, // blue may be -1
        {"300,0,0", ui::Rgb{44, 0, 0}},  // low 8 bits
        {"0,-2,0", ui::Rgb{0, 254, 0}},
        {"1,2,3,4", ui::Rgb{1, 2, 3}},  // blue stops at the third comma
        {",,5", ui::Rgb{0, 0, 5}},      // no digits read as 0
        {"a,b,c", ui::Rgb{0, 0, 0}},
        {"12px,3 4,5;", ui::Rgb{12, 3, 5}},
        {"1,2, ", ui::Rgb{1, 2, 0}},    // something is left, if only a blank
        {"99999999999,0,0", ui::Rgb{255, 0, 0}}, // held at the 32-bit maximum
    });
}

using ParseColorTextShiftJis = ShiftJisTest;

TEST_F(ParseColorTextShiftJis, CommaAfterALeadByteIsPartOfThatCharacter)
{
    // 0x81 starts a double-byte character that swallows the first comma, so
    // red reads "\x81,2" (0), green "3" and blue "4".
    expectRows({
        {"\x81,2,3,4", ui::Rgb{0, 3, 4}},
        {"\x81,2,3", std::nullopt},
    });
}

struct PlaneRow {
    int row;
    std::array<std::uint8_t, 4> mask;
    std::array<std::uint8_t, 4> image;
};

TEST(HandCursorPlanes, RowsInTheMonochromeCursorFormat)
{
    // Worked out by hand from the picture: mask 0 where the hand is drawn,
    // image 1 where it is white, most significant bit the leftmost pixel.
    const std::vector<PlaneRow> rows = {
        {0, {0xF9, 0xFF, 0xFF, 0xFF}, {0x00, 0x00, 0x00, 0x00}},  // the fingertip, black at the hot spot
        {1, {0xF0, 0xFF, 0xFF, 0xFF}, {0x06, 0x00, 0x00, 0x00}},
        {9, {0x10, 0x00, 0x7F, 0xFF}, {0x06, 0xDB, 0x00, 0x00}},
        {10, {0x00, 0x00, 0x7F, 0xFF}, {0x67, 0xFB, 0x00, 0x00}},
        {21, {0xF8, 0x01, 0xFF, 0xFF}, {0x00, 0x00, 0x00, 0x00}},
        {22, {0xFF, 0xFF, 0xFF, 0xFF}, {0x00, 0x00, 0x00, 0x00}}, // below the picture: transparent
        {31, {0xFF, 0xFF, 0xFF, 0xFF}, {0x00, 0x00, 0x00, 0x00}},
    };
    const ui::CursorPlanes planes = ui::handCursorPlanes();
    for (const PlaneRow& row : rows) {
        for (int byte = 0; byte < 4; ++byte) {
            EXPECT_EQ(+planes.mask[row.row * 4 + byte], +row.mask[byte]) << "row " << row.row << " byte " << byte;
            EXPECT_EQ(+planes.image[row.row * 4 + byte], +row.image[byte]) << "row " << row.row << " byte " << byte;
        }
    }
    // No pixel is both transparent and white (that would invert the screen).
    for (std::size_t i = 0; i < planes.mask.size(); ++i) {
        EXPECT_EQ(planes.mask[i] & planes.image[i], 0) << "byte " << i;
    }
}

} // namespace
