#pragma once
// The resources of an image as the loader sees them: type, name and language
// lead to one block of data. Read from and written to the three-level
// resource directory of the PE format.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace brand {

namespace resourceType {
inline constexpr std::uint16_t icon = 3;
inline constexpr std::uint16_t dialog = 5;
inline constexpr std::uint16_t string = 6;
inline constexpr std::uint16_t groupIcon = 14;
inline constexpr std::uint16_t version = 16;
inline constexpr std::uint16_t manifest = 24;
} // namespace resourceType

// English (United States), the language of the launcher's own resources.
inline constexpr std::uint16_t englishUnitedStates = 0x0409;

// A type or a name: a number, or (when `name` is not empty) a UTF-16 name
// as stored (resource compilers store names upper-cased).
struct ResourceKey {
    std::u16string name;
    std::uint16_t id = 0;

    static ResourceKey number(std::uint16_t id) { return ResourceKey{{}, id}; }
    bool named() const noexcept { return !name.empty(); }
};

bool operator==(const ResourceKey& a, const ResourceKey& b) noexcept;
// The order of a resource directory, in which the loader searches: names
// first, by code unit, then numbers, ascending.
bool operator<(const ResourceKey& a, const ResourceKey& b) noexcept;

struct Resource {
    ResourceKey type;
    ResourceKey name;
    std::uint16_t language = 0;
    std::uint32_t codePage = 0;
    std::string data;
};

struct ResourceTree {
    std::vector<Resource> resources; // any order; written sorted

    // The first resource of that type and name, in any language; null when
    // there is none.
    const Resource* find(std::uint16_t type, std::uint16_t name) const noexcept;
    void removeType(std::uint16_t type);
};

// Reads the directory that starts at `bytes`, which the image maps at
// `address`. Data must lie within `bytes`. Refused: a tree that is not three
// levels deep, a named language, two entries with one key in a directory, a
// directory or data entry reached twice (it would make the tree a graph),
// resources whose data overlap, and anything outside `bytes`. On failure `tree` is left untouched and `error`
// says what is wrong.
[[nodiscard]] bool parseResourceTree(std::string_view bytes, std::uint32_t address, ResourceTree& tree,
                                     std::string& error);

// The directory for an image that maps it at `address`, for a tree in which
// no two resources share type, name and language: directories first (in the
// order GNU windres writes them, so that the launcher's own resources come
// out byte for byte as they went in), then the names, the data entries and
// the data, each block of data aligned to 8 bytes. The result's size is the
// section's virtual size.
std::string serializeResourceTree(const ResourceTree& tree, std::uint32_t address);

} // namespace brand
