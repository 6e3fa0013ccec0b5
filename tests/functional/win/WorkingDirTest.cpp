// "Override WorkingDir": the launcher's folder becomes the current directory
// before the runtime is located, so a relative "JRE Path" is taken from there.

#include "Product.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace {

const std::string printCwd = "class=App\nmain=cwd\n";

std::string config(const std::string& jrePath, const char* override)
{
    return "[Java Runtime Environment]\nMain Class=App\nJRE Path=" + jrePath +
           "\n[Class Path]\nClass Path=app.jar\n[Application]\nOverride WorkingDir=" + override + "\n";
}

TEST(WorkingDir, OverrideMovesToTheLauncherFolder)
{
    Product app("WorkDir");
    app.installJvm("rt\\", printCwd);
    app.writeIni(config("rt\\", "yes"));
    const LaunchResult r = app.run("app.exe", "C:\\");
    EXPECT_EQ(r.out, "C:\\qt\\WorkDir\r\n");
    EXPECT_EQ(r.exitCode, 0);
}

TEST(WorkingDir, WithoutOverrideRelativePathsFollowTheCaller)
{
    Product app("WorkDirOff");
    app.installJvm("rt\\", printCwd);
    app.writeIni(config("rt\\", "no"));
    EXPECT_EQ(app.run("app.exe", "C:\\qt", unseenDesktop).exitCode, -1); // C:\qt\rt\ holds no runtime
    EXPECT_EQ(app.run("app.exe", app.folder()).out, "C:\\qt\\WorkDirOff\r\n");
}

TEST(WorkingDir, LauncherInADriveRootMovesToThatDrive)
{
    // The text before the last backslash is the bare "C:", the drive's
    // current directory: its root, for a process started on another drive.
    Product app("Root", "..\\..\\qtroot.exe");
    const std::string jre = app.installJvm("rt\\", printCwd);
    app.writeIni(config(jre, "Yes"));
    const LaunchResult r = app.run("qtroot.exe", "Z:\\");
    DeleteFileA("C:\\qtroot.exe");
    DeleteFileA("C:\\qtroot.ini");
    EXPECT_EQ(r.out, "C:\\\r\n");
    EXPECT_EQ(r.exitCode, 0);
}

TEST(WorkingDir, DoubleByteNamesAreSteppedOverWhole)
{
    if (GetACP() != 932) {
        GTEST_SKIP() << "needs the ANSI code page 932";
    }
    // 表 is 0x95 0x5C: its trail byte is a backslash. A byte-wise search for
    // the last backslash would cut inside the launcher's own file name.
    const std::string hyo = "\x95\x5C";
    Product app("Dbcs" + hyo, hyo + ".exe");
    app.installJvm("rt\\", printCwd);
    app.writeIni(config("rt\\", "yes"));
    const LaunchResult r = app.run("x", "C:\\");
    EXPECT_EQ(r.out, "C:\\qt\\Dbcs" + hyo + "\r\n");
    EXPECT_EQ(r.exitCode, 0);
}

} // namespace
