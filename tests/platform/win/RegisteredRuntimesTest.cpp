// Runtimes registered by today's installers (JavaSoft's keys of Java 9 and
// later, Eclipse Adoptium, AdoptOpenJDK, Semeru), JAVA_HOME as the last
// source, and libraries of the other machine, in this process: keys under
// HKEY_LOCAL_MACHINE of the test prefix, runtime folders of empty files, the
// test executable's own configuration file for the settings.

#include "jre/Discovery.h"
#include "launcher/Configuration.h"
#include "launcher/JavaLauncher.h"
#include "text/AnsiText.h"

#include "Product.h"
#include "RuntimeKeys.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

namespace {

const std::string scratch = "C:\\qt\\Registered\\";
const std::string client = "bin\\client\\jvm.dll";
const std::string server = "bin\\server\\jvm.dll";

class Registered : public ::testing::Test {
protected:
    void SetUp() override
    {
        clearRuntimeKeys();
        SetEnvironmentVariableA("JAVA_HOME", nullptr);
        removeTree(scratch.substr(0, scratch.size() - 1));
        makeFolders(scratch.substr(0, scratch.size() - 1));
        ASSERT_TRUE(getIniPath(ini));
    }
    void TearDown() override
    {
        clearRuntimeKeys();
        SetEnvironmentVariableA("JAVA_HOME", nullptr);
        removeTree(scratch.substr(0, scratch.size() - 1));
        DeleteFileA(ini.c_str());
    }

    // A folder below the scratch folder holding `files` (empty unless named
    // "release"); its path, ending in a backslash.
    static std::string folder(const std::string& name, const std::vector<std::string>& files,
                              const std::string& release = "")
    {
        const std::string home = scratch + name + "\\";
        makeFolders(home.substr(0, home.size() - 1));
        for (const std::string& file : files) {
            writeFile(home + file, "");
        }
        if (!release.empty()) {
            writeFile(home + "release", "IMPLEMENTOR=\"Test\"\r\nJAVA_VERSION=\"" + release + "\"\r\n");
        }
        return home;
    }


    std::unique_ptr<JavaLauncher> configured(const std::string& lines = "")
    {
        writeFile(ini, "[Java Runtime Environment]\nMain Class=App\n" + lines);
        auto launcher = std::make_unique<JavaLauncher>();
        EXPECT_TRUE(readConfiguration(*launcher));
        return launcher;
    }

    // The home that the registry search chooses, relative to the scratch
    // folder, or "(nothing)".
    std::string chosen(const std::string& lines = "")
    {
        const std::optional<JreInstallation> found = findInstalledJre(*configured(lines));
        return found ? found->home.substr(scratch.size()) : "(nothing)";
    }

    // The library that the whole search ends with, relative to the scratch
    // folder, or "(dialog)" when it had to ask.
    std::string located(const std::string& lines = "")
    {
        auto launcher = configured(lines);
        const bool found = locateJvm(*launcher, [](const std::string&, int) { return JreChoice{}; });
        return found ? launcher->jvmPath.substr(scratch.size()) : "(dialog)";
    }

    std::string ini;
};

TEST_F(Registered, KitOfLaterJavaIsItsOwnRuntime)
{
    registerFolder(javaSoftJdk, "17.0.12", folder("jdk-17", {server}).substr(0, scratch.size() + 6));
    EXPECT_EQ(chosen(), "jdk-17\\");
    EXPECT_EQ(located(), "jdk-17\\" + server);
    EXPECT_EQ(chosen("JVM Source=only_JDK\n"), "jdk-17\\");
    EXPECT_EQ(chosen("JVM Source=only_JRE\n"), "(nothing)");

    // Its version names, as the installers of 11, 17 and 21 write them.
    registerFolder(javaSoftJdk, "11.0.16.8", folder("jdk-11", {server}));
    registerFolder(javaSoftJdk, "21", folder("jdk-21", {server}));
    EXPECT_EQ(chosen(), "jdk-21\\");
    EXPECT_EQ(chosen("Maximum Version=17\n"), "jdk-17\\");
    EXPECT_EQ(chosen("Preferred versions=11.0.16\n"), "jdk-11\\");
}

TEST_F(Registered, EachDistributionsKeysAloneAreFound)
{
    const struct {
        const RuntimeKey& key;
        const char* version;
        bool kit;
    } rows[] = {
        {javaSoftJre, "10.0.2", false},     {adoptiumJdk, "17.0.12.7", true}, {adoptiumJre, "17.0.12.7", false},
        {adoptOpenJdk, "11.0.11.9", true},  {adoptOpenJre, "11.0.11.9", false}, {semeruJdk, "17.0.11.9", true},
        {semeruJre, "17.0.11.9", false},
    };
    const std::string home = folder("rt", {client});
    for (const auto& row : rows) {
        clearRuntimeKeys();
        registerFolder(row.key, row.version, home);
        const std::string what = std::string(row.key.path) + row.version;
        EXPECT_EQ(chosen(), "rt\\") << what;
        EXPECT_EQ(chosen(row.kit ? "JVM Source=only_JDK\n" : "JVM Source=only_JRE\n"), "rt\\") << what;
        EXPECT_EQ(chosen(row.kit ? "JVM Source=only_JRE\n" : "JVM Source=only_JDK\n"), "(nothing)") << what;
        EXPECT_EQ(chosen("Minimum Version=18\n"), "(nothing)") << what;
    }
    // The value sits below the version, under the VM's name: at the version
    // itself it is not looked for.
    clearRuntimeKeys();
    registerFolder({adoptiumJdk.path, "", "Path"}, "17.0.12.7", home);
    registerFolder({semeruJdk.path, "\\hotspot\\MSI", "Path"}, "17.0.11.9", home);
    EXPECT_EQ(chosen(), "(nothing)");
}

TEST_F(Registered, DistributionsJava8KitLoadsItsJreFolder)
{
    registerFolder(adoptiumJdk, "8.0.422.5", folder("jdk8", {"jre\\" + server, "lib\\tools.jar"}));
    EXPECT_EQ(chosen(), "jdk8\\jre\\");
    // A later kit that carries a "jre" folder of its own still is its own runtime.
    clearRuntimeKeys();
    registerFolder(semeruJdk, "17.0.11.9", folder("both", {server, "jre\\" + server}));
    EXPECT_EQ(chosen(), "both\\");
}

TEST_F(Registered, OldAndNewKeysRankByTheSameRules)
{
    registerFolder(oldRuntime, "1.8.0_401", folder("jre8", {client}));
    registerFolder(oldKit, "1.8.0_401", folder("jdk8", {"jre\\" + server}));
    registerFolder(javaSoftJdk, "17.0.12", folder("jdk17", {server}));
    registerFolder(adoptiumJdk, "21.0.4.7", folder("temurin21", {server}));
    registerFolder(semeruJre, "11.0.24.8", folder("semeru11", {client, server}));
    registerFolder(adoptOpenJre, "16.0.2.7", folder("adopt16", {client}));

    EXPECT_EQ(chosen(), "temurin21\\");
    EXPECT_EQ(chosen("Maximum Version=17\n"), "jdk17\\");
    EXPECT_EQ(chosen("Maximum Version=1.8\n"), "jdk8\\jre\\"); // a kit wins the tie with its runtime
    EXPECT_EQ(chosen("Preferred versions=11;1.8\n"), "semeru11\\");
    EXPECT_EQ(chosen("Preferred versions=1.8\nJVM Source=favor_JRE\n"), "jre8\\");
    EXPECT_EQ(chosen("JVM Source=favor_JRE\n"), "adopt16\\");
    EXPECT_EQ(chosen("JVM Source=only_JRE\nMaximum Version=12\n"), "semeru11\\");
    EXPECT_EQ(chosen("JVM Type=server\nJVM Source=only_JRE\n"), "semeru11\\");
    // Runtimes are ranked by the VM the default order finds, kits by the server VM.
    EXPECT_EQ(chosen("JVM Type=favor_server\nJVM Source=favor_JRE\n"), "adopt16\\");
    EXPECT_EQ(chosen("JVM Type=favor_server\nMaximum Version=16\n"), "jdk8\\jre\\");
    EXPECT_EQ(located("JVM Type=favor_server\nPreferred versions=11\n"), "semeru11\\" + server);
}

TEST_F(Registered, FolderUnderSeveralKeysOfOneKindCountsOnce)
{
    // Adoptium's installer registers under JavaSoft's key and its own; the
    // second spelling differs in case and trailing separators.
    const std::string temurin = folder("Temurin-17", {server});
    registerFolder(adoptiumJdk, "17.0.12.7", scratch + "temurin-17\\\\");
    EXPECT_EQ(chosen(), "temurin-17\\\\"); // found in that spelling when alone
    clearRuntimeKeys();
    registerFolder(javaSoftJdk, "17.0.12", temurin.substr(0, temurin.size() - 1));
    registerFolder(adoptiumJdk, "17.0.12.7", scratch + "temurin-17\\\\");
    registerFolder(javaSoftJdk, "17.0.12.5", folder("other", {server}));
    // Were the Adoptium entry listed, its version would be the preferred one.
    EXPECT_EQ(chosen("Preferred versions=17.0.12.7;17.0.12.5\n"), "other\\");
    EXPECT_EQ(chosen("Preferred versions=17.0.12.0;17.0.12.5\n"), "Temurin-17\\");

    // Within one key both names of one folder stay listed, as they always did.
    registerFolder(javaSoftJdk, "17", temurin);
    EXPECT_EQ(chosen("Preferred versions=17.0.0.0;17.0.12.5\n"), "Temurin-17\\");
}

TEST_F(Registered, JavaHomeIsTriedOnlyWhenNothingRegisteredFits)
{
    const std::string javaHome = folder("javahome", {server}, "17.0.12");
    const ScopedVariable variable("JAVA_HOME", javaHome.substr(0, javaHome.size() - 1).c_str());
    EXPECT_EQ(located(), "javahome\\" + server);
    EXPECT_EQ(located("Minimum Version=17\nMaximum Version=17\n"), "javahome\\" + server);
    EXPECT_EQ(located("Minimum Version=21\n"), "(dialog)");
    EXPECT_EQ(located("Maximum Version=11\n"), "(dialog)");
    EXPECT_EQ(located("JVM Type=server\n"), "javahome\\" + server);
    // Not a source of "JVM Source": it is tried whatever that says.
    EXPECT_EQ(located("JVM Source=only_JRE\n"), "javahome\\" + server);

    registerFolder(javaSoftJdk, "11.0.2", folder("jdk11", {client}));
    EXPECT_EQ(located(), "jdk11\\" + client); // registered first, whatever the version
    EXPECT_EQ(located("Minimum Version=17\n"), "javahome\\" + server);
    EXPECT_EQ(located("JVM Type=server\n"), "javahome\\" + server); // the kit has no server VM
}

TEST_F(Registered, JavaHomeWithoutAReleaseOrALibrary)
{
    // Without a release file it has no version: fine without a lower bound.
    const std::string unversioned = folder("unversioned", {client});
    {
        const ScopedVariable variable("JAVA_HOME", unversioned.c_str());
        EXPECT_EQ(located(), "unversioned\\" + client);
        EXPECT_EQ(located("Maximum Version=1.8\n"), "unversioned\\" + client);
        EXPECT_EQ(located("Minimum Version=1.6\n"), "(dialog)");
        EXPECT_EQ(located("JVM Type=server\n"), "(dialog)");
    }
    // An old kit keeps its runtime in "jre".
    const std::string kit = folder("jdk8", {"jre\\" + client}, "1.8.0_402");
    {
        const ScopedVariable variable("JAVA_HOME", kit.c_str());
        EXPECT_EQ(located("Minimum Version=1.8\n"), "jdk8\\jre\\" + client);
    }
    const std::string empty = folder("empty", {}, "17");
    const ScopedVariable variable("JAVA_HOME", empty.c_str());
    EXPECT_EQ(located(), "(dialog)");
}

TEST_F(Registered, DoubleByteFolderUnderTwoKeysCountsOnce)
{
    if (GetACP() != 932) {
        GTEST_SKIP() << "needs the Shift-JIS code page (LANG=ja_JP.UTF-8)";
    }
    // U+8868 ends in the byte of a backslash, and U+8A61 ("\x8A\x61") in
    // that of a lower-case "a", which a byte-wise case fold would change.
    const std::string hyou = "\x95\x5C";
    const std::string upper = "\x8A\x41";
    const std::string lower = "\x8A\x61";
    CPINFO info;
    ASSERT_TRUE(GetCPInfo(CP_ACP, &info));
    text::setLeadBytes(text::LeadBytes::fromRanges(info.LeadByte));
    const std::string first = folder("a" + hyou, {server});
    registerFolder(javaSoftJdk, "17.0.12", first.substr(0, first.size() - 1));
    registerFolder(adoptiumJdk, "17.0.12.7", scratch + "A" + hyou);
    registerFolder(javaSoftJdk, "17.0.12.5", folder(upper, {server}));
    registerFolder(adoptiumJdk, "17.0.12.3", folder(lower, {server}));
    // The second spelling of the first folder is gone; the two folders that
    // differ in a trail byte stay apart.
    EXPECT_EQ(chosen("Preferred versions=17.0.12.7;17.0.12.3\n"), lower + "\\");
    text::setLeadBytes(text::LeadBytes{});
}

TEST_F(Registered, JavaHomeOfTheOtherMachineIsRefused)
{
    const std::string javaHome = folder("javahome32", {}, "17.0.12");
    makeFolders(javaHome + "bin\\client");
    ASSERT_TRUE(CopyFileA((buildFolder() + "jvm32.dll").c_str(), (javaHome + client).c_str(), FALSE));
    const ScopedVariable variable("JAVA_HOME", javaHome.c_str());
    EXPECT_EQ(located(), "(dialog)");
    // What counts is the header, not the name or the size.
    ASSERT_TRUE(CopyFileA((buildFolder() + "jvm.dll").c_str(), (javaHome + client).c_str(), FALSE));
    EXPECT_EQ(located(), "javahome32\\" + client);
}

} // namespace
