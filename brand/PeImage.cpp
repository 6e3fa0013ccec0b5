#include "brand/PeImage.h"

#include "brand/Checksum.h"
#include "brand/LittleEndian.h"

#include <algorithm>

namespace brand {

namespace {

constexpr std::size_t sectionHeaderSize = 40;
constexpr std::uint32_t initializedData = 0x00000040;
constexpr std::uint32_t memoryRead = 0x40000000;
constexpr std::uint32_t discardable = 0x02000000;

// Offsets within the optional header, the same for PE32 and PE32+ up to the
// stack sizes.
constexpr std::size_t sizeOfInitializedDataField = 8;
constexpr std::size_t sectionAlignmentField = 32;
constexpr std::size_t fileAlignmentField = 36;
constexpr std::size_t sizeOfImageField = 56;
constexpr std::size_t sizeOfHeadersField = 60;
constexpr std::size_t checkSumField = 64;

std::size_t directoriesField(bool pe32Plus) { return pe32Plus ? 112 : 96; }

bool powerOfTwo(std::uint32_t value) { return value != 0 && (value & (value - 1)) == 0; }

// How much address space a section takes: the loader maps the raw size when
// the virtual size is 0.
std::uint64_t extent(const PeSection& s) { return s.virtualSize != 0 ? s.virtualSize : s.sizeOfRawData; }

bool contains(const PeSection& s, std::uint32_t address)
{
    return address >= s.virtualAddress && address - s.virtualAddress < extent(s);
}

bool fail(std::string& error, const std::string& what)
{
    error = "damaged Windows executable: " + what;
    return false;
}

void writeSection(std::string& out, std::size_t at, const PeSection& s)
{
    std::copy(s.name.begin(), s.name.end(), out.begin() + static_cast<std::ptrdiff_t>(at));
    write32(out, at + 8, s.virtualSize);
    write32(out, at + 12, s.virtualAddress);
    write32(out, at + 16, s.sizeOfRawData);
    write32(out, at + 20, s.pointerToRawData);
    write32(out, at + 36, s.characteristics);
}

std::uint64_t initializedDataSize(const std::vector<PeSection>& sections)
{
    std::uint64_t total = 0;
    for (const PeSection& s : sections) {
        total += (s.characteristics & initializedData) != 0 ? s.sizeOfRawData : 0;
    }
    return total;
}

// Whether a directory other than the resources and the certificates (which
// is no address) points into a section.
bool directoryOtherThan(const PeImage& image, std::size_t section, std::size_t allowed)
{
    for (std::size_t d = 0; d < image.directories.size(); ++d) {
        const DataDirectory& entry = image.directories[d];
        if (d != directory::resources && d != directory::certificates && d != allowed && entry.size != 0 &&
            contains(image.sections[section], entry.address)) {
            return true;
        }
    }
    return false;
}

} // namespace

bool readPeImage(std::string_view file, PeImage& image, std::string& error)
{
    if (file.size() < 0x40 || file.substr(0, 2) != "MZ") {
        error = "not a Windows executable";
        return false;
    }
    PeImage read;
    const std::uint32_t peOffset = read32(file, 0x3C);
    if (!fits(file.size(), peOffset, 4 + 20) || file.substr(peOffset, 4) != std::string_view("PE\0\0", 4)) {
        error = "not a Windows executable";
        return false;
    }
    if (peOffset % 8 != 0) {
        return fail(error, "its PE header is not aligned");
    }
    read.fileHeader = peOffset + 4;
    read.machine = read16(file, read.fileHeader);
    const std::size_t sectionCount = read16(file, read.fileHeader + 2);
    const std::uint16_t optionalSize = read16(file, read.fileHeader + 16);
    const std::uint16_t characteristics = read16(file, read.fileHeader + 18);
    if ((characteristics & 0x0002) == 0 || (characteristics & 0x2000) != 0) {
        error = "not a Windows program (a library or an object file)";
        return false;
    }
    read.optionalHeader = read.fileHeader + 20;
    if (!fits(file.size(), read.optionalHeader, optionalSize) || optionalSize < 2) {
        return fail(error, "its optional header is cut short");
    }
    const std::uint16_t magic = read16(file, read.optionalHeader);
    if (magic != 0x10B && magic != 0x20B) {
        return fail(error, "an optional header of unknown kind");
    }
    read.pe32Plus = magic == 0x20B;
    const std::size_t directories = directoriesField(read.pe32Plus);
    if (optionalSize < directories) {
        return fail(error, "its optional header is cut short");
    }
    const std::size_t directoryCount = std::min<std::uint32_t>(read32(file, read.optionalHeader + directories - 4), 16);
    if (optionalSize < directories + directoryCount * 8) {
        return fail(error, "its data directories are cut short");
    }
    for (std::size_t d = 0; d < directoryCount; ++d) {
        const std::size_t at = read.optionalHeader + directories + d * 8;
        read.directories.push_back({read32(file, at), read32(file, at + 4)});
    }
    read.sectionAlignment = read32(file, read.optionalHeader + sectionAlignmentField);
    read.fileAlignment = read32(file, read.optionalHeader + fileAlignmentField);
    read.sizeOfHeaders = read32(file, read.optionalHeader + sizeOfHeadersField);
    if (!powerOfTwo(read.fileAlignment) || !powerOfTwo(read.sectionAlignment) ||
        read.fileAlignment > read.sectionAlignment || read.fileAlignment > 0x10000) {
        return fail(error, "alignments that are not powers of two");
    }

    read.sectionTable = read.optionalHeader + optionalSize;
    if (read.sizeOfHeaders > file.size() || sectionCount == 0 || sectionCount > 96 ||
        !fits(read.sizeOfHeaders, read.sectionTable, sectionCount * sectionHeaderSize)) {
        return fail(error, "its section table lies outside the headers");
    }
    std::uint64_t nextAddress = 0;
    for (std::size_t i = 0; i < sectionCount; ++i) {
        const std::size_t at = read.sectionTable + i * sectionHeaderSize;
        PeSection s;
        std::copy_n(file.begin() + static_cast<std::ptrdiff_t>(at), 8, s.name.begin());
        s.virtualSize = read32(file, at + 8);
        s.virtualAddress = read32(file, at + 12);
        s.sizeOfRawData = read32(file, at + 16);
        s.pointerToRawData = read32(file, at + 20);
        s.characteristics = read32(file, at + 36);
        if (s.sizeOfRawData != 0 &&
            (s.pointerToRawData < read.sizeOfHeaders || !fits(file.size(), s.pointerToRawData, s.sizeOfRawData))) {
            return fail(error, "a section's data lies outside the file or in its headers");
        }
        if (s.sizeOfRawData % read.fileAlignment != 0 || s.pointerToRawData % read.fileAlignment != 0) {
            return fail(error, "a section's data is not aligned");
        }
        if (s.virtualAddress < nextAddress || s.virtualAddress % read.sectionAlignment != 0) {
            return fail(error, "its sections overlap or are out of order");
        }
        nextAddress = alignUp(std::uint64_t{s.virtualAddress} + extent(s), read.sectionAlignment);
        if (nextAddress > 0x80000000u) { // no Windows loads more, and a new section could not follow
            return fail(error, "its sections reach past 2 GiB");
        }
        read.sections.push_back(s);
    }

    if (read.directories.size() <= directory::resources || read.directories[directory::resources].size == 0) {
        error = "a Windows program without resources, so not one of our launchers";
        return false;
    }
    const std::uint32_t resources = read.directories[directory::resources].address;
    const auto holder = std::find_if(read.sections.begin(), read.sections.end(),
                                     [&](const PeSection& s) { return contains(s, resources); });
    if (holder == read.sections.end() || resources - holder->virtualAddress >= holder->sizeOfRawData) {
        return fail(error, "its resource directory lies outside its sections' data");
    }
    read.resourceSection = static_cast<std::size_t>(holder - read.sections.begin());
    image = std::move(read);
    return true;
}

std::string_view resourceBytes(std::string_view file, const PeImage& image) noexcept
{
    const PeSection& s = image.sections[image.resourceSection];
    const std::uint32_t start = image.directories[directory::resources].address - s.virtualAddress;
    const std::uint32_t end = s.virtualSize != 0 ? std::min(s.virtualSize, s.sizeOfRawData) : s.sizeOfRawData;
    return start < end ? file.substr(s.pointerToRawData + start, end - start) : std::string_view{};
}

ResourcePlacement placeResources(const PeImage& image) noexcept
{
    const std::size_t r = image.resourceSection;
    const PeSection& resources = image.sections[r];
    bool inPlace = image.directories[directory::resources].address == resources.virtualAddress &&
                   !directoryOtherThan(image, r, directory::resources);
    for (std::size_t i = 0; i < image.sections.size() && inPlace; ++i) {
        const PeSection& s = image.sections[i];
        if (i < r) {
            inPlace = s.sizeOfRawData == 0 || s.pointerToRawData + std::uint64_t{s.sizeOfRawData} <=
                                                  resources.pointerToRawData;
        } else if (i > r) {
            inPlace = (s.characteristics & discardable) != 0 && !directoryOtherThan(image, i, directory::relocations) &&
                      (s.sizeOfRawData == 0 ||
                       s.pointerToRawData >= resources.pointerToRawData + std::uint64_t{resources.sizeOfRawData});
        }
    }
    if (inPlace) {
        return {true, resources.virtualAddress};
    }
    const PeSection& last = image.sections.back();
    return {false, static_cast<std::uint32_t>(
                       alignUp(std::uint64_t{last.virtualAddress} + extent(last), image.sectionAlignment))};
}

bool replaceResources(std::string_view file, const PeImage& image, const ResourcePlacement& placement,
                      std::string_view resources, std::string& out, std::string& error)
{
    std::vector<PeSection> sections = image.sections;
    std::vector<DataDirectory> directories = image.directories;
    std::string result;
    std::uint64_t keptEnd = 0; // where the bytes taken over from the file end
    if (placement.inPlace) {
        const std::size_t r = image.resourceSection;
        keptEnd = sections[r].pointerToRawData;
        result.assign(file.substr(0, keptEnd));
        result += resources;
        padTo(result, image.fileAlignment);
        sections[r].virtualSize = static_cast<std::uint32_t>(resources.size());
        sections[r].sizeOfRawData = static_cast<std::uint32_t>(result.size() - keptEnd);
        std::uint64_t nextAddress =
            alignUp(std::uint64_t{placement.address} + resources.size(), image.sectionAlignment);
        for (std::size_t i = r + 1; i < sections.size(); ++i) {
            const PeSection& old = image.sections[i];
            PeSection& moved = sections[i];
            if (nextAddress + extent(old) > 0xFFFFFFFFu) {
                error = "the branded image would exceed 4 GiB";
                return false;
            }
            moved.virtualAddress = static_cast<std::uint32_t>(nextAddress);
            if (old.sizeOfRawData != 0) {
                moved.pointerToRawData = static_cast<std::uint32_t>(result.size());
                result += file.substr(old.pointerToRawData, old.sizeOfRawData);
                padTo(result, image.fileAlignment);
            }
            for (std::size_t d = 0; d < directories.size(); ++d) {
                if (d != directory::certificates && image.directories[d].size != 0 &&
                    contains(old, image.directories[d].address)) {
                    directories[d].address += moved.virtualAddress - old.virtualAddress;
                }
            }
            nextAddress = alignUp(nextAddress + extent(old), image.sectionAlignment);
        }
    } else {
        const std::size_t tableEnd = image.sectionTable + sections.size() * sectionHeaderSize;
        std::uint64_t firstData = image.sizeOfHeaders;
        for (const PeSection& s : sections) {
            if (s.sizeOfRawData != 0) {
                keptEnd = std::max<std::uint64_t>(keptEnd, s.pointerToRawData + std::uint64_t{s.sizeOfRawData});
                firstData = std::min<std::uint64_t>(firstData, s.pointerToRawData);
            }
        }
        if (tableEnd + sectionHeaderSize > firstData ||
            file.substr(tableEnd, sectionHeaderSize).find_first_not_of('\0') != std::string_view::npos) {
            error = "the executable's headers have no room for another section";
            return false;
        }
        keptEnd = std::max<std::uint64_t>(keptEnd, image.sizeOfHeaders);
        result.assign(file.substr(0, keptEnd));
        padTo(result, image.fileAlignment);
        PeSection added;
        std::copy_n(".rsrc", 5, added.name.begin());
        added.virtualSize = static_cast<std::uint32_t>(resources.size());
        added.virtualAddress = placement.address;
        added.pointerToRawData = static_cast<std::uint32_t>(result.size());
        added.characteristics = initializedData | memoryRead;
        result += resources;
        padTo(result, image.fileAlignment);
        added.sizeOfRawData = static_cast<std::uint32_t>(result.size() - added.pointerToRawData);
        sections.push_back(added);
    }

    const PeSection& last = sections.back();
    const std::uint64_t sizeOfImage =
        alignUp(std::uint64_t{last.virtualAddress} + extent(last), image.sectionAlignment);
    // The linker's own count, changed by what the resources changed (its rule
    // for the count differs between linkers and between versions).
    std::int64_t initialized = std::int64_t{read32(file, image.optionalHeader + sizeOfInitializedDataField)} +
                               static_cast<std::int64_t>(initializedDataSize(sections)) -
                               static_cast<std::int64_t>(initializedDataSize(image.sections));
    initialized = initialized < 0 ? static_cast<std::int64_t>(initializedDataSize(sections)) : initialized;
    if (sizeOfImage > 0xFFFFFFFFu || initialized > 0xFFFFFFFF || result.size() > 0xFFFFFFFFu) {
        error = "the branded image would exceed 4 GiB";
        return false;
    }
    write16(result, image.fileHeader + 2, static_cast<std::uint16_t>(sections.size()));
    const std::uint32_t symbols = read32(result, image.fileHeader + 8);
    if (symbols != 0 && symbols >= keptEnd) { // the COFF symbol table lay in what is gone
        write32(result, image.fileHeader + 8, 0);
        write32(result, image.fileHeader + 12, 0);
    }
    for (std::size_t i = 0; i < sections.size(); ++i) {
        writeSection(result, image.sectionTable + i * sectionHeaderSize, sections[i]);
    }
    write32(result, image.optionalHeader + sizeOfInitializedDataField, static_cast<std::uint32_t>(initialized));
    write32(result, image.optionalHeader + sizeOfImageField, static_cast<std::uint32_t>(sizeOfImage));
    directories[directory::resources] = {placement.address, static_cast<std::uint32_t>(resources.size())};
    if (directories.size() > directory::certificates) {
        directories[directory::certificates] = {};
    }
    for (std::size_t d = 0; d < directories.size(); ++d) {
        const std::size_t at = image.optionalHeader + directoriesField(image.pe32Plus) + d * 8;
        write32(result, at, directories[d].address);
        write32(result, at + 4, directories[d].size);
    }
    const std::size_t checksum = image.optionalHeader + checkSumField;
    write32(result, checksum, imageChecksum(result, checksum));
    out.swap(result);
    return true;
}

} // namespace brand
