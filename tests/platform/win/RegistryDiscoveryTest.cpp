// Finding a runtime on Windows, in this process: registry entries under
// HKEY_LOCAL_MACHINE\Software\JavaSoft of the test prefix, runtime folders
// made of empty files, and the test executable's own configuration file
// (win_platform_tests.ini) for the settings and the written-back "JRE Path".

#include "jre/Discovery.h"
#include "jre/JvmLibrary.h"
#include "jre/RegistryScan.h"
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

const std::string scratch = "C:\\qt\\Discovery\\";
const std::string client = "bin\\client\\jvm.dll";
const std::string server = "bin\\server\\jvm.dll";
const std::string marker = "bin\\java.dll";

// A subkey of `keyPath` named `version` with a "JavaHome" value of `type`
// holding exactly `data`.
void registerRaw(const char* keyPath, const std::string& version, DWORD type, const std::string& data)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, (keyPath + version).c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS)
        << version;
    EXPECT_EQ(RegSetValueExA(key, "JavaHome", 0, type, reinterpret_cast<const BYTE*>(data.data()),
                             static_cast<DWORD>(data.size())),
              ERROR_SUCCESS);
    RegCloseKey(key);
}

// A subkey without any "JavaHome".
void registerBare(const char* keyPath, const std::string& version)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, (keyPath + version).c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);
}

// What a test's stand-in for the JRE Not Found dialog was asked and answers.
struct Dialog {
    bool confirm = false;
    std::string folder;
    std::string library;

    int shown = 0;
    std::string message;
    int jvmType = -1;

    JreChooser chooser()
    {
        return [this](const std::string& text, int type) {
            ++shown;
            message = text;
            jvmType = type;
            JreChoice choice;
            choice.confirmed = confirm;
            choice.jreFolder = folder;
            choice.jvmLibraryPath = library;
            return choice;
        };
    }
};

// The process's double-byte table for the duration of a test.
class SystemLeadBytes {
public:
    SystemLeadBytes()
    {
        CPINFO info;
        if (GetCPInfo(CP_ACP, &info)) {
            text::setLeadBytes(text::LeadBytes::fromRanges(info.LeadByte));
        }
    }
    ~SystemLeadBytes() { text::setLeadBytes(text::LeadBytes{}); }
    SystemLeadBytes(const SystemLeadBytes&) = delete;
    SystemLeadBytes& operator=(const SystemLeadBytes&) = delete;
};

class Discovery : public ::testing::Test {
protected:
    void SetUp() override
    {
        clearRuntimeKeys();
        removeTree(scratch.substr(0, scratch.size() - 1));
        makeFolders(scratch.substr(0, scratch.size() - 1));
        ASSERT_TRUE(getIniPath(ini));
    }
    void TearDown() override
    {
        clearRuntimeKeys();
        removeTree(scratch.substr(0, scratch.size() - 1));
        DeleteFileA(ini.c_str());
    }

    // A runtime folder below the scratch folder holding empty files at
    // `files`; its full path, ending in a backslash.
    static std::string runtime(const std::string& name, const std::vector<std::string>& files)
    {
        const std::string home = scratch + name + "\\";
        makeFolders(home.substr(0, home.size() - 1));
        for (const std::string& file : files) {
            writeFile(home + file, "");
        }
        return home;
    }

    // A launcher configured from "[Java Runtime Environment]" lines.
    std::unique_ptr<JavaLauncher> configured(const std::string& lines = "")
    {
        writeFile(ini, "[Java Runtime Environment]\nMain Class=App\n" + lines);
        auto launcher = std::make_unique<JavaLauncher>();
        EXPECT_TRUE(readConfiguration(*launcher));
        return launcher;
    }

    // The home that the registry search chooses, or "(nothing)".
    std::string chosen(const std::string& lines = "")
    {
        const std::optional<JreInstallation> found = findInstalledJre(*configured(lines));
        return found ? found->home : "(nothing)";
    }

    std::string ini;
};

TEST_F(Discovery, CandidateOrderOfEachJvmType)
{
    const std::string all = runtime("all", {client, "bin\\classic\\jvm.dll", "bin\\hotspot\\jvm.dll", server});
    const std::string older = runtime("older", {"bin\\classic\\jvm.dll", "bin\\hotspot\\jvm.dll", server});
    const std::string hotspot = runtime("hotspot", {"bin\\hotspot\\jvm.dll"});
    const std::string serverOnly = runtime("serverOnly", {server});
    struct Row {
        const std::string& home;
        int jvmType;
        std::string library;
        bool serverVm;
    };
    const Row rows[] = {
        {all, JvmTypeDefault, client, false},
        {all, JvmTypeServer, server, true},
        {all, JvmTypeFavourServer, server, true},
        {older, JvmTypeDefault, "bin\\classic\\jvm.dll", false},
        {hotspot, JvmTypeDefault, "bin\\hotspot\\jvm.dll", false},
        {hotspot, JvmTypeFavourServer, "bin\\hotspot\\jvm.dll", false},
        {hotspot, JvmTypeServer, "", false},
        {serverOnly, JvmTypeDefault, server, true},
        {serverOnly, JvmTypeFavourServer, server, true},
    };
    for (const Row& row : rows) {
        bool serverVm = false;
        const std::string library = resolveJvmLibrary(row.home, row.jvmType, serverVm);
        EXPECT_EQ(library, row.library.empty() ? "" : row.home + row.library) << row.home << " " << row.jvmType;
        EXPECT_EQ(serverVm, row.serverVm) << row.home << " " << row.jvmType;
    }
}

TEST_F(Discovery, FamilyKeyAndFullVersionAreBothListed)
{
    registerFolder(oldRuntime, "1.6", runtime("family", {marker, client}));
    registerFolder(oldRuntime, "1.6.0_20", runtime("full", {marker, client}));
    EXPECT_EQ(chosen(), scratch + "full\\");
    EXPECT_EQ(chosen("Preferred versions=1.6\n"), scratch + "full\\");
    EXPECT_EQ(chosen("Preferred versions=1.6.0\n"), scratch + "full\\");
    EXPECT_EQ(chosen("Preferred versions=1.6.0.0\n"), scratch + "family\\");
}

TEST_F(Discovery, KitIsScannedFirstAndWinsATie)
{
    registerFolder(oldKit, "1.6.0_20", runtime("jdk", {"jre\\" + marker, "jre\\" + client}));
    registerFolder(oldRuntime, "1.6.0_20", runtime("jre", {marker, client}));
    EXPECT_EQ(chosen(), scratch + "jdk\\jre\\");
}

TEST_F(Discovery, JvmSourceChoosesKeysAndKind)
{
    registerFolder(oldKit, "1.6", runtime("jdk16", {"jre\\" + client}));
    registerFolder(oldRuntime, "1.5", runtime("jre15", {client}));
    const std::string kit = scratch + "jdk16\\jre\\";
    const std::string separate = scratch + "jre15\\";
    struct Row {
        const char* source;
        std::string home;
    };
    const Row rows[] = {
        {"", kit},           {"favor_JRE", separate}, {"favor_JDK", kit},      {"only_JRE", separate},
        {"only_JDK", kit},   {"Favor_JRE", "(nothing)"}, {"jdk", "(nothing)"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(chosen(std::string("JVM Source=") + row.source + "\n"), row.home) << row.source;
    }
}

TEST_F(Discovery, FavourServerRanksByTheVmTheScanFound)
{
    // The separate runtime is scanned with the default order and found with
    // its client VM; the kit's runtime has only a server VM.
    registerFolder(oldRuntime, "1.7", runtime("jre17", {client, server}));
    registerFolder(oldKit, "1.6", runtime("jdk16", {"jre\\" + server}));

    auto launcher = configured("JVM Type=favor_server\n");
    const std::optional<JreInstallation> found = findInstalledJre(*launcher);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->home, scratch + "jdk16\\jre\\");
    EXPECT_TRUE(found->hasServerVm);

    Dialog dialog;
    ASSERT_TRUE(locateJvm(*launcher, dialog.chooser()));
    EXPECT_EQ(launcher->jvmPath, scratch + "jdk16\\jre\\" + server);

    // Without that preference the newer runtime wins, with its client VM.
    auto plain = configured();
    ASSERT_TRUE(locateJvm(*plain, dialog.chooser()));
    EXPECT_EQ(plain->jvmPath, scratch + "jre17\\" + client);
    EXPECT_EQ(dialog.shown, 0);
}

TEST_F(Discovery, FavourServerStillLoadsTheServerVmOfAClientRanking)
{
    registerFolder(oldRuntime, "1.7", runtime("jre17", {client, server}));
    auto launcher = configured("JVM Type=favor_server\n");
    const std::optional<JreInstallation> found = findInstalledJre(*launcher);
    ASSERT_TRUE(found);
    EXPECT_FALSE(found->hasServerVm);
    Dialog dialog;
    ASSERT_TRUE(locateJvm(*launcher, dialog.chooser()));
    EXPECT_EQ(launcher->jvmPath, scratch + "jre17\\" + server);
}

TEST_F(Discovery, ServerTypePassesOverRuntimesWithoutAServerVm)
{
    registerFolder(oldRuntime, "1.7", runtime("jre17", {client}));
    registerFolder(oldRuntime, "1.6", runtime("jre16", {client, server}));
    EXPECT_EQ(chosen("JVM Type=server\n"), scratch + "jre16\\");
    EXPECT_EQ(chosen(), scratch + "jre17\\");
}

TEST_F(Discovery, SubkeysOutsideTheBoundsAreSkippedWhateverTheyHold)
{
    registerFolder(oldRuntime, "1.6.0_45", runtime("jre16", {client}));
    registerFolder(oldRuntime, "1.8", runtime("jre18", {client})); // would win without the bound
    registerBare(oldRuntime.path, "1.9");
    registerFolder(oldRuntime, "2.0", "Q:\\nowhere");
    registerFolder(oldRuntime, "1.5", runtime("jre15", {client}));
    EXPECT_EQ(chosen("Maximum Version=1.7\n"), scratch + "jre16\\");
    EXPECT_EQ(chosen("Maximum Version=1.6\n"), scratch + "jre16\\"); // admits 1.6.0_45
    EXPECT_EQ(chosen("Minimum Version=1.5\nMaximum Version=1.5\n"), scratch + "jre15\\");
    EXPECT_EQ(chosen("Minimum Version=1.6.0_46\nMaximum Version=1.7\n"), "(nothing)");
    // Unreadable subkeys in the scan do not end it.
    EXPECT_EQ(chosen(), scratch + "jre18\\");
    // No "Maximum Version" at all admits every version.
    EXPECT_EQ(chosen("Minimum Version=1.8\n"), scratch + "jre18\\");
}

TEST_F(Discovery, PreferredEntriesThatMatchNothingPassOn)
{
    registerFolder(oldRuntime, "1.5", runtime("jre15", {client}));
    registerFolder(oldRuntime, "1.6", runtime("jre16", {client}));
    registerFolder(oldRuntime, "1.7", runtime("jre17", {client}));
    EXPECT_EQ(chosen("Preferred versions=1.4;1.9;1.5;1.6\n"), scratch + "jre15\\");
    EXPECT_EQ(chosen("Preferred versions=1.4;1.9\n"), scratch + "jre17\\");
    EXPECT_EQ(chosen("Preferred versions=1.6.0.20\n"), scratch + "jre17\\");
    EXPECT_EQ(chosen("Preferred versions=;1.6\n"), scratch + "jre16\\");
}

TEST_F(Discovery, JavaHomeIsReadAsTextWhateverItsType)
{
    const std::string home = runtime("rt", {client});
    const std::string bare = home.substr(0, home.size() - 1);
    struct Row {
        const char* what;
        DWORD type;
        std::string data;
        bool read;
    };
    const Row rows[] = {
        {"string without separator", REG_SZ, bare + std::string(1, '\0'), true},
        {"string with separator", REG_SZ, home + std::string(1, '\0'), true},
        {"expandable, not expanded", REG_EXPAND_SZ, bare + std::string(1, '\0'), true},
        {"binary without terminator", REG_BINARY, bare, true},
        {"text after the first zero", REG_SZ, bare + std::string(1, '\0') + "C:\\elsewhere", true},
        {"empty data", REG_BINARY, "", false},
        {"only a zero", REG_SZ, std::string(1, '\0'), false},
        {"folder without a JVM", REG_SZ, scratch + "missing" + std::string(1, '\0'), false},
    };
    for (const Row& row : rows) {
        clearRuntimeKeys();
        registerRaw(oldRuntime.path, "1.6", row.type, row.data);
        auto launcher = configured();
        std::string got = "unchanged";
        bool serverVm = true;
        EXPECT_EQ(readInstallation(*launcher, runtimeKey, "1.6", got, serverVm), row.read) << row.what;
        EXPECT_EQ(got, row.read ? home : "unchanged") << row.what;
        EXPECT_EQ(serverVm, !row.read) << row.what; // a client VM, or untouched
    }
    auto launcher = configured();
    std::string got = "unchanged";
    bool serverVm = false;
    EXPECT_FALSE(readInstallation(*launcher, runtimeKey, "1.9", got, serverVm)); // no such subkey
    registerBare(oldRuntime.path, "1.9");
    EXPECT_FALSE(readInstallation(*launcher, runtimeKey, "1.9", got, serverVm)); // no JavaHome
    EXPECT_EQ(got, "unchanged");
}

TEST_F(Discovery, ConfiguredFolderIsTheRuntimeItself)
{
    registerFolder(oldRuntime, "1.5", runtime("registered", {marker, client}));
    const std::string kit = runtime("kit", {"jre\\" + marker, "jre\\" + client});
    const std::string plain = runtime("plain", {client}); // no marker: none needed here
    Dialog dialog;

    auto launcher = configured("JRE Path=" + kit + "\n");
    ASSERT_TRUE(locateJvm(*launcher, dialog.chooser()));
    EXPECT_EQ(launcher->jvmPath, scratch + "registered\\" + client); // no "jre\" tried in the kit

    launcher = configured("JRE Path=" + plain.substr(0, plain.size() - 1) + "\n");
    ASSERT_TRUE(locateJvm(*launcher, dialog.chooser()));
    EXPECT_EQ(launcher->jvmPath, plain + client);
    EXPECT_EQ(dialog.shown, 0);
}

TEST_F(Discovery, RuntimeBesideTheLauncherCarriesTheMarker)
{
    const std::string app = scratch + "App\\";
    const std::string exe = app + "app.exe";
    runtime("App", {"jre\\" + client, client});
    EXPECT_EQ(privateJreBeside(exe), "");
    writeFile(app + "jre\\" + marker, "");
    EXPECT_EQ(privateJreBeside(exe), app + "jre\\");
    writeFile(app + marker, "");
    EXPECT_EQ(privateJreBeside(exe), app);
    DeleteFileA((app + "jre\\" + marker).c_str());
    EXPECT_EQ(privateJreBeside(exe), app);
    EXPECT_EQ(privateJreBeside("app.exe"), "");

    char module[MAX_PATH];
    ASSERT_NE(GetModuleFileNameA(nullptr, module, MAX_PATH), 0u);
    std::string folder = "unchanged";
    ASSERT_TRUE(findPrivateJre(folder));
    EXPECT_EQ(folder, privateJreBeside(module));
}

TEST_F(Discovery, LibraryInTheCurrentFolderIsNotTakenForARuntimeBesideTheLauncher)
{
    // Bare relative candidates would find this; without a marker beside the
    // launcher that source is skipped instead.
    const std::string cwd = runtime("cwd", {client, server});
    char previous[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, previous);
    ASSERT_TRUE(SetCurrentDirectoryA(cwd.c_str()));
    auto launcher = configured("JVM Source=none\n");
    Dialog dialog;
    const bool found = locateJvm(*launcher, dialog.chooser());
    SetCurrentDirectoryA(previous);
    EXPECT_FALSE(found);
    EXPECT_EQ(launcher->jvmPath, "");
    EXPECT_EQ(dialog.shown, 1);
}

TEST_F(Discovery, DialogIsToldTheTypeAndWhatIsRequired)
{
    auto launcher = configured("JVM Type=server\nMinimum Version=1.7\nJVM Source=only_JRE\n");
    Dialog dialog;
    EXPECT_FALSE(locateJvm(*launcher, dialog.chooser()));
    EXPECT_EQ(dialog.shown, 1);
    EXPECT_EQ(dialog.jvmType, JvmTypeServer);
    EXPECT_EQ(dialog.message, jreNotFoundMessage(*launcher));
    EXPECT_EQ(launcher->jvmPath, "");
    EXPECT_EQ(readIniString(ini, section::runtime, "JRE Path"), "");
}

TEST_F(Discovery, ConfirmedFolderIsWrittenBackAndFoundFirstNextTime)
{
    const std::string picked = runtime("picked", {marker, client});
    Dialog dialog;
    dialog.confirm = true;
    dialog.folder = picked;
    dialog.library = picked + client;

    auto first = configured("JVM Source=none\n");
    ASSERT_TRUE(locateJvm(*first, dialog.chooser()));
    EXPECT_EQ(first->jvmPath, picked + client);
    EXPECT_EQ(readIniString(ini, section::runtime, "JRE Path"), picked);
    EXPECT_EQ(readIniString(ini, section::runtime, "Main Class"), "App");

    // The next start reads it back and needs no dialog.
    auto next = std::make_unique<JavaLauncher>();
    ASSERT_TRUE(readConfiguration(*next));
    ASSERT_TRUE(locateJvm(*next, dialog.chooser()));
    EXPECT_EQ(next->jvmPath, picked + client);
    EXPECT_EQ(dialog.shown, 1);
}

TEST_F(Discovery, ConfirmedFolderWithoutALibraryIsStillTaken)
{
    const std::string fruitless = runtime("fruitless", {});
    Dialog dialog;
    dialog.confirm = true;
    dialog.folder = fruitless;
    auto launcher = configured("JVM Source=none\n");
    EXPECT_TRUE(locateJvm(*launcher, dialog.chooser()));
    EXPECT_EQ(launcher->jvmPath, "");
    EXPECT_EQ(readIniString(ini, section::runtime, "JRE Path"), fruitless);
}

TEST_F(Discovery, PublishedHomeIsThreeFoldersUp)
{
    struct Row {
        const char* library;
        const char* home;
    };
    const Row rows[] = {
        {"D:\\rt\\bin\\server\\jvm.dll", "D:\\rt"},
        {"C:\\Program Files\\Java\\jre6\\bin\\client\\jvm.dll", "C:\\Program Files\\Java\\jre6"},
        {"bin\\client\\jvm.dll", "bin"},
        {"jvm.dll", "jvm.dll"},
    };
    for (const Row& row : rows) {
        publishJvmEnvironment(row.library);
        char value[MAX_PATH];
        ASSERT_NE(GetEnvironmentVariableA("QUARNEL_JVM_PATH", value, MAX_PATH), 0u);
        EXPECT_STREQ(value, row.library);
        ASSERT_NE(GetEnvironmentVariableA("QUARNEL_JVM_HOME", value, MAX_PATH), 0u);
        EXPECT_STREQ(value, row.home) << row.library;
    }
    SetEnvironmentVariableA("QUARNEL_JVM_PATH", nullptr);
    SetEnvironmentVariableA("QUARNEL_JVM_HOME", nullptr);
}

TEST_F(Discovery, DoubleByteFolderNamesResolve)
{
    if (GetACP() != 932) {
        GTEST_SKIP() << "needs the Shift-JIS code page (LANG=ja_JP.UTF-8)";
    }
    const SystemLeadBytes leadBytes;
    const std::string hyou = "\x95\x5C"; // U+8868, whose trail byte is a backslash

    // A registered home without a trailing separator, ending in that character.
    const std::string home = runtime(hyou, {marker, client});
    registerFolder(oldRuntime, "1.6", home.substr(0, home.size() - 1));
    EXPECT_EQ(chosen(), home);

    Dialog dialog;
    auto launcher = configured("JRE Path=" + home.substr(0, home.size() - 1) + "\n");
    ASSERT_TRUE(locateJvm(*launcher, dialog.chooser()));
    EXPECT_EQ(launcher->jvmPath, home + client);

    // A launcher named with that character: its folder ends before the name.
    const std::string app = runtime("App", {marker});
    EXPECT_EQ(privateJreBeside(app + hyou + ".exe"), app);
    EXPECT_EQ(privateJreBeside(home + "app.exe"), home);

    EXPECT_EQ(jreHomeOf("C:\\rt\\bin\\server\\" + hyou + ".dll"), "C:\\rt");
}

} // namespace
