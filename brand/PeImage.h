#pragma once
// The headers of a PE image (PE32 or PE32+) read from the file's bytes, and
// the one change this tool makes to an image: a new resource section.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace brand {

struct PeSection {
    std::array<char, 8> name{};
    std::uint32_t virtualSize = 0;
    std::uint32_t virtualAddress = 0;
    std::uint32_t sizeOfRawData = 0;
    std::uint32_t pointerToRawData = 0;
    std::uint32_t characteristics = 0;
};

struct DataDirectory {
    std::uint32_t address = 0; // an RVA; a file offset for the certificates
    std::uint32_t size = 0;
};

namespace directory {
inline constexpr std::size_t resources = 2;
inline constexpr std::size_t certificates = 4;
inline constexpr std::size_t relocations = 5;
} // namespace directory

struct PeImage {
    std::uint16_t machine = 0;
    bool pe32Plus = false;
    std::size_t fileHeader = 0;     // file offset of the COFF header
    std::size_t optionalHeader = 0; // file offset of the optional header
    std::size_t sectionTable = 0;
    std::uint32_t sectionAlignment = 0;
    std::uint32_t fileAlignment = 0;
    std::uint32_t sizeOfHeaders = 0;
    std::vector<DataDirectory> directories; // as many as the header has, at most 16
    std::vector<PeSection> sections;        // in table order, which is address order
    std::size_t resourceSection = 0;        // the section holding the resource directory
};

// Reads and checks the headers of an executable image (not a DLL) that has
// resources: every header, section and the resource directory within the
// file, alignments powers of two, section data aligned to the file
// alignment, sections in ascending address order without overlap and within
// 2 GiB. On failure `image` is left untouched and `error` says what
// is wrong ("not a Windows executable" when it is no PE image at all).
[[nodiscard]] bool readPeImage(std::string_view file, PeImage& image, std::string& error);

// The resource directory and what follows it in its section's data; the
// image maps the first byte at image.directories[directory::resources].
std::string_view resourceBytes(std::string_view file, const PeImage& image) noexcept;

// Where the new resource section goes. In place of the old one when nothing
// but the resources lives in it and only sections that nothing refers to at
// run time follow it (discardable ones such as MinGW's .reloc, which is then
// moved up behind it); otherwise as a new last section, leaving the old one
// unused. `address` is the RVA the resources will have.
struct ResourcePlacement {
    bool inPlace = false;
    std::uint32_t address = 0;
};
ResourcePlacement placeResources(const PeImage& image) noexcept;

// The file with `resources` (a directory serialized for placement.address)
// as its resource section: section table, SizeOfImage,
// SizeOfInitializedData and the data directories follow; moved sections and
// their directories move; the certificate table, anything past the last
// section and any COFF symbol table there are dropped; the checksum is
// computed last. On failure `out` is left untouched and `error` says why.
[[nodiscard]] bool replaceResources(std::string_view file, const PeImage& image, const ResourcePlacement& placement,
                                    std::string_view resources, std::string& out, std::string& error);

} // namespace brand
