#include "brand/IconFile.h"

#include "brand/LittleEndian.h"

#include <algorithm>

namespace brand {

namespace {

constexpr std::size_t directorySize = 6;
constexpr std::size_t fileEntrySize = 16;
constexpr std::string_view pngSignature{"\x89PNG\r\n\x1A\n", 8};

std::uint32_t readBigEndian32(std::string_view bytes, std::size_t at)
{
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
    }
    return value;
}

// A PNG image: the signature, then the IHDR chunk first, as the format
// requires; its bit depth and colour type give the bits per pixel. `problem`
// stays empty when the image is sound.
void checkPng(std::string_view image, IconImage& icon, std::string& problem)
{
    if (image.size() < 8 + 8 + 13 || image.substr(12, 4) != "IHDR" || readBigEndian32(image, 8) != 13) {
        problem = "is a PNG without its header";
        return;
    }
    if (readBigEndian32(image, 16) == 0 || readBigEndian32(image, 20) == 0) {
        problem = "is a PNG of no pixels";
        return;
    }
    const unsigned depth = static_cast<unsigned char>(image[24]);
    const unsigned colourType = static_cast<unsigned char>(image[25]);
    const unsigned channels = colourType == 2 ? 3 : colourType == 4 ? 2 : colourType == 6 ? 4 : 1;
    if (icon.bitCount == 0) {
        icon.bitCount = static_cast<std::uint16_t>(depth * channels);
        icon.planes = 1;
    }
}

// A bitmap as icons store it: a BITMAPINFOHEADER (or a later, longer
// version), the colour table, the colour bits, then the one-bit mask; the
// header's height counts both. `problem` stays empty when it is sound.
void checkBitmap(std::string_view image, IconImage& icon, std::string& problem)
{
    if (image.size() < 40 || read32(image, 0) < 40 || read32(image, 0) > image.size()) {
        problem = "has no bitmap header";
        return;
    }
    const std::uint32_t headerSize = read32(image, 0);
    const auto width = static_cast<std::int32_t>(read32(image, 4));
    const auto height = static_cast<std::int32_t>(read32(image, 8));
    const std::uint16_t planes = read16(image, 12);
    const std::uint16_t bits = read16(image, 14);
    const std::uint32_t compression = read32(image, 16);
    const std::uint32_t coloursUsed = read32(image, 32);
    if (width <= 0 || width > 4096 || height <= 0 || height > 8192 || height % 2 != 0 || planes != 1) {
        problem = "has a bitmap header of impossible size";
        return;
    }
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) {
        problem = "has a bitmap of " + std::to_string(bits) + " bits per pixel";
        return;
    }
    // BI_RGB, or BI_BITFIELDS with its three masks after a short header.
    if (compression != 0 && !(compression == 3 && (bits == 16 || bits == 32))) {
        problem = "has a compressed bitmap";
        return;
    }
    const std::uint64_t masks = compression == 3 && headerSize == 40 ? 12 : 0;
    const std::uint64_t colours = coloursUsed != 0 ? coloursUsed : bits <= 8 ? (1u << bits) : 0;
    const std::uint64_t rows = static_cast<std::uint64_t>(height) / 2;
    const std::uint64_t colourRow = (static_cast<std::uint64_t>(width) * bits + 31) / 32 * 4;
    const std::uint64_t maskRow = (static_cast<std::uint64_t>(width) + 31) / 32 * 4;
    if (colours > 65536 || headerSize + masks + colours * 4 + (colourRow + maskRow) * rows > image.size()) {
        problem = "is cut short";
        return;
    }
    if (icon.bitCount == 0) {
        icon.bitCount = bits;
        icon.planes = 1;
    }
}

} // namespace

bool parseIconFile(std::string_view file, std::vector<IconImage>& images, std::string& error)
{
    if (file.size() < directorySize || read16(file, 0) != 0 || read16(file, 2) != 1) {
        error = file.size() >= directorySize && read16(file, 0) == 0 && read16(file, 2) == 2
                    ? "damaged icon file: a cursor file, not an icon"
                    : "damaged icon file: no icon directory at its start";
        return false;
    }
    const std::size_t count = read16(file, 4);
    if (count == 0) {
        error = "damaged icon file: it holds no image";
        return false;
    }
    if (!fits(file.size(), directorySize, count * fileEntrySize)) {
        error = "damaged icon file: its directory of " + std::to_string(count) + " images is cut short";
        return false;
    }
    std::vector<IconImage> found;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t entry = directorySize + i * fileEntrySize;
        IconImage icon;
        icon.width = static_cast<std::uint8_t>(file[entry]);
        icon.height = static_cast<std::uint8_t>(file[entry + 1]);
        icon.colorCount = static_cast<std::uint8_t>(file[entry + 2]);
        icon.planes = read16(file, entry + 4);
        icon.bitCount = read16(file, entry + 6);
        const std::uint32_t size = read32(file, entry + 8);
        const std::uint32_t offset = read32(file, entry + 12);
        std::string problem;
        if (size == 0) {
            problem = "is empty";
        } else if (offset < directorySize + count * fileEntrySize || !fits(file.size(), offset, size)) {
            problem = "lies outside the file";
        } else {
            icon.bytes = file.substr(offset, size);
            if (icon.bytes.substr(0, pngSignature.size()) == pngSignature) {
                checkPng(icon.bytes, icon, problem);
            } else {
                checkBitmap(icon.bytes, icon, problem);
            }
        }
        if (!problem.empty()) {
            const int w = icon.width == 0 ? 256 : icon.width, h = icon.height == 0 ? 256 : icon.height;
            error = "damaged icon file: image " + std::to_string(i + 1) + " of " + std::to_string(count) + " (" +
                    std::to_string(w) + "x" + std::to_string(h) + ") " + problem;
            return false;
        }
        found.push_back(icon);
    }
    // Images that share bytes are no icon file's (and many could make a small
    // file take much memory once each is a resource of its own).
    std::vector<std::string_view> byPlace(found.size());
    std::transform(found.begin(), found.end(), byPlace.begin(), [](const IconImage& i) { return i.bytes; });
    std::sort(byPlace.begin(), byPlace.end(),
              [](std::string_view a, std::string_view b) { return a.data() < b.data(); });
    for (std::size_t i = 1; i < byPlace.size(); ++i) {
        if (byPlace[i - 1].data() + byPlace[i - 1].size() > byPlace[i].data()) {
            error = "damaged icon file: two of its images overlap";
            return false;
        }
    }
    images.swap(found);
    return true;
}

std::string iconGroup(const std::vector<IconImage>& images, std::uint16_t firstId)
{
    std::string group;
    append16(group, 0);
    append16(group, 1);
    append16(group, static_cast<std::uint16_t>(images.size()));
    for (std::size_t i = 0; i < images.size(); ++i) {
        const IconImage& icon = images[i];
        group.push_back(static_cast<char>(icon.width));
        group.push_back(static_cast<char>(icon.height));
        group.push_back(static_cast<char>(icon.colorCount));
        group.push_back('\0');
        append16(group, icon.planes);
        append16(group, icon.bitCount);
        append32(group, static_cast<std::uint32_t>(icon.bytes.size()));
        append16(group, static_cast<std::uint16_t>(firstId + i));
    }
    return group;
}

} // namespace brand
