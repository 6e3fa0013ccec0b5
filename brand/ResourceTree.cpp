#include "brand/ResourceTree.h"

#include "brand/LittleEndian.h"

#include <algorithm>
#include <set>
#include <tuple>

namespace brand {

namespace {

constexpr std::uint32_t highBit = 0x80000000u;
constexpr std::size_t directorySize = 16;
constexpr std::size_t entrySize = 8;
constexpr std::size_t dataEntrySize = 16;

struct TreeReader {
    std::string_view bytes;
    std::uint32_t address;
    std::set<std::uint32_t> visited;                             // directories and data entries seen
    std::vector<std::pair<std::uint32_t, std::uint32_t>> blocks; // where each resource's data lies
    std::vector<Resource> resources;
    std::string error;

    bool fail(const std::string& what)
    {
        error = "damaged resource directory: " + what;
        return false;
    }

    bool readKey(std::uint32_t field, ResourceKey& key)
    {
        if ((field & highBit) == 0) {
            if (field > 0xFFFF) {
                return fail("a resource number above 65535");
            }
            key = ResourceKey::number(static_cast<std::uint16_t>(field));
            return true;
        }
        const std::uint32_t at = field & ~highBit;
        if (!fits(bytes.size(), at, 2)) {
            return fail("a name outside the directory");
        }
        const std::uint16_t length = read16(bytes, at);
        if (length == 0 || !fits(bytes.size(), at + 2ull, 2ull * length)) {
            return fail("a name outside the directory");
        }
        key.name.resize(length);
        key.id = 0;
        for (std::uint16_t i = 0; i < length; ++i) {
            key.name[i] = static_cast<char16_t>(read16(bytes, at + 2u + 2u * i));
        }
        return true;
    }

    bool readData(std::uint32_t at, Resource& resource)
    {
        if (!visited.insert(at).second) {
            return fail("a data entry reached twice");
        }
        if (!fits(bytes.size(), at, dataEntrySize)) {
            return fail("a data entry outside the directory");
        }
        const std::uint32_t rva = read32(bytes, at);
        const std::uint32_t size = read32(bytes, at + 4);
        if (rva < address || !fits(bytes.size(), rva - address, size)) {
            return fail("resource data outside the resource section");
        }
        resource.data.assign(bytes.substr(rva - address, size));
        resource.codePage = read32(bytes, at + 8);
        if (size != 0) {
            blocks.emplace_back(rva - address, size);
        }
        return true;
    }

    // Resources that share bytes would be copies of one another (and many
    // could make a small file take much memory): no compiler writes them.
    bool checkBlocksApart()
    {
        std::sort(blocks.begin(), blocks.end());
        for (std::size_t i = 1; i < blocks.size(); ++i) {
            if (std::uint64_t{blocks[i - 1].first} + blocks[i - 1].second > blocks[i].first) {
                return fail("two resources share data");
            }
        }
        return true;
    }

    // Level 0 holds types, 1 names, 2 languages, whose entries lead to data.
    bool readDirectory(std::uint32_t at, int level, Resource& path)
    {
        if (!visited.insert(at).second) {
            return fail("a directory reached twice");
        }
        if (!fits(bytes.size(), at, directorySize)) {
            return fail("a directory outside the section");
        }
        const std::size_t count = std::size_t{read16(bytes, at + 12)} + read16(bytes, at + 14);
        if (!fits(bytes.size(), at + directorySize, count * entrySize)) {
            return fail("directory entries outside the section");
        }
        std::set<ResourceKey> keys;
        for (std::size_t i = 0; i < count; ++i) {
            const std::size_t entry = at + directorySize + i * entrySize;
            ResourceKey key;
            if (!readKey(read32(bytes, entry), key)) {
                return false;
            }
            if (!keys.insert(key).second) {
                return fail("two entries with one key");
            }
            const std::uint32_t target = read32(bytes, entry + 4);
            const bool leadsToDirectory = (target & highBit) != 0;
            if (leadsToDirectory != (level < 2)) {
                return fail("a tree that is not three levels deep");
            }
            if (level == 0) {
                path.type = key;
            } else if (level == 1) {
                path.name = key;
            } else if (key.named()) {
                return fail("a language given by name");
            } else {
                path.language = key.id;
            }
            if (leadsToDirectory) {
                if (!readDirectory(target & ~highBit, level + 1, path)) {
                    return false;
                }
            } else {
                Resource leaf = path;
                if (!readData(target, leaf)) {
                    return false;
                }
                resources.push_back(std::move(leaf));
            }
        }
        return true;
    }
};

} // namespace

bool operator==(const ResourceKey& a, const ResourceKey& b) noexcept
{
    return a.name == b.name && (a.named() || a.id == b.id);
}

bool operator<(const ResourceKey& a, const ResourceKey& b) noexcept
{
    if (a.named() != b.named()) {
        return a.named();
    }
    return a.named() ? a.name < b.name : a.id < b.id;
}

const Resource* ResourceTree::find(std::uint16_t type, std::uint16_t name) const noexcept
{
    for (const Resource& r : resources) {
        if (r.type == ResourceKey::number(type) && r.name == ResourceKey::number(name)) {
            return &r;
        }
    }
    return nullptr;
}

void ResourceTree::removeType(std::uint16_t type)
{
    resources.erase(std::remove_if(resources.begin(), resources.end(),
                                   [&](const Resource& r) { return r.type == ResourceKey::number(type); }),
                    resources.end());
}

bool parseResourceTree(std::string_view bytes, std::uint32_t address, ResourceTree& tree, std::string& error)
{
    TreeReader reader{bytes, address, {}, {}, {}, {}};
    Resource path;
    if (!reader.readDirectory(0, 0, path) || !reader.checkBlocksApart()) {
        error = reader.error;
        return false;
    }
    tree.resources = std::move(reader.resources);
    return true;
}

std::string serializeResourceTree(const ResourceTree& tree, std::uint32_t address)
{
    struct NameGroup {
        const ResourceKey* name;
        std::vector<const Resource*> languages;
    };
    struct TypeGroup {
        const ResourceKey* type;
        std::vector<NameGroup> names;
    };
    std::vector<const Resource*> sorted;
    for (const Resource& r : tree.resources) {
        sorted.push_back(&r);
    }
    std::sort(sorted.begin(), sorted.end(), [](const Resource* a, const Resource* b) {
        return std::tie(a->type, a->name, a->language) < std::tie(b->type, b->name, b->language);
    });
    std::vector<TypeGroup> types;
    std::size_t nameCount = 0;
    for (const Resource* r : sorted) {
        if (types.empty() || !(*types.back().type == r->type)) {
            types.push_back({&r->type, {}});
        }
        std::vector<NameGroup>& names = types.back().names;
        if (names.empty() || !(*names.back().name == r->name)) {
            names.push_back({&r->name, {}});
            ++nameCount;
        }
        names.back().languages.push_back(r);
    }

    // Layout, as GNU windres lays it out: the root, then for each type its
    // name directory followed by the language directories of its names;
    // then the strings of the named keys, the data entries, the data.
    std::size_t directory = directorySize + types.size() * entrySize; // where the next one goes
    std::string out(directory + types.size() * directorySize + nameCount * (entrySize + directorySize) +
                        sorted.size() * entrySize,
                    '\0');
    std::string strings;
    auto keyField = [&](const ResourceKey& key) -> std::uint32_t {
        if (!key.named()) {
            return key.id;
        }
        const auto at = static_cast<std::uint32_t>(out.size() + strings.size());
        append16(strings, static_cast<std::uint16_t>(key.name.size()));
        for (const char16_t c : key.name) {
            append16(strings, static_cast<std::uint16_t>(c));
        }
        return at | highBit;
    };
    // A directory's header: how many of its entries are named, how many numbered.
    auto writeCounts = [&](std::size_t at, std::size_t named, std::size_t count) {
        write16(out, at + 12, static_cast<std::uint16_t>(named));
        write16(out, at + 14, static_cast<std::uint16_t>(count - named));
    };

    std::vector<std::size_t> languageEntries; // in the order of `sorted`
    std::size_t namedTypes = 0;
    for (std::size_t t = 0; t < types.size(); ++t) {
        const TypeGroup& type = types[t];
        const std::size_t nameDirectory = directory;
        directory += directorySize + type.names.size() * entrySize;
        namedTypes += type.type->named() ? 1 : 0;
        write32(out, directorySize + t * entrySize, keyField(*type.type));
        write32(out, directorySize + t * entrySize + 4, static_cast<std::uint32_t>(nameDirectory) | highBit);
        std::size_t namedNames = 0;
        for (std::size_t n = 0; n < type.names.size(); ++n) {
            const NameGroup& name = type.names[n];
            const std::size_t languageDirectory = directory;
            directory += directorySize + name.languages.size() * entrySize;
            namedNames += name.name->named() ? 1 : 0;
            const std::size_t nameEntry = nameDirectory + directorySize + n * entrySize;
            write32(out, nameEntry, keyField(*name.name));
            write32(out, nameEntry + 4, static_cast<std::uint32_t>(languageDirectory) | highBit);
            writeCounts(languageDirectory, 0, name.languages.size());
            for (std::size_t l = 0; l < name.languages.size(); ++l) {
                const std::size_t languageEntry = languageDirectory + directorySize + l * entrySize;
                write32(out, languageEntry, name.languages[l]->language);
                languageEntries.push_back(languageEntry);
            }
        }
        writeCounts(nameDirectory, namedNames, type.names.size());
    }
    writeCounts(0, namedTypes, types.size());

    out += strings;
    padTo(out, 4);
    const std::size_t dataEntries = out.size();
    out.resize(dataEntries + sorted.size() * dataEntrySize, '\0');
    for (std::size_t i = 0; i < sorted.size(); ++i) {
        padTo(out, 8);
        const std::size_t entry = dataEntries + i * dataEntrySize;
        write32(out, languageEntries[i] + 4, static_cast<std::uint32_t>(entry));
        write32(out, entry, static_cast<std::uint32_t>(address + out.size()));
        write32(out, entry + 4, static_cast<std::uint32_t>(sorted[i]->data.size()));
        write32(out, entry + 8, sorted[i]->codePage);
        out += sorted[i]->data;
    }
    return out;
}

} // namespace brand
