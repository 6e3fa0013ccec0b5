#include "brand/Branding.h"

#include "brand/OurLauncher.h"
#include "brand/PeImage.h"

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

brand::ResourceTree resourcesOf(const std::string& file)
{
    brand::PeImage image;
    brand::ResourceTree tree;
    std::string error;
    EXPECT_TRUE(brand::readPeImage(file, image, error)) << error;
    EXPECT_TRUE(brand::parseResourceTree(brand::resourceBytes(file, image),
                                         image.directories[brand::directory::resources].address, tree, error))
        << error;
    return tree;
}

TEST(Branding, ReplacesIconsVersionAndManifestAndKeepsTheRest)
{
    // A copy branded before, with two icons of an older icon file.
    brand::ResourceTree before = brandtest::launcherResources();
    before.resources.push_back(resource(brand::resourceType::icon, 1, "old"));
    before.resources.push_back(resource(brand::resourceType::icon, 2, "old"));
    before.resources.push_back(resource(brand::resourceType::groupIcon, 1, "old"));
    before.resources.push_back(resource(brand::resourceType::version, 1, "old", 0x407));
    const std::string source = brandtest::peImage(
        {{".text", 0x60000020, "code"}, {".rsrc", brandtest::readOnlyData, ""}, {".reloc", 0x42000040, "r"}}, before);

    std::string icon("\0\0\1\0\1\0\0\0\0\0\1\0\x20\0\0\0\0\0\0\0\0\0", 22);
    const std::string png("\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR\0\0\1\0\0\0\1\0\x08\x06\0\0\0", 29);
    brand::write32(icon, 14, static_cast<std::uint32_t>(png.size()));
    brand::write32(icon, 18, static_cast<std::uint32_t>(icon.size()));
    icon += png;
    const BrandOptions options = parsed({"--icon=app.ico", "--execution-level=requireAdministrator"});
    std::string branded, error;
    ASSERT_TRUE(brand::brandExecutable(source, icon, options, "app.exe", branded, error)) << error;

    const brand::ResourceTree after = resourcesOf(branded);
    std::vector<std::string> kinds;
    for (const brand::Resource& r : after.resources) {
        kinds.push_back(std::to_string(r.type.id) + "/" + std::to_string(r.name.id) + "/" + std::to_string(r.language));
    }
    EXPECT_EQ(kinds, (std::vector<std::string>{"3/1/1033", "5/201/1033", "6/14/1033", "14/1/1033", "16/1/1033",
                                               "24/1/1033"}));
    EXPECT_EQ(after.resources[0].data, png);
    EXPECT_EQ(after.resources[1].data, before.resources[0].data);
    EXPECT_EQ(after.resources[2].data, before.resources[1].data);
    EXPECT_EQ(after.resources[3].data.size(), 6u + 14);
    EXPECT_NE(after.resources[5].data.find("level=\"requireAdministrator\""), std::string::npos);

    // Not ours, or a damaged icon: nothing comes out.
    const struct {
        std::string source, icon, error;
    } failures[] = {
        {brandtest::peImage({{".rsrc", brandtest::readOnlyData, ""}}, {{resource(24, 1, "manifest")}}), icon,
         "in.exe: not one of our launchers (it lacks our JRE Not Found dialog or string table)"},
        {source, icon.substr(0, 30), "app.ico: damaged icon file: image 1 of 1 (256x256) lies outside the file"},
        {"MZ", icon, "in.exe: not a Windows executable"},
    };
    for (const auto& f : failures) {
        std::string out = "untouched";
        EXPECT_FALSE(brand::brandExecutable(f.source, f.icon, options, "app.exe", out, error)) << f.error;
        EXPECT_EQ(error, f.error);
        EXPECT_EQ(out, "untouched");
    }
}

} // namespace
