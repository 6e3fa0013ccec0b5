#include "brand/IconFile.h"

#include "brand/LittleEndian.h"

#include <gtest/gtest.h>

namespace {

using brand::append16;
using brand::append32;

// A bitmap image as icons hold it: header, palette, colour rows, mask rows.
std::string bitmap(std::int32_t size, std::uint16_t bits, std::uint32_t compression = 0)
{
    std::string image;
    append32(image, 40);
    append32(image, static_cast<std::uint32_t>(size));
    append32(image, static_cast<std::uint32_t>(size * 2));
    append16(image, 1);
    append16(image, bits);
    append32(image, compression);
    image.append(20, '\0');
    const std::size_t palette = bits <= 8 ? (1u << bits) * 4 : 0;
    const std::size_t masks = compression == 3 ? 12 : 0;
    const std::size_t rows = static_cast<std::size_t>((size * bits + 31) / 32 * 4 + (size + 31) / 32 * 4) * size;
    return image + std::string(masks + palette + rows, '\x55');
}

std::string png(std::uint32_t size, char colourType)
{
    std::string image("\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR", 16);
    for (const std::uint32_t value : {size, size}) {
        for (int shift = 24; shift >= 0; shift -= 8) {
            image.push_back(static_cast<char>(value >> shift));
        }
    }
    return image + std::string{'\x08', colourType, 0, 0, 0} + "CRC!IDAT...";
}

struct Image {
    std::uint8_t width;
    std::uint16_t bitCount; // as the directory says
    std::string bytes;
};

std::string iconFile(const std::vector<Image>& images)
{
    std::string file;
    append16(file, 0);
    append16(file, 1);
    append16(file, static_cast<std::uint16_t>(images.size()));
    std::uint32_t offset = static_cast<std::uint32_t>(6 + 16 * images.size());
    std::string data;
    for (const Image& image : images) {
        file += std::string{static_cast<char>(image.width), static_cast<char>(image.width), 0, 0};
        append16(file, 1);
        append16(file, image.bitCount);
        append32(file, static_cast<std::uint32_t>(image.bytes.size()));
        append32(file, offset);
        offset += static_cast<std::uint32_t>(image.bytes.size());
        data += image.bytes;
    }
    return file + data;
}

TEST(IconFile, EveryImageBecomesAnIconOfTheGroup)
{
    const std::string file = iconFile({{16, 32, bitmap(16, 32)},
                                       {32, 0, bitmap(32, 4)},        // bits per pixel from the bitmap
                                       {0, 0, png(256, 6)},           // RGBA PNG: 32 bits
                                       {48, 0, bitmap(48, 16, 3)}});  // 16 bits, with its colour masks
    std::vector<brand::IconImage> images;
    std::string error;
    ASSERT_TRUE(brand::parseIconFile(file, images, error)) << error;
    ASSERT_EQ(images.size(), 4u);
    EXPECT_EQ(images[1].bitCount, 4);
    EXPECT_EQ(images[2].bitCount, 32);
    EXPECT_EQ(images[2].bytes, png(256, 6));
    EXPECT_EQ(images[3].bitCount, 16);

    const std::string group = brand::iconGroup(images, 7);
    ASSERT_EQ(group.size(), 6u + 4 * 14);
    EXPECT_EQ(group.substr(0, 6), std::string("\0\0\1\0\4\0", 6));
    // GRPICONDIRENTRY: the sizes, planes, bits, byte count, then the ID.
    std::string third{0, 0, 0, 0, 1, 0, 32, 0};
    append32(third, static_cast<std::uint32_t>(png(256, 6).size()));
    append16(third, 9);
    EXPECT_EQ(group.substr(6 + 2 * 14, 14), third);
}

TEST(IconFile, DamagedFilesAreNamedByWhatIsWrong)
{
    const std::string good = bitmap(16, 8);
    std::string overlapping = iconFile({{16, 8, good}});
    brand::write32(overlapping, 6 + 12, 4);
    std::string truncated = iconFile({{16, 8, good}});
    truncated.pop_back();
    std::string shared = iconFile({{16, 8, good}, {16, 8, good}});
    brand::write32(shared, 6 + 16 + 12, 6 + 32); // the second image is the first
    std::string negative = good;
    brand::write32(negative, 4, static_cast<std::uint32_t>(-16));
    const struct {
        std::string file;
        const char* error;
    } cases[] = {
        {"", "no icon directory at its start"},
        {std::string("\0\0\2\0\1\0", 6), "a cursor file, not an icon"},
        {std::string("\0\0\1\0\0\0", 6), "it holds no image"},
        {iconFile({{16, 8, good}}).substr(0, 21), "its directory of 1 images is cut short"},
        {overlapping, "image 1 of 1 (16x16) lies outside the file"},
        {truncated, "image 1 of 1 (16x16) lies outside the file"},
        {iconFile({{16, 8, good}, {32, 8, ""}}), "image 2 of 2 (32x32) is empty"},
        {shared, "two of its images overlap"},
        {iconFile({{16, 8, good.substr(0, good.size() - 1)}}), "image 1 of 1 (16x16) is cut short"},
        {iconFile({{16, 8, good.substr(0, 39)}}), "image 1 of 1 (16x16) has no bitmap header"},
        {iconFile({{16, 3, bitmap(16, 3)}}), "image 1 of 1 (16x16) has a bitmap of 3 bits per pixel"},
        {iconFile({{16, 8, bitmap(16, 8, 1)}}), "image 1 of 1 (16x16) has a compressed bitmap"},
        {iconFile({{16, 8, negative}}), "image 1 of 1 (16x16) has a bitmap header of impossible size"},
        {iconFile({{0, 32, png(256, 6).substr(0, 28)}}), "image 1 of 1 (256x256) is a PNG without its header"},
        {iconFile({{0, 32, png(0, 6)}}), "image 1 of 1 (256x256) is a PNG of no pixels"},
    };
    for (const auto& c : cases) {
        std::vector<brand::IconImage> images(1);
        std::string error;
        EXPECT_FALSE(brand::parseIconFile(c.file, images, error)) << c.error;
        EXPECT_EQ(error, std::string("damaged icon file: ") + c.error);
        EXPECT_EQ(images.size(), 1u);
    }
}

} // namespace
