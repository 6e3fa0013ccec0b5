// The image and resource readers on any bytes, and what the tool makes of an
// image it accepts. A resource tree read back from what it was written to is
// the same tree, and writes the same bytes again; an image given that tree as its new resource section is
// again a readable image with the same tree, a valid checksum and no byte
// past its last section; an accepted launcher branded stays ours.

#include "brand/Branding.h"
#include "brand/Checksum.h"
#include "brand/LittleEndian.h"
#include "brand/OurLauncher.h"
#include "brand/PeImage.h"
#include "brand/ResourceTree.h"

#include "FuzzInput.h"

#include <algorithm>

namespace {

bool sameTree(const brand::ResourceTree& a, const brand::ResourceTree& b)
{
    if (a.resources.size() != b.resources.size()) {
        return false;
    }
    for (const brand::Resource& r : a.resources) {
        bool found = false;
        for (const brand::Resource& s : b.resources) {
            found = found || (r.type == s.type && r.name == s.name && r.language == s.language &&
                              r.codePage == s.codePage && r.data == s.data);
        }
        if (!found) {
            return false;
        }
    }
    return true;
}

// The image's resources, checked for a sound image on the way.
brand::ResourceTree resourcesOf(std::string_view file)
{
    brand::PeImage image;
    brand::ResourceTree tree;
    std::string error;
    FUZZ_CHECK(brand::readPeImage(file, image, error));
    const std::size_t checksum = image.optionalHeader + 64;
    FUZZ_CHECK(brand::read32(file, checksum) == brand::imageChecksum(file, checksum));
    std::uint64_t end = 0;
    for (const brand::PeSection& s : image.sections) {
        end = s.sizeOfRawData != 0 ? std::max<std::uint64_t>(end, s.pointerToRawData + std::uint64_t{s.sizeOfRawData})
                                   : end;
    }
    FUZZ_CHECK(end == file.size());
    FUZZ_CHECK(brand::parseResourceTree(brand::resourceBytes(file, image),
                                        image.directories[brand::directory::resources].address, tree, error));
    return tree;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view file(reinterpret_cast<const char*>(data), size);
    brand::PeImage image;
    brand::ResourceTree tree;
    std::string error;
    if (!brand::readPeImage(file, image, error)) {
        return 0;
    }
    const std::uint32_t address = image.directories[brand::directory::resources].address;
    if (!brand::parseResourceTree(brand::resourceBytes(file, image), address, tree, error)) {
        return 0;
    }
    brand::ResourceTree again;
    const std::string written = brand::serializeResourceTree(tree, address);
    FUZZ_CHECK(brand::parseResourceTree(written, address, again, error));
    FUZZ_CHECK(sameTree(tree, again));
    FUZZ_CHECK(brand::serializeResourceTree(again, address) == written);

    const brand::ResourcePlacement placement = brand::placeResources(image);
    std::string rebuilt;
    if (brand::replaceResources(file, image, placement, brand::serializeResourceTree(tree, placement.address), rebuilt,
                                error)) {
        FUZZ_CHECK(sameTree(tree, resourcesOf(rebuilt)));
    }

    brand::BrandOptions options;
    FUZZ_CHECK(brand::parseBrandOptions({"in.exe", "out.exe", "--file-version=1.2.3.4"}, options, error));
    std::string branded;
    if (brand::brandExecutable(file, {}, options, "out.exe", branded, error)) {
        const brand::ResourceTree result = resourcesOf(branded);
        FUZZ_CHECK(brand::isOurLauncher(result));
        FUZZ_CHECK(result.find(brand::resourceType::version, 1) != nullptr);
    }
    return 0;
}
