// The icon file reader on any bytes: it either names the damage or gives
// images that lie within the file, and the icon group made of them names
// every one, in order, with its size and ID.

#include "brand/IconFile.h"
#include "brand/LittleEndian.h"

#include "FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view file(reinterpret_cast<const char*>(data), size);
    std::vector<brand::IconImage> images;
    std::string error;
    if (!brand::parseIconFile(file, images, error)) {
        FUZZ_CHECK(images.empty());
        FUZZ_CHECK(error.rfind("damaged icon file: ", 0) == 0);
        return 0;
    }
    FUZZ_CHECK(!images.empty() && images.size() == brand::read16(file, 4));
    const std::string group = brand::iconGroup(images, 100);
    FUZZ_CHECK(group.size() == 6 + 14 * images.size());
    FUZZ_CHECK(brand::read16(group, 4) == images.size());
    for (std::size_t i = 0; i < images.size(); ++i) {
        const brand::IconImage& image = images[i];
        FUZZ_CHECK(!image.bytes.empty());
        FUZZ_CHECK(image.bytes.data() >= file.data() + 6 + 16 * images.size());
        FUZZ_CHECK(image.bytes.data() + image.bytes.size() <= file.data() + file.size());
        const std::size_t entry = 6 + 14 * i;
        FUZZ_CHECK(static_cast<std::uint8_t>(group[entry]) == image.width);
        FUZZ_CHECK(brand::read32(group, entry + 8) == image.bytes.size());
        FUZZ_CHECK(brand::read16(group, entry + 12) == 100 + i);
    }
    return 0;
}
