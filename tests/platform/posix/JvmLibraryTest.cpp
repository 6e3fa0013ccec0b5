// Runtime folders on Linux: which libjvm.so each JVM type takes, the runtime
// marker, the runtime beside the launcher, and the published home.

#include "jre/JvmLibrary.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/ScratchFolder.h"

#include "launcher/JavaLauncher.h"
#include "platform/Environment.h"
#include "platform/Process.h"

namespace {

namespace fs = std::filesystem;

class RuntimeFolders : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(scratch_.path().empty());
    }

    // A folder below the scratch root holding empty files at `files`; its
    // path, ending in '/'.
    std::string folder(const std::string& name, const std::vector<std::string>& files) const
    {
        const std::string path = root_ + name + "/";
        fs::create_directories(path);
        for (const std::string& file : files) {
            fs::create_directories(fs::path(path + file).parent_path());
            std::ofstream(path + file) << "";
        }
        return path;
    }

    ScratchFolder scratch_{"jvmlib"};
    const std::string root_ = scratch_.path().string() + "/";
};

struct Resolved {
    std::string library; // relative to the home; empty when nothing found
    bool serverVm;
};

Resolved resolve(const std::string& home, int jvmType)
{
    bool serverVm = false;
    const std::string library = resolveJvmLibrary(home, jvmType, serverVm);
    return {library.empty() ? "" : library.substr(home.size()), serverVm};
}

TEST_F(RuntimeFolders, EachTypeTakesItsCandidateOrder)
{
    const std::string both = folder("both", {"lib/client/libjvm.so", "lib/server/libjvm.so"});
    const std::string client = folder("client", {"lib/client/libjvm.so"});
    const std::string server = folder("server", {"lib/server/libjvm.so"});

    struct Row {
        const std::string& home;
        int jvmType;
        const char* library;
        bool serverVm;
    };
    const Row rows[] = {
        {both, JvmTypeDefault, "lib/client/libjvm.so", false},
        {both, JvmTypeServer, "lib/server/libjvm.so", true},
        {both, JvmTypeFavourServer, "lib/server/libjvm.so", true},
        {client, JvmTypeDefault, "lib/client/libjvm.so", false},
        {client, JvmTypeServer, "", false},
        {client, JvmTypeFavourServer, "lib/client/libjvm.so", false},
        {server, JvmTypeDefault, "lib/server/libjvm.so", true},
        {server, JvmTypeServer, "lib/server/libjvm.so", true},
        {server, JvmTypeFavourServer, "lib/server/libjvm.so", true},
        {both, 7, "lib/client/libjvm.so", false}, // unknown types behave as default
    };
    for (const Row& row : rows) {
        const Resolved got = resolve(row.home, row.jvmType);
        EXPECT_EQ(got.library, row.library) << row.home << " type " << row.jvmType;
        EXPECT_EQ(got.serverVm, row.serverVm) << row.home << " type " << row.jvmType;
    }
}

TEST_F(RuntimeFolders, ServerFlagIsUntouchedWhenNothingIsFound)
{
    const std::string client = folder("client", {"lib/client/libjvm.so"});
    for (bool before : {false, true}) {
        bool serverVm = before;
        EXPECT_EQ(resolveJvmLibrary(client, JvmTypeServer, serverVm), "");
        EXPECT_EQ(serverVm, before);
        EXPECT_EQ(resolveJvmLibrary(root_ + "missing/", JvmTypeDefault, serverVm), "");
        EXPECT_EQ(serverVm, before);
    }
}

TEST_F(RuntimeFolders, JavaEightLayoutKeepsLibrariesUnderTheArchitecture)
{
#if defined(__x86_64__)
    const std::string jre8 = folder("jre8", {"lib/amd64/libjava.so", "lib/amd64/server/libjvm.so"});
    EXPECT_TRUE(isJreHome(jre8));
    EXPECT_EQ(resolve(jre8, JvmTypeDefault).library, "lib/amd64/server/libjvm.so");
    EXPECT_EQ(resolve(jre8, JvmTypeServer).library, "lib/amd64/server/libjvm.so");
    EXPECT_TRUE(resolve(jre8, JvmTypeServer).serverVm);
    // A client VM of either layout comes before any server VM by default.
    const std::string mixed = folder("mixed", {"lib/amd64/client/libjvm.so", "lib/server/libjvm.so"});
    EXPECT_EQ(resolve(mixed, JvmTypeDefault).library, "lib/amd64/client/libjvm.so");
    EXPECT_EQ(resolve(mixed, JvmTypeFavourServer).library, "lib/server/libjvm.so");
#else
    GTEST_SKIP() << "the Java 8 folder names of this architecture are not exercised";
#endif
}

TEST_F(RuntimeFolders, KitRootResolvesOnlyThroughItsJreFolder)
{
    const std::string kit = folder("jdk", {"jre/lib/libjava.so", "jre/lib/server/libjvm.so"});
    for (int type : {JvmTypeDefault, JvmTypeServer, JvmTypeFavourServer}) {
        EXPECT_EQ(resolve(kit, type).library, "") << type;
        EXPECT_EQ(resolve(kit + "jre/", type).library, "lib/server/libjvm.so") << type;
    }
    EXPECT_FALSE(isJreHome(kit));
    EXPECT_TRUE(isJreHome(kit + "jre/"));
}

TEST_F(RuntimeFolders, MarkerDecidesTheRuntimeBesideTheLauncher)
{
    const std::string plain = folder("plain", {"lib/server/libjvm.so"}); // a library, but no marker
    const std::string own = folder("own", {"lib/libjava.so", "jre/lib/libjava.so"});
    const std::string nested = folder("nested", {"jre/lib/libjava.so"});

    EXPECT_EQ(privateJreBeside(own + "app"), own);
    EXPECT_EQ(privateJreBeside(nested + "app"), nested + "jre/");
    EXPECT_EQ(privateJreBeside(plain + "app"), "");
    // No folder at all: nothing is looked up relative to the current one.
    EXPECT_EQ(privateJreBeside("app"), "");
}

TEST_F(RuntimeFolders, FindPrivateJreLooksBesideThisExecutable)
{
    std::string module;
    ASSERT_TRUE(platform::moduleFileName(module));
    std::string folder = "unchanged";
    ASSERT_TRUE(findPrivateJre(folder));
    EXPECT_EQ(folder, privateJreBeside(module));
}

TEST(JreHome, CutsTheLibraryAndItsFolders)
{
    struct Row {
        const char* library;
        const char* home;
    };
    const Row rows[] = {
        {"/opt/rt/lib/server/libjvm.so", "/opt/rt"},
#if defined(__x86_64__)
        {"/opt/jdk8/jre/lib/amd64/server/libjvm.so", "/opt/jdk8/jre"},
#endif
        {"/a/b/c/d", "/a"},
        {"rt/lib/server/libjvm.so", "rt"},
        {"libjvm.so", "libjvm.so"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(jreHomeOf(row.library), row.home) << row.library;
    }
}

TEST(JreHome, IsPublishedBesideTheLibraryPath)
{
    publishJvmEnvironment("/opt/rt/lib/server/libjvm.so");
    EXPECT_EQ(platform::environmentVariable("QUARNEL_JVM_PATH"), "/opt/rt/lib/server/libjvm.so");
    EXPECT_EQ(platform::environmentVariable("QUARNEL_JVM_HOME"), "/opt/rt");
    ::unsetenv("QUARNEL_JVM_PATH");
    ::unsetenv("QUARNEL_JVM_HOME");
}

} // namespace
