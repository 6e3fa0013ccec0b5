#include "brand/PeImage.h"

#include "brand/Checksum.h"

#include "BrandImage.h"

#include <gtest/gtest.h>

namespace {

using brand::PeImage;
using brandtest::Section;

TEST(Checksum, WordsWithEndAroundCarryPlusTheLength)
{
    const struct {
        std::string file;
        std::size_t skipped;
        std::uint32_t sum;
    } cases[] = {
        {"", 0, 0},
        {std::string("\x01\x02\x03", 3), 8, 0x0201 + 0x0003 + 3},
        {std::string("\xFF\xFF\x02\x00", 4), 8, 0x0002 + 4},                      // 0x10001 folds to 2
        {std::string("\xFF\xFF\xAA\xAA\xBB\xBB\x02\x00", 8), 2, 0x0002 + 8},      // 4 bytes at 2 left out
    };
    for (const auto& c : cases) {
        EXPECT_EQ(brand::imageChecksum(c.file, c.skipped), c.sum) << c.file.size();
    }
}

PeImage read(const std::string& file)
{
    PeImage image;
    std::string error;
    EXPECT_TRUE(brand::readPeImage(file, image, error)) << error;
    return image;
}

TEST(PeImage, ResourcesGrowInPlaceAndTheDiscardableSectionsBehindMoveUp)
{
    const std::string file = brandtest::launcherImage() + "overlay, such as a signature";
    const PeImage image = read(file);
    ASSERT_EQ(image.resourceSection, 1u);
    const brand::ResourcePlacement placement = brand::placeResources(image);
    EXPECT_TRUE(placement.inPlace);
    EXPECT_EQ(placement.address, 0x2000u);

    const std::string resources(0x1234, 'r');
    std::string out, error;
    ASSERT_TRUE(brand::replaceResources(file, image, placement, resources, out, error)) << error;
    const PeImage result = read(out);
    ASSERT_EQ(result.sections.size(), 3u);
    EXPECT_EQ(result.sections[0].pointerToRawData, 0x200u);
    EXPECT_EQ(out.substr(0x400, 0x1234), resources);
    EXPECT_EQ(result.sections[1].virtualSize, 0x1234u);
    EXPECT_EQ(result.sections[1].sizeOfRawData, 0x1400u);
    EXPECT_EQ(result.sections[2].virtualAddress, 0x4000u); // 0x2000 + 0x1234, aligned
    EXPECT_EQ(result.sections[2].pointerToRawData, 0x1800u);
    EXPECT_EQ(out.substr(0x1800, 6), "relocs");
    EXPECT_EQ(out.size(), 0x1A00u); // the overlay is gone
    EXPECT_EQ(result.directories[brand::directory::resources].size, 0x1234u);
    EXPECT_EQ(result.directories[brand::directory::relocations].address, 0x4000u);
    EXPECT_EQ(brand::read32(out, image.optionalHeader + 56), 0x5000u); // SizeOfImage
    // SizeOfInitializedData grew as the section's data did.
    EXPECT_EQ(brand::read32(out, image.optionalHeader + 8), 0x1400u - image.sections[1].sizeOfRawData);
    EXPECT_EQ(brand::read32(out, image.optionalHeader + 64), brand::imageChecksum(out, image.optionalHeader + 64));
    EXPECT_EQ(out.substr(0x200, 0x200), file.substr(0x200, 0x200));
}

TEST(PeImage, ResourcesBeforeALoadedSectionGoToANewLastSection)
{
    const std::string file = brandtest::peImage(
        {{".text", 0x60000020, "code"}, {".rsrc", brandtest::readOnlyData, ""}, {".data", 0xC0000040, "data"}},
        brandtest::launcherResources());
    const PeImage image = read(file);
    const brand::ResourcePlacement placement = brand::placeResources(image);
    EXPECT_FALSE(placement.inPlace);
    EXPECT_EQ(placement.address, 0x4000u);
    std::string out, error;
    ASSERT_TRUE(brand::replaceResources(file, image, placement, std::string(0x300, 'r'), out, error)) << error;
    const PeImage result = read(out);
    ASSERT_EQ(result.sections.size(), 4u);
    EXPECT_EQ(out.substr(0x200, 0x800), file.substr(0x200, 0x800)); // every section where it was
    EXPECT_EQ(std::string(result.sections[3].name.data(), 5), ".rsrc");
    EXPECT_EQ(result.sections[3].virtualAddress, 0x4000u);
    EXPECT_EQ(result.sections[3].pointerToRawData, 0xA00u);
    EXPECT_EQ(result.sections[3].sizeOfRawData, 0x400u);
    EXPECT_EQ(result.directories[brand::directory::resources].address, 0x4000u);
    EXPECT_EQ(brand::read32(out, image.optionalHeader + 56), 0x5000u);
}

TEST(PeImage, NoRoomForAnotherSectionHeader)
{
    std::string file = brandtest::peImage({{".rsrc", brandtest::readOnlyData, ""}, {".data", 0xC0000040, "d"}},
                                          brandtest::launcherResources());
    file[0x58 + 240 + 80] = 'x'; // something lives after the section table
    const PeImage image = read(file);
    std::string out = "untouched", error;
    EXPECT_FALSE(brand::replaceResources(file, image, brand::placeResources(image), "r", out, error));
    EXPECT_EQ(error, "the executable's headers have no room for another section");
    EXPECT_EQ(out, "untouched");
}

TEST(PeImage, WhatIsNotOneIsNamed)
{
    const std::string good = brandtest::launcherImage();
    auto with32 = [&](std::size_t at, std::uint32_t value) {
        std::string bytes = good;
        brand::write32(bytes, at, value);
        return bytes;
    };
    const std::size_t table = 0x58 + 240;
    const struct {
        std::string file;
        const char* error;
    } cases[] = {
        {"", "not a Windows executable"},
        {"MZ" + std::string(0x3E, '\0'), "not a Windows executable"},
        {with32(0x3C, 0xFFFFFFF0), "not a Windows executable"},
        {with32(0x54, 0x2022 << 16 | 240), "not a Windows program (a library or an object file)"},
        {with32(0x58, 0x10C), "damaged Windows executable: an optional header of unknown kind"},
        {with32(0x58 + 32, 0x1001), "damaged Windows executable: alignments that are not powers of two"},
        {with32(0x58 + 60, 0x100), "damaged Windows executable: its section table lies outside the headers"},
        {with32(table + 40 + 20, 0x100000),
         "damaged Windows executable: a section's data lies outside the file or in its headers"},
        {with32(table + 40 + 16, 0x201), "damaged Windows executable: a section's data is not aligned"},
        {with32(table + 40 + 12, 0x1800), "damaged Windows executable: its sections overlap or are out of order"},
        {with32(table + 80 + 8, 0x7FFFF000), "damaged Windows executable: its sections reach past 2 GiB"},
        {with32(0x58 + 112 + 16 + 4, 0), "a Windows program without resources, so not one of our launchers"},
        {with32(0x58 + 112 + 16, 0x2800),
         "damaged Windows executable: its resource directory lies outside its sections' data"},
    };
    for (const auto& c : cases) {
        PeImage image;
        image.machine = 7;
        std::string error;
        EXPECT_FALSE(brand::readPeImage(c.file, image, error)) << c.error;
        EXPECT_EQ(error, c.error);
        EXPECT_EQ(image.machine, 7);
    }
}

} // namespace
