#include "jvm/OptionAssembly.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include <gtest/gtest.h>

#include "tests/support/ScratchFolder.h"

#include "launcher/JavaLauncher.h"

namespace {

namespace fs = std::filesystem;
using Options = std::vector<std::string>;

// Sets (or, with null, unsets) a variable for one test and restores it.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const char* value) : name_(name)
    {
        const char* old = std::getenv(name);
        hadValue_ = old != nullptr;
        old_ = hadValue_ ? old : "";
        if (value == nullptr) {
            ::unsetenv(name);
        } else {
            ::setenv(name, value, 1);
        }
    }
    ~ScopedVariable()
    {
        if (hadValue_) {
            ::setenv(name_.c_str(), old_.c_str(), 1);
        } else {
            ::unsetenv(name_.c_str());
        }
    }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    std::string name_;
    std::string old_;
    bool hadValue_ = false;
};

TEST(JoinSearchPath, AddsOnlyTheSeparatorsThePiecesLack)
{
    const struct {
        std::vector<std::string> pieces;
        const char* joined;
    } rows[] = {
        {{"/opt/lib", "/app/", ".", "/usr/lib", "/rt/lib"}, "/opt/lib:/app/:.:/usr/lib:/rt/lib"},
        {{"/opt/lib:", "/app/"}, "/opt/lib:/app/"},
        {{"/opt/lib", ":/app/"}, "/opt/lib:/app/"},
        {{"/opt/lib", "", ".", ""}, "/opt/lib:."},
        {{"", "."}, "."},
        {{}, ""},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(joinSearchPath(row.pieces, ':'), row.joined) << row.joined;
    }
}

// What `java` would set for the program: the main class with dots, then
// the arguments.
const std::string command = "-Dsun.java.command=com.example.App one two words";

class BuildJvmOptions : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(scratch_.path().empty());
        ini_ = (folder_ / "app.ini").string();
        launcher_.mainClass = "com/example/App";
        launcher_.arguments = {"one", "two words"};
    }

    void writeIni(const std::string& text) const { std::ofstream(ini_, std::ios::binary) << text; }

    // The options built from a configuration holding `runtimeKeys` and the
    // class path `classPath`.
    Options build(const std::string& runtimeKeys, const std::string& classPath = "app.jar")
    {
        writeIni("[Java Runtime Environment]\n" + runtimeKeys + "\n[Class Path]\nClass Path=" + classPath + "\n");
        EXPECT_TRUE(buildJvmOptionsFrom(launcher_, ini_));
        return launcher_.jvmOptions;
    }

    ScratchFolder scratch_{"options"};
    const fs::path& folder_ = scratch_.path();
    std::string ini_;
    JavaLauncher launcher_;
};

TEST_F(BuildJvmOptions, ClassPathIsTakenAsWrittenThenExpanded)
{
    const ScopedVariable appDir("QT_APPDIR", "/srv/app");
    EXPECT_EQ(build("", "\"%QT_APPDIR%/lib/a b.jar\":lib/c.jar"),
              (Options{"-Djava.class.path=\"/srv/app/lib/a b.jar\":lib/c.jar", command}));
}

TEST_F(BuildJvmOptions, ParametersFollowTheClassPathInOrder)
{
    EXPECT_EQ(build("Virtual Machine Parameters=\"-Dapp.home=/opt/My App\" -Dname=\"a b\"  -Xms64m\t-Xmx256m -ea"),
              (Options{"-Djava.class.path=app.jar", "-Dapp.home=/opt/My App", "-Dname=a b", "-Xms64m\t-Xmx256m",
                       "-ea", command}));
}

TEST_F(BuildJvmOptions, VariablesAreExpandedAfterQuotesAndSizes)
{
    // A value that brings quotes or spaces of its own is not split or
    // unquoted, and a size from a variable does not set the thread's stack.
    const ScopedVariable quoted("QT_QUOTED", "\"x y\"");
    const ScopedVariable size("QT_SIZE", "4m");
    EXPECT_EQ(build("Virtual Machine Parameters=-Dq=%QT_QUOTED% -Xss%QT_SIZE%"),
              (Options{"-Djava.class.path=app.jar", "-Dq=\"x y\"", "-Xss4m", command}));
    EXPECT_EQ(launcher_.mainThreadStackSize, 0u);
}

TEST_F(BuildJvmOptions, AMainModuleNeedsNoClassPathAndGetsTheModuleOptions)
{
    const ScopedVariable mods("QT_MODS", "/srv/mods");
    launcher_.mainModule = "app/app.Main";
    EXPECT_EQ(build("Module Path=%QT_MODS%:lib\nVirtual Machine Parameters=--add-opens java.base/java.lang=app -p more",
                    ""),
              (Options{"--add-opens=java.base/java.lang=app", "--module-path=/srv/mods:lib:more",
                       "-Djdk.module.main=app", "-Dsun.java.command=app/app.Main one two words"}));
}

TEST_F(BuildJvmOptions, ClassPathWildcardsBecomeTheFoldersJars)
{
    fs::create_directories(folder_ / "lib");
    for (const char* name : {"b.jar", "a.jar", "c.txt"}) {
        std::ofstream((folder_ / "lib" / name).string()) << "PK";
    }
    const std::string lib = (folder_ / "lib").string();
    EXPECT_EQ(build("", lib + "/*:app.jar"),
              (Options{"-Djava.class.path=" + lib + "/a.jar:" + lib + "/b.jar:app.jar", command}));
}

TEST_F(BuildJvmOptions, EmptyClassPathIsReportedAndAddsNothing)
{
    for (const char* text : {"[Class Path]\nClass Path=\n[Application]\nOutput File=out.log\n",
                             "[Java Runtime Environment]\nVirtual Machine Parameters=-Xss2m\n"}) {
        writeIni(text);
        JavaLauncher launcher;
        testing::internal::CaptureStdout();
        EXPECT_FALSE(buildJvmOptionsFrom(launcher, ini_));
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "Error: Java Class Path was not specified in INI file. \n");
        EXPECT_TRUE(launcher.jvmOptions.empty());
        EXPECT_EQ(launcher.mainThreadStackSize, 0u);
        EXPECT_EQ(launcher.outputFile, "");
    }
}

TEST(PreparePaths, SystemPathFollowsTheCurrentSearchPath)
{
    const ScopedVariable path("PATH", "/usr/bin:/bin");
    JavaLauncher launcher;
    launcher.systemPath = "/opt/app/bin";
    preparePaths(launcher);
    EXPECT_STREQ(std::getenv("PATH"), "/usr/bin:/bin:/opt/app/bin");
    EXPECT_EQ(launcher.systemPath, "/opt/app/bin");
}

TEST(PreparePaths, WithoutACurrentSearchPathTheSystemPathIsAllThereIs)
{
    const ScopedVariable path("PATH", nullptr);
    JavaLauncher launcher;
    launcher.systemPath = "/opt/app/bin";
    preparePaths(launcher);
    EXPECT_STREQ(std::getenv("PATH"), "/opt/app/bin");
}

TEST(PreparePaths, EmptySystemPathLeavesTheSearchPathAlone)
{
    const ScopedVariable path("PATH", "/usr/bin");
    JavaLauncher launcher;
    preparePaths(launcher);
    EXPECT_STREQ(std::getenv("PATH"), "/usr/bin");
}

} // namespace
