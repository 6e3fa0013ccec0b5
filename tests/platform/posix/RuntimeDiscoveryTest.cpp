// The search for a runtime on Linux: the requirement message, the kits under
// a JDK folder with their release files, and the order of the sources.

#include "jre/Discovery.h"
#include "jre/InstalledJdks.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/ScratchFolder.h"

#include "launcher/JavaLauncher.h"

namespace {

namespace fs = std::filesystem;

// A launcher configured as the configuration file would configure it.
struct Settings {
    const char* minimum = "";
    const char* maximum = "";
    const char* preferred = "";
    const char* source = "";
    int jvmType = JvmTypeDefault;
};

void configure(JavaLauncher& launcher, const Settings& settings)
{
    launcher.minVersion = JavaVersion::lowerBound(settings.minimum);
    launcher.maxVersion = JavaVersion::upperBound(settings.maximum);
    launcher.preferredVersions = splitPreferredVersions(settings.preferred);
    const std::string source = settings.source;
    launcher.jvmSourceJdk = source == "favor_JDK" || source == "only_JDK";
    launcher.jvmSourceJre = source == "favor_JRE" || source == "only_JRE";
    launcher.jvmSourceFavour = source.empty() || source == "favor_JRE" || source == "favor_JDK";
    launcher.jvmType = settings.jvmType;
}

TEST(RequirementText, NamesTheConfiguredBounds)
{
    struct Row {
        const char* minimum;
        const char* maximum;
        const char* text;
    };
    const Row rows[] = {
        {"any", "any", "latest version"},
        {"", "", "latest version"}, // neither key written
        {"any", "1.6", "maximum version 1.6"},
        {"", "1.7.0_45", "maximum version 1.7.0.45"},
        {"1.6", "any", "minimum version 1.6"},
        {"1.6.0_20", "", "minimum version 1.6.0.20"},
        {"1.6.0.20", "1.6.0.20", "version 1.6.0.20 is required"},
        {"1.6.0_20", "1.6.0.20", "version 1.6.0.20 is required"},
        // The upper bound's missing positions hold 65535, so these differ.
        {"1.6", "1.6", "version between 1.6 and 1.6"},
        {"1.5", "1.7.0_10", "version between 1.5 and 1.7.0.10"},
    };
    for (const Row& row : rows) {
        JavaLauncher launcher;
        configure(launcher, {row.minimum, row.maximum});
        EXPECT_EQ(buildRequirementText(launcher), row.text) << row.minimum << " / " << row.maximum;
    }
}

TEST(RequirementText, ServerTypeAsksForAServerJvm)
{
    JavaLauncher launcher;
    configure(launcher, {"1.6", "any"});
    launcher.jvmType = JvmTypeServer;
    EXPECT_EQ(jreNotFoundMessage(launcher), "The Java Runtime Environment (JRE) was not found. Please  download and "
                                            "install a JRE with a server JVM (minimum version 1.6) from:");
    for (int type : {JvmTypeDefault, JvmTypeFavourServer}) {
        launcher.jvmType = type;
        EXPECT_EQ(jreNotFoundMessage(launcher), "The Java Runtime Environment (JRE) was not found. Please  "
                                                "download and install a JRE (minimum version 1.6) from:");
    }
}

TEST(ReleaseFile, GivesTheJavaVersionValue)
{
    struct Row {
        const char* text;
        const char* version; // nullptr: no version
    };
    const Row rows[] = {
        {"IMPLEMENTOR=\"Debian\"\nJAVA_VERSION=\"17.0.15\"\nJAVA_VERSION_DATE=\"2025-04-15\"\n", "17.0.15"},
        {"JAVA_VERSION=\"1.8.0_412\"", "1.8.0_412"},
        {"JAVA_VERSION=11.0.2\r\nOS_NAME=Linux\r\n", "11.0.2"},
        {"JAVA_VERSION_DATE=\"2025-04-15\"\nMODULES=\"java.base\"\n", nullptr},
        {" JAVA_VERSION=\"17\"\n", nullptr},
        {"", nullptr},
    };
    for (const Row& row : rows) {
        std::string version = "unchanged";
        const bool found = releaseVersion(row.text, version);
        EXPECT_EQ(found, row.version != nullptr) << row.text;
        EXPECT_EQ(version, row.version ? row.version : "unchanged") << row.text;
    }
}

TEST(JdkFolderLinks, EachRuntimeIsListedOnce)
{
    // Debian's alias link sorts before the folder it names; the folder's own
    // name is kept.
    EXPECT_EQ(distinctFolders({{"java-17-openjdk-amd64", "/usr/lib/jvm/java-17-openjdk-amd64"},
                               {"java-1.17.0-openjdk-amd64", "/usr/lib/jvm/java-17-openjdk-amd64"},
                               {"temurin-25-jdk-amd64", "/usr/lib/jvm/temurin-25-jdk-amd64"}}),
              (std::vector<std::string>{"java-17-openjdk-amd64", "temurin-25-jdk-amd64"}));
    // Links whose target lies elsewhere: the first name stands for it.
    EXPECT_EQ(distinctFolders({{"b", "/opt/jdk"}, {"a", "/opt/jdk"}, {"c", "/opt/other"}}),
              (std::vector<std::string>{"a", "c"}));
    EXPECT_EQ(distinctFolders({}), std::vector<std::string>{});
}

class JdkFolders : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(scratch_.path().empty());
    }

    // A kit folder with a release file naming `version` (none when null) and
    // empty files at `files`.
    void kit(const std::string& name, const char* version, const std::vector<std::string>& files) const
    {
        fs::create_directories(root_ + name);
        if (version != nullptr) {
            std::ofstream(root_ + name + "/release") << "IMPLEMENTOR=\"Test\"\nJAVA_VERSION=\"" << version << "\"\n";
        }
        for (const std::string& file : files) {
            fs::create_directories(fs::path(root_ + name + "/" + file).parent_path());
            std::ofstream(root_ + name + "/" + file) << "";
        }
    }

    // The usual tree: a modern kit, a Java 8 kit with its runtime in jre/, a
    // kit with only a client VM, and entries that are no usable kit.
    void usualKits() const
    {
        kit("jdk-17", "17.0.15", {"lib/libjava.so", "lib/server/libjvm.so"});
        kit("jdk8", "1.8.0_412", {"jre/lib/libjava.so", "jre/lib/server/libjvm.so", "lib/tools.jar"});
        kit("jdk-11-client", "11.0.2", {"lib/libjava.so", "lib/client/libjvm.so"});
        kit("no-release", nullptr, {"lib/libjava.so", "lib/server/libjvm.so"});
        kit("no-library", "21.0.1", {"lib/libjava.so"});
        kit("no-marker", "21.0.2", {"lib/server/libjvm.so"});
        std::ofstream(root_ + ".jdk-17.jinfo") << "name=jdk-17\n";
        fs::create_directory_symlink(root_ + "jdk-17", root_ + "java-1.17.0");
    }

    // "home relative to the root, version, server VM" per listed kit.
    std::vector<std::string> scan(const Settings& settings) const
    {
        JavaLauncher launcher;
        configure(launcher, settings);
        std::vector<JreInstallation> list;
        scanJdkFolders(launcher, root_, list);
        std::vector<std::string> rows;
        for (const JreInstallation& entry : list) {
            rows.push_back(entry.home.substr(root_.size()) + " " + JavaVersion::format(entry.version) +
                           (entry.hasServerVm ? " server" : " client") + (entry.favouredKind ? " favoured" : ""));
        }
        return rows;
    }

    std::string chosen(const Settings& settings) const
    {
        JavaLauncher launcher;
        configure(launcher, settings);
        const std::optional<JreInstallation> installation = findInstalledJreUnder(launcher, root_);
        return installation ? installation->home.substr(root_.size()) : "(nothing)";
    }

    ScratchFolder scratch_{"jdks"};
    const std::string root_ = scratch_.path().string() + "/";
};

TEST_F(JdkFolders, EachUsableKitIsListedOnceWithItsRuntimeHome)
{
    usualKits();
    EXPECT_EQ(scan({}), (std::vector<std::string>{"jdk-11-client/ 11.0.2 client", "jdk-17/ 17.0.15 server",
                                                  "jdk8/jre/ 1.8.0.412 server"}));
    EXPECT_EQ(scan({"", "", "", "favor_JDK"}),
              (std::vector<std::string>{"jdk-11-client/ 11.0.2 client favoured", "jdk-17/ 17.0.15 server favoured",
                                        "jdk8/jre/ 1.8.0.412 server favoured"}));
}

TEST_F(JdkFolders, BoundsAndTypeFilterTheKits)
{
    usualKits();
    EXPECT_EQ(scan({"11", "any"}),
              (std::vector<std::string>{"jdk-11-client/ 11.0.2 client", "jdk-17/ 17.0.15 server"}));
    EXPECT_EQ(scan({"1.8", "1.8"}), (std::vector<std::string>{"jdk8/jre/ 1.8.0.412 server"}));
    EXPECT_EQ(scan({"any", "10"}), (std::vector<std::string>{"jdk8/jre/ 1.8.0.412 server"}));
    // A server type passes over a kit without a server VM.
    EXPECT_EQ(scan({"11", "any", "", "", JvmTypeServer}), (std::vector<std::string>{"jdk-17/ 17.0.15 server"}));
}

TEST_F(JdkFolders, SelectionRanksAndPrefers)
{
    usualKits();
    EXPECT_EQ(chosen({}), "jdk-17/");
    EXPECT_EQ(chosen({"", "", "1.8"}), "jdk8/jre/");
    EXPECT_EQ(chosen({"", "", "21;11;1.8"}), "jdk-11-client/"); // 21 matches nothing
    EXPECT_EQ(chosen({"", "", "9;10"}), "jdk-17/");
    EXPECT_EQ(chosen({"", "", "", "", JvmTypeFavourServer}), "jdk-17/");
    EXPECT_EQ(chosen({"", "16"}), "jdk-11-client/");
    EXPECT_EQ(chosen({"", "", "", "favor_JDK"}), "jdk-17/");
    EXPECT_EQ(chosen({"", "", "", "only_JDK"}), "jdk-17/");
    // Every folder counts as a development kit.
    EXPECT_EQ(chosen({"", "", "", "only_JRE"}), "(nothing)");
    EXPECT_EQ(chosen({"", "", "", "favor_jdk"}), "(nothing)");
}

TEST_F(JdkFolders, LinkBeforeItsTargetIsNotListedTwice)
{
    kit("z-jdk", "17.0.1", {"lib/libjava.so", "lib/server/libjvm.so"});
    fs::create_directory_symlink(root_ + "z-jdk", root_ + "a-alias");
    fs::create_directory_symlink(root_ + "gone", root_ + "dangling");
    EXPECT_EQ(scan({}), (std::vector<std::string>{"z-jdk/ 17.0.1 server"}));
}

TEST_F(JdkFolders, MissingRootHoldsNothing)
{
    JavaLauncher launcher;
    EXPECT_FALSE(findInstalledJreUnder(launcher, root_ + "missing/").has_value());
}

TEST(SystemJdks, PackagedOpenJdkIsFound)
{
    const std::string home = "/usr/lib/jvm/java-17-openjdk-amd64/";
    if (!fs::exists(home + "lib/server/libjvm.so")) {
        GTEST_SKIP() << "no packaged OpenJDK 17 on this machine";
    }
    JavaLauncher launcher;
    configure(launcher, {"17", "17"});
    const std::optional<JreInstallation> found = findInstalledJre(launcher);
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(found->home, home); // not the java-1.17.0-openjdk-amd64 alias
    EXPECT_TRUE(found->hasServerVm);
}

// The order of the sources, with the user's answer scripted.
class LocateJvm : public JdkFolders {
protected:
    JreChooser chooser(bool confirm, const std::string& folder = "", const std::string& library = "")
    {
        return [=](const std::string& message, int jvmType) {
            ++asked;
            askedMessage = message;
            askedType = jvmType;
            JreChoice choice;
            choice.confirmed = confirm;
            choice.jreFolder = folder;
            choice.jvmLibraryPath = library;
            return choice;
        };
    }

    // No installed kit of this machine can take part.
    void withoutInstalledKits(JavaLauncher& launcher) const { configure(launcher, {"", "", "", "none"}); }

    int asked = 0;
    std::string askedMessage;
    int askedType = -1;
};

TEST_F(LocateJvm, ConfiguredFolderComesFirstAndIsTakenLiterally)
{
    kit("rt", nullptr, {"lib/server/libjvm.so"}); // no marker needed here
    for (const std::string& configured : {root_ + "rt", root_ + "rt/"}) {
        JavaLauncher launcher;
        withoutInstalledKits(launcher);
        launcher.jrePath = configured;
        ASSERT_TRUE(locateJvm(launcher, chooser(false)));
        EXPECT_EQ(launcher.jvmPath, root_ + "rt/lib/server/libjvm.so");
    }
    EXPECT_EQ(asked, 0);
}

TEST_F(LocateJvm, KitRootAsConfiguredFolderYieldsNothing)
{
    kit("jdk", nullptr, {"jre/lib/libjava.so", "jre/lib/server/libjvm.so"});
    JavaLauncher launcher;
    withoutInstalledKits(launcher);
    launcher.jrePath = root_ + "jdk";
    EXPECT_FALSE(locateJvm(launcher, chooser(false)));
    EXPECT_EQ(launcher.jvmPath, "");
    EXPECT_EQ(asked, 1);
}

TEST_F(LocateJvm, RuntimeInTheCurrentFolderIsNotTakenForOneBesideTheLauncher)
{
    // Bare relative candidates would find this library; no marker lies
    // beside the test executable, so that source is skipped instead.
    kit("cwd", nullptr, {"lib/client/libjvm.so", "lib/server/libjvm.so"});
    const fs::path previous = fs::current_path();
    fs::current_path(root_ + "cwd");
    JavaLauncher launcher;
    withoutInstalledKits(launcher);
    const bool found = locateJvm(launcher, chooser(false));
    fs::current_path(previous);
    EXPECT_FALSE(found);
    EXPECT_EQ(launcher.jvmPath, "");
    EXPECT_EQ(asked, 1);
}

TEST_F(LocateJvm, UserIsToldWhatIsRequired)
{
    JavaLauncher launcher;
    withoutInstalledKits(launcher);
    launcher.minVersion = JavaVersion::lowerBound("1.7");
    launcher.jvmType = JvmTypeServer;
    EXPECT_FALSE(locateJvm(launcher, chooser(false)));
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(askedType, JvmTypeServer);
    EXPECT_EQ(askedMessage, "The Java Runtime Environment (JRE) was not found. Please  download and install a JRE "
                            "with a server JVM (minimum version 1.7) from:");
}

TEST_F(LocateJvm, ConfirmedChoiceIsTakenEvenWithoutALibrary)
{
    for (const std::string library : {"/picked/lib/server/libjvm.so", ""}) {
        JavaLauncher launcher;
        withoutInstalledKits(launcher);
        EXPECT_TRUE(locateJvm(launcher, chooser(true, "/picked/", library)));
        EXPECT_EQ(launcher.jvmPath, library);
    }
}

TEST_F(LocateJvm, WithoutADialogTheMessageIsReported)
{
    JavaLauncher launcher;
    withoutInstalledKits(launcher);
    launcher.minVersion = JavaVersion::lowerBound("99");
    ::testing::internal::CaptureStdout();
    const bool found = locateJvm(launcher);
    const std::string out = ::testing::internal::GetCapturedStdout();
    EXPECT_FALSE(found);
    EXPECT_EQ(out, "Error: The Java Runtime Environment (JRE) was not found. Please  download and install a JRE "
                   "(minimum version 99) from: \n");
}

} // namespace
