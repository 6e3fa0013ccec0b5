// The launcher as a product starts it: exit codes and the exact bytes of its
// own reports.

#include "Product.h"

#include <gtest/gtest.h>

namespace {

const std::string noMainClass = "Error: Main class was not specified in INI file. \n";

TEST(LauncherStart, ConfigurationWithoutMainClassIsReportedOnStandardOutput)
{
    Product app("NoMainClass");
    app.writeIni("[Java Runtime Environment]\nJVM Type=server\n[Class Path]\nClass Path=app.jar\n");
    const LaunchResult r = app.start();
    EXPECT_EQ(r.out, noMainClass);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.exitCode, -1);
}

TEST(LauncherStart, MissingConfigurationFileReadsAsEmpty)
{
    Product app("NoIni");
    const LaunchResult r = app.start("one two");
    EXPECT_EQ(r.out, noMainClass);
    EXPECT_EQ(r.exitCode, -1);
}

TEST(LauncherStart, MainClassInAnotherSectionIsNotFound)
{
    Product app("MainClassElsewhere");
    app.writeIni("[Application]\nMain Class=com.example.App\n");
    EXPECT_EQ(app.start().out, noMainClass);
}

TEST(LauncherStart, ConfigurationNamedAfterTheExecutable)
{
    // Only "tool.ini" belongs to tool.exe; a file named after another product
    // in the same folder is not read.
    Product app("OwnName", "tool.exe");
    app.write("app.ini", "[Java Runtime Environment]\nMain Class=A\n");
    EXPECT_EQ(app.start().out, noMainClass);
}

TEST(LauncherStart, PathWithoutAnyDotEndsSilently)
{
    // No "." anywhere: no configuration file can be derived, and that first
    // failure is silent.
    Product app("NoDot", "app");
    const LaunchResult r = app.start();
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.exitCode, -1);
}

const std::string notFound = "Error: The Java Runtime Environment (JRE) was not found. Please  download and install a "
                             "JRE (latest version) from: \n";

TEST(LauncherStart, FolderDotServesAnExtensionlessLauncher)
{
    // The configuration path is cut after the last ".", even in a folder name.
    Product app("Dotted", "v1.2\\app");
    app.write("v1.ini", "[Java Runtime Environment]\nMain Class=com.example.App\n");
    const LaunchResult r = app.startUnseen();
    EXPECT_EQ(r.out, notFound); // read "v1.ini": a main class, no runtime found
    EXPECT_EQ(r.exitCode, -1);
}

TEST(LauncherStart, NoRuntimeWhereNobodySeesADialogIsReported)
{
    // A service's window station: a dialog there would wait for ever.
    Product app("NoRuntime");
    const std::string ini = "[Java Runtime Environment]\nMain Class=com.example.App\nJVM Source=nothing\n"
                            "[Class Path]\nClass Path=app.jar\n";
    app.writeIni(ini);
    const LaunchResult r = app.startUnseen();
    EXPECT_EQ(r.out, notFound);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.exitCode, -1);
    EXPECT_EQ(app.read("app.ini"), ini);
}

} // namespace

namespace {

TEST(LauncherStart, ServiceStartedFromAConsoleRunsNoJavaCode)
{
    Product app("ServiceFromConsole");
    app.installJvm("rt\\", "class=App\nmain=out should not run\n");
    app.writeIni("[Java Runtime Environment]\nMain Class=App\nJRE Path=rt\\\n[Class Path]\nClass Path=a.jar\n"
                 "[Application]\nApplication Type=service\n");
    const LaunchResult r = app.start();
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(app.jvmLog("rt\\"), "");
}

} // namespace
