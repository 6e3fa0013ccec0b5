#include "brand/Branding.h"

#include "brand/OurLauncher.h"

#include "BrandImage.h"

#include <gtest/gtest.h>

namespace {

using brand::BrandOptions;
using brandtest::resource;

TEST(OurLauncher, ToldByTheDialogAndTheStringTable)
{
    const auto withChanged = [](std::size_t index, brand::Resource changed) {
        brand::ResourceTree tree = brandtest::launcherResources();
        tree.resources[index] = std::move(changed);
        return tree;
    };
    EXPECT_TRUE(brand::isOurLauncher(brandtest::launcherResources()));
    EXPECT_TRUE(brand::isOurLauncher(withChanged(0, resource(5, 201, brandtest::dialogTemplate(u"JRE Not Found"), 7))));
    for (const brand::ResourceTree& tree : {
             withChanged(0, resource(5, 202, brandtest::dialogTemplate(u"JRE Not Found"))),
             withChanged(0, resource(5, 201, brandtest::dialogTemplate(u"JRE Not Found?"))),
             withChanged(0, resource(5, 201, brandtest::dialogTemplate(u"JRE Not Found").substr(0, 40))),
             withChanged(1, resource(6, 14, brandtest::stringBlock(211, u"Main class was not specified in INI file."))),
             withChanged(1, resource(6, 14, brandtest::stringBlock(210, u"Main class was not specified."))),
             withChanged(1, resource(6, 14, brandtest::stringBlock(210, u"Main class").substr(0, 20))),
         }) {
        EXPECT_FALSE(brand::isOurLauncher(tree));
    }
}

std::vector<std::pair<std::string, std::string>> strings(const brand::VersionInfo& info)
{
    std::vector<std::pair<std::string, std::string>> result;
    for (const auto& [key, value] : info.strings) {
        result.emplace_back(std::string(key.begin(), key.end()), std::string(value.begin(), value.end()));
    }
    return result;
}

BrandOptions parsed(std::vector<std::string> arguments)
{
    arguments.insert(arguments.begin(), {"in.exe", "out.exe"});
    BrandOptions options;
    std::string error;
    EXPECT_TRUE(brand::parseBrandOptions(arguments, options, error)) << error;
    return options;
}

TEST(Branding, FieldsNotGivenAreFilledFromTheOthersAndTheFileName)
{
    using Strings = std::vector<std::pair<std::string, std::string>>;
    const brand::VersionInfo bare = brand::versionInfoFor(parsed({}), "hello.exe");
    EXPECT_EQ(bare.fileVersion.parts, (std::array<std::uint16_t, 4>{}));
    EXPECT_EQ(strings(bare), (Strings{{"FileDescription", "hello"}, {"FileVersion", "0.0.0.0"},
                                      {"InternalName", "hello"}, {"OriginalFilename", "hello.exe"},
                                      {"ProductName", "hello"}, {"ProductVersion", "0.0.0.0"}}));

    const brand::VersionInfo filled = brand::versionInfoFor(
        parsed({"--file-version=1.2.3.4", "--product-name=Hello", "--company=Acme", "--copyright=(c)"}),
        "Hello.App.exe");
    EXPECT_EQ(filled.productVersion.parts, (std::array<std::uint16_t, 4>{1, 2, 3, 4}));
    EXPECT_EQ(strings(filled), (Strings{{"CompanyName", "Acme"}, {"FileDescription", "Hello"},
                                        {"FileVersion", "1.2.3.4"}, {"InternalName", "Hello.App"},
                                        {"LegalCopyright", "(c)"}, {"OriginalFilename", "Hello.App.exe"},
                                        {"ProductName", "Hello"}, {"ProductVersion", "1.2.3.4"}}));

    const brand::VersionInfo other = brand::versionInfoFor(
        parsed({"--product-version=5.0.0.0", "--file-description=Hello tool", "--internal-name=",
                "--original-filename=HELLO.EXE"}),
        "noextension");
    EXPECT_EQ(other.fileVersion.parts, (std::array<std::uint16_t, 4>{5, 0, 0, 0}));
    EXPECT_EQ(strings(other), (Strings{{"FileDescription", "Hello tool"}, {"FileVersion", "5.0.0.0"},
                                       {"InternalName", ""}, {"OriginalFilename", "HELLO.EXE"},
                                       {"ProductName", "Hello tool"}, {"ProductVersion", "5.0.0.0"}}));
}

} // namespace
