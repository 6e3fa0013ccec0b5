// The resources of our shipped executables (dist/x86 and dist/x64) as the
// tool reads them: what a branded copy keeps of the launcher's own is checked
// against the launcher itself, not against a test's picture of it.

#include "brand/Manifest.h"
#include "brand/OurLauncher.h"
#include "brand/PeImage.h"
#include "brand/ResourceTree.h"

#include <gtest/gtest.h>

#include <dirent.h>

#include <fstream>
#include <iterator>
#include <sstream>

namespace {

struct Launcher {
    std::string path;
    std::string file;
    brand::PeImage image;
    brand::ResourceTree tree;
};

// Every executable of ours in dist/x86 and dist/x64 (quarnel-brand.exe is
// not one).
std::vector<Launcher> ourLaunchers()
{
    std::vector<Launcher> found;
    for (const char* arch : {"x86", "x64"}) {
        const std::string folder = std::string(QUARNEL_DIST_DIR) + "/" + arch + "/";
        DIR* listing = opendir(folder.c_str());
        if (listing == nullptr) {
            ADD_FAILURE() << folder << " is missing (scripts/build.sh makes it)";
            continue;
        }
        while (const dirent* entry = readdir(listing)) {
            const std::string name = entry->d_name;
            if (name.size() < 4 || name.substr(name.size() - 4) != ".exe") {
                continue;
            }
            Launcher launcher{folder + name, {}, {}, {}};
            std::ifstream stream(launcher.path, std::ios::binary);
            launcher.file.assign(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
            std::string error;
            if (brand::readPeImage(launcher.file, launcher.image, error) &&
                brand::parseResourceTree(brand::resourceBytes(launcher.file, launcher.image),
                                         launcher.image.directories[brand::directory::resources].address,
                                         launcher.tree, error) &&
                brand::isOurLauncher(launcher.tree)) {
                found.push_back(std::move(launcher));
            }
        }
        closedir(listing);
    }
    EXPECT_GE(found.size(), 2u);
    return found;
}

TEST(LauncherResources, TheManifestKeepsEveryLineOfTheLaunchers)
{
    for (const Launcher& launcher : ourLaunchers()) {
        SCOPED_TRACE(launcher.path);
        const brand::Resource* own = launcher.tree.find(brand::resourceType::manifest, 1);
        ASSERT_NE(own, nullptr);
        ASSERT_NE(own->data.find("Microsoft.Windows.Common-Controls"), std::string::npos);
        std::string manifest, error;
        ASSERT_TRUE(brand::brandManifest(own->data, brand::ExecutionLevel::asInvoker, brand::DpiAwareness::unaware,
                                         manifest, error))
            << error;
        std::istringstream lines(own->data);
        std::size_t at = 0;
        for (std::string line; std::getline(lines, line);) {
            const std::size_t found = manifest.find(line + "\n", at);
            ASSERT_NE(found, std::string::npos) << line;
            at = found + line.size();
        }
        EXPECT_EQ(manifest.substr(manifest.size() - 12), "</assembly>\n");
    }
}

// Read and written back unchanged, the launchers' resources come out byte
// for byte as they went in: whatever the loader finds in them (the string
// table, the dialogs), it finds the same in a branded copy, where only the
// resources that branding replaces differ.
TEST(LauncherResources, OursComeOutAsTheyWentIn)
{
    for (const Launcher& launcher : ourLaunchers()) {
        const brand::DataDirectory resources = launcher.image.directories[brand::directory::resources];
        EXPECT_EQ(brand::serializeResourceTree(launcher.tree, resources.address),
                  brand::resourceBytes(launcher.file, launcher.image).substr(0, resources.size))
            << launcher.path;
    }
}

} // namespace
