#pragma once
// An icon file (.ico): a directory of images, each a device-independent
// bitmap or a PNG, which become the RT_ICON resources of one icon group.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace brand {

struct IconImage {
    std::uint8_t width = 0;  // 0 stands for 256 (or more)
    std::uint8_t height = 0;
    std::uint8_t colorCount = 0;
    std::uint16_t planes = 0;
    std::uint16_t bitCount = 0;  // taken from the image when the directory says 0
    std::string_view bytes;      // the image, within the file's bytes
};

// Reads the directory and checks every image: within the file, apart from
// the others, and either a PNG with its header or a bitmap whose header,
// colours and masks all lie within its bytes. `images` point into `file`. On failure `images` is left
// untouched and `error` says which image is damaged and how.
[[nodiscard]] bool parseIconFile(std::string_view file, std::vector<IconImage>& images, std::string& error);

// The RT_GROUP_ICON data that names the images as the icons `firstId`,
// `firstId` + 1, ...
std::string iconGroup(const std::vector<IconImage>& images, std::uint16_t firstId);

} // namespace brand
