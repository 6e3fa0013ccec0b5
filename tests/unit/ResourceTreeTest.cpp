#include "brand/ResourceTree.h"

#include "BrandImage.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

using brand::Resource;
using brand::ResourceKey;
using brand::ResourceTree;

ResourceKey named(std::u16string name) { return ResourceKey{std::move(name), 0}; }

// Type, name, language and data of every resource, in order.
std::vector<std::string> describe(const ResourceTree& tree)
{
    std::vector<std::string> lines;
    auto key = [](const ResourceKey& k) {
        return k.named() ? std::string(k.name.begin(), k.name.end()) : std::to_string(k.id);
    };
    for (const Resource& r : tree.resources) {
        lines.push_back(key(r.type) + "/" + key(r.name) + "/" + std::to_string(r.language) + "/" +
                        std::to_string(r.codePage) + ":" + r.data);
    }
    return lines;
}

TEST(ResourceTree, ReadsBackWhatItWritesInTheLoadersOrder)
{
    // Written in any order; read back as the loader searches: names before
    // numbers, names by code unit (shorter first), numbers ascending.
    ResourceTree tree{{brandtest::resource(24, 1, "manifest"), brandtest::resource(6, 14, "strings", 0x407),
                       brandtest::resource(6, 14, "Strings", 0x409), brandtest::resource(5, 201, "dialog")}};
    tree.resources.push_back({named(u"PNG"), named(u"LOGO"), 0, 1252, "odd\x01"});
    tree.resources.push_back({named(u"PNG"), named(u"LOG"), 0, 0, ""});
    tree.resources.push_back({ResourceKey::number(5), named(u"ABOUT"), 9, 0, "about"});

    for (const std::uint32_t address : {0x1000u, 0x7FFF0000u}) {
        const std::string bytes = brand::serializeResourceTree(tree, address);
        ResourceTree read;
        std::string error;
        ASSERT_TRUE(brand::parseResourceTree(bytes, address, read, error)) << error;
        EXPECT_EQ(describe(read), (std::vector<std::string>{"PNG/LOG/0/0:", "PNG/LOGO/0/1252:odd\x01",
                                                            "5/ABOUT/9/0:about", "5/201/1033/0:dialog",
                                                            "6/14/1031/0:strings", "6/14/1033/0:Strings",
                                                            "24/1/1033/0:manifest"}));
        // Read at another address, every data entry points outside.
        EXPECT_FALSE(brand::parseResourceTree(bytes, address + 0x1000, read, error));
    }
}

TEST(ResourceTree, EmptyTreeIsAnEmptyRoot)
{
    ResourceTree read{{brandtest::resource(1, 1, "x")}};
    std::string error;
    ASSERT_TRUE(brand::parseResourceTree(brand::serializeResourceTree({}, 0x1000), 0x1000, read, error));
    EXPECT_TRUE(read.resources.empty());
}

TEST(ResourceTree, DamagedDirectoriesAreRefusedWithoutTouchingTheTree)
{
    // One type, one name, one language: the root at 0, the name directory at
    // 24, the language directory at 48, the data entry at 72, the data at 88
    // (which reads as the name "X" too).
    const std::string good =
        brand::serializeResourceTree({{brandtest::resource(6, 1, std::string("\1\0X\0", 4))}}, 0x1000);
    auto with32 = [&](std::size_t at, std::uint32_t value) {
        std::string bytes = good;
        brand::write32(bytes, at, value);
        return bytes;
    };
    const struct {
        std::string bytes;
        const char* error;
    } cases[] = {
        {good.substr(0, 15), "a directory outside the section"},
        {with32(12, 0xFFFF0000), "directory entries outside the section"},
        {with32(20, 0x80000000), "a directory reached twice"},              // the type leads back to the root
        {with32(68, 0x80000030), "a tree that is not three levels deep"},   // a fourth level
        {with32(44, 72), "a tree that is not three levels deep"},           // a name leads to data
        {with32(64, 0x80000058), "a language given by name"},
        {with32(16, 0x80000400), "a name outside the directory"},
        {with32(72, 0x0FFF), "resource data outside the resource section"}, // before the section
        {with32(76, 0x1000), "resource data outside the resource section"}, // past its end
        {with32(16, 0x10000), "a resource number above 65535"},
    };
    for (const auto& c : cases) {
        ResourceTree tree{{brandtest::resource(1, 1, "kept")}};
        std::string error;
        EXPECT_FALSE(brand::parseResourceTree(c.bytes, 0x1000, tree, error)) << c.error;
        EXPECT_EQ(error, std::string("damaged resource directory: ") + c.error);
        EXPECT_EQ(describe(tree), (std::vector<std::string>{"1/1/1033/0:kept"}));
    }
}

TEST(ResourceTree, TwoEntriesWithOneKeyOrOneDataAreRefused)
{
    // Type 6 with the names 1 and 2: their entries at 40 and 48, their data
    // entries at 104 and 120, their data at 136 and 144.
    const std::string good =
        brand::serializeResourceTree({{brandtest::resource(6, 1, "a"), brandtest::resource(6, 2, "bc")}}, 0x1000);
    for (const auto& [at, value, message] : {std::tuple{48, 1u, "two entries with one key"},
                                             std::tuple{120, 0x1000u + 136, "two resources share data"}}) {
        std::string bytes = good;
        brand::write32(bytes, static_cast<std::size_t>(at), value);
        ResourceTree tree;
        std::string error;
        EXPECT_FALSE(brand::parseResourceTree(bytes, 0x1000, tree, error));
        EXPECT_EQ(error, std::string("damaged resource directory: ") + message);
    }
}

} // namespace
