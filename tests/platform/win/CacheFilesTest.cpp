// The file primitives the start-up cache builds on, as Windows has them:
// exclusive creation and renaming, replacing and removing the read-only
// files the JVM writes, and listing a folder.

#include "platform/Files.h"

#include "Folders.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>

namespace {

const std::string folder = "C:\\qt\\CacheFiles\\";

std::uint64_t sizeOf(const std::string& path)
{
    platform::FileStamp stamp;
    return platform::fileStamp(path, stamp) ? stamp.size : ~0ull;
}

TEST(CacheFiles, CreatedRenamedReplacedAndRemovedAsTheCacheNeeds)
{
    removeTree(folder.substr(0, folder.size() - 1));
    ASSERT_TRUE(platform::makeFolder(folder.substr(0, folder.size() - 1)));
    EXPECT_TRUE(platform::makeFolder(folder.substr(0, folder.size() - 1))) << "there already";

    EXPECT_TRUE(platform::createNewFile(folder + "record"));
    EXPECT_FALSE(platform::createNewFile(folder + "record")) << "a second creator is refused";

    writeFile(folder + "a", "first");
    writeFile(folder + "b", "second!");
    EXPECT_TRUE(platform::renameIfAbsent(folder + "a", folder + "taken"));
    EXPECT_FALSE(platform::renameIfAbsent(folder + "b", folder + "taken"));
    EXPECT_EQ(sizeOf(folder + "taken"), 5u);
    // The JVM leaves its archives read-only: replaced and removed all the same.
    SetFileAttributesA((folder + "taken").c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_TRUE(platform::replaceFile(folder + "b", folder + "taken"));
    EXPECT_EQ(sizeOf(folder + "taken"), 7u);
    SetFileAttributesA((folder + "taken").c_str(), FILE_ATTRIBUTE_READONLY);
    platform::removeFile(folder + "taken");
    EXPECT_EQ(GetFileAttributesA((folder + "taken").c_str()), INVALID_FILE_ATTRIBUTES);

    platform::FileStamp stamp;
    ASSERT_TRUE(platform::fileStamp(folder.substr(0, folder.size() - 1), stamp));
    EXPECT_TRUE(stamp.folder);

    std::vector<std::string> names;
    ASSERT_TRUE(platform::listFolder(folder, names));
    EXPECT_EQ(names, std::vector<std::string>{"record"});
    EXPECT_FALSE(platform::listFolder(folder + "missing\\", names));
    removeTree(folder.substr(0, folder.size() - 1));
}

} // namespace
