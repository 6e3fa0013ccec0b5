// Reading the configuration through the platform's profile functions. These
// run inside the test process: its own configuration file is the one beside
// win_platform_tests.exe.

#include "instance/SingleInstance.h"
#include "launcher/Configuration.h"
#include "launcher/JavaLauncher.h"
#include "resources/StringIds.h"
#include "resources/StringTable.h"

#include "Product.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <memory>

namespace {

class ConfigurationTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(getIniPath(ini)); }
    void TearDown() override { DeleteFileA(ini.c_str()); }

    void writeIni(const std::string& text)
    {
        HANDLE file = CreateFileA(ini.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        DWORD written;
        WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        CloseHandle(file);
    }

    // A launcher configured from a file holding a main class and `body`.
    std::unique_ptr<JavaLauncher> read(const std::string& body)
    {
        writeIni("[Java Runtime Environment]\nMain Class=com.example.App\n" + body);
        auto launcher = std::make_unique<JavaLauncher>();
        EXPECT_TRUE(readConfiguration(*launcher));
        return launcher;
    }

    std::string ini;
};

TEST_F(ConfigurationTest, IniPathIsTheModulePathWithIniExtension)
{
    char module[MAX_PATH];
    GetModuleFileNameA(nullptr, module, MAX_PATH);
    std::string expected = module;
    expected = expected.substr(0, expected.size() - 3) + "ini";
    EXPECT_EQ(ini, expected);
}

TEST_F(ConfigurationTest, YesInAnyCaseTurnsOnFailureCheckAndWorkingDir)
{
    for (const char* yes : {"Yes", "yes", "YES", "yEs"}) {
        const auto l = read(std::string("[Application]\nFailure Check=") + yes +
                                    "\nOverride WorkingDir=" + yes + "\n");
        EXPECT_TRUE(l->failureCheck) << yes;
        EXPECT_TRUE(l->overrideWorkingDir) << yes;
    }
    for (const char* no : {"No", "y", "Yes!", "1", "true"}) {
        const auto l = read(std::string("[Application]\nFailure Check=") + no +
                                    "\nOverride WorkingDir=" + no + "\n");
        EXPECT_FALSE(l->failureCheck) << no;
        EXPECT_FALSE(l->overrideWorkingDir) << no;
    }
}

TEST_F(ConfigurationTest, OnlyLowerCaseYesRequestsSingleInstance)
{
    writeIni("[Application]\nSingle Instance=yes\n");
    EXPECT_TRUE(coordinationRequested(ini));
    for (const char* other : {"Yes", "YES", "1", ""}) {
        writeIni(std::string("[Application]\nSingle Instance=") + other + "\n");
        EXPECT_FALSE(coordinationRequested(ini)) << other;
    }
    writeIni("[Application]\nSingle Instance=yes\nApplication Type=service\n");
    EXPECT_FALSE(coordinationRequested(ini));
}

TEST_F(ConfigurationTest, KeywordsAreCaseSensitive)
{
    EXPECT_TRUE(read("[Application]\nApplication Type=service\n")->serviceMode);
    EXPECT_FALSE(read("[Application]\nApplication Type=Service\n")->serviceMode);
    EXPECT_EQ(read("JVM Type=server\n")->jvmType, JvmTypeServer);
    EXPECT_EQ(read("JVM Type=favor_server\n")->jvmType, JvmTypeFavourServer);
    EXPECT_EQ(read("JVM Type=Server\n")->jvmType, JvmTypeDefault);
}

TEST_F(ConfigurationTest, JvmSourceSetsThreeFlags)
{
    struct Row {
        const char* value;
        bool favour, jdk, jre;
    };
    const Row rows[] = {
        {"", true, false, false},          {"favor_JRE", true, false, true}, {"favor_JDK", true, true, false},
        {"only_JRE", false, false, true}, {"only_JDK", false, true, false}, {"Only_JDK", false, false, false},
    };
    for (const Row& row : rows) {
        const auto l = read(std::string("JVM Source=") + row.value + "\n");
        EXPECT_EQ(l->jvmSourceFavour, row.favour) << row.value;
        EXPECT_EQ(l->jvmSourceJdk, row.jdk) << row.value;
        EXPECT_EQ(l->jvmSourceJre, row.jre) << row.value;
    }
}

TEST_F(ConfigurationTest, MainClassDotsBecomeSlashes)
{
    EXPECT_EQ(read("")->mainClass, "com/example/App");
    writeIni("[Java Runtime Environment]\nMain Class=com/example/Other\n");
    JavaLauncher l;
    ASSERT_TRUE(readConfiguration(l));
    EXPECT_EQ(l.mainClass, "com/example/Other");
}

TEST_F(ConfigurationTest, PreferredVersionsKeepEmptyEntries)
{
    EXPECT_EQ(read("Preferred versions=1.6;1.5;\n")->preferredVersions,
              (std::vector<std::string>{"1.6", "1.5", ""}));
    EXPECT_EQ(read("")->preferredVersions, (std::vector<std::string>{""}));
}

TEST_F(ConfigurationTest, LongValuesAreReadWhole)
{
    for (std::size_t length : {254u, 255u, 256u, 511u, 5000u}) {
        std::string value(length, 'x');
        value.front() = '<';
        value.back() = '>';
        writeIni("[Class Path]\nClass Path=" + value + "\n");
        EXPECT_EQ(readIniString(ini, section::classPath, "Class Path"), value) << length;
    }
}

TEST(WorkingFolder, IsTheTextBeforeTheLastBackslash)
{
    EXPECT_EQ(workingFolderFor("C:\\Apps\\Tool\\tool.exe"), "C:\\Apps\\Tool");
    EXPECT_EQ(workingFolderFor("C:\\tool.exe"), "C:");
    EXPECT_EQ(workingFolderFor("\\tool.exe"), "");
    EXPECT_EQ(workingFolderFor("tool.exe"), "");
}

TEST(StringTable, ShippedResourceTextsEqualTheCompiledList)
{
    // The string table as the shipped launcher carries it, English (US).
    HMODULE exe = LoadLibraryExA((buildFolder() + "quarnel.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(exe, nullptr);
    const auto load = [exe](unsigned id) {
        char text[1024];
        const int length = LoadStringA(exe, id, text, sizeof text);
        return std::string(text, length > 0 ? length : 0);
    };
    for (unsigned id = 200; id < 240; ++id) {
        EXPECT_EQ(load(id), resources::builtInString(id)) << id;
    }
    EXPECT_EQ(load(resources::IDS_JNI_ENOMEM), "not enought memory");
    EXPECT_EQ(load(resources::IDS_JNI_EXCEPTION), "JNI exception: %s\nReason: %s.\n");
    EXPECT_NE(FindResourceExA(exe, MAKEINTRESOURCEA(6), MAKEINTRESOURCEA(202 / 16 + 1),
                              MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)),
              nullptr);
    FreeLibrary(exe);
}

TEST(StringTable, TextsLongerThanAnyBufferArriveWhole)
{
    // Entries 900 and 901 of this test program's own table.
    std::string longText;
    for (int i = 0; i < 300; ++i) {
        longText += "long text ";
    }
    EXPECT_EQ(resources::loadString(900), longText);

    // 600 katakana "so": two bytes each under code page 932, where the last
    // one must not be cut in half; elsewhere the code page has no such
    // character and each becomes the default character.
    std::string japanese;
    for (int i = 0; i < 600; ++i) {
        japanese += GetACP() == 932 ? "\x83\x5C" : "?";
    }
    EXPECT_EQ(resources::loadString(901), japanese);
    EXPECT_EQ(resources::loadString(902), "");
}

} // namespace
