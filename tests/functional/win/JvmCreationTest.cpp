// Loading the runtime's JVM library and creating the JVM: every failure
// report byte for byte, and what the JVM was asked.

#include "Product.h"

#include <gtest/gtest.h>

namespace {

const std::string config = "Main Class=com.example.App\n[Class Path]\nClass Path=app.jar\n";

std::string runtime(const std::string& home)
{
    return "[Java Runtime Environment]\nJRE Path=" + home + "\n" + config;
}

// The test double with every `from` (a whole, zero-terminated name in its
// tables) renamed to `to`, installed as the runtime's library.
std::string installPatchedJvm(const Product& app, const std::string& from, const std::string& to)
{
    const std::string home = app.installJvm("jre\\", "class=com/example/App\n");
    std::string bytes = app.read(buildFolder() + "jvm.dll");
    EXPECT_EQ(from.size(), to.size());
    const std::string name = from + '\0';
    std::size_t patched = 0;
    for (std::size_t at = bytes.find(name); at != std::string::npos; at = bytes.find(name, at + 1)) {
        bytes.replace(at, to.size(), to);
        ++patched;
    }
    EXPECT_GT(patched, 0u) << from;
    app.write(home + "bin\\client\\jvm.dll", bytes);
    return home;
}

TEST(JvmLoading, LibraryThatCannotBeLoadedIsReportedWithTheSystemError)
{
    // A library whose own dependency is missing: the module is not found.
    Product app("MissingDependency");
    const std::string home = installPatchedJvm(app, "msvcrt.dll", "qtnone.dll");
    app.writeIni(runtime(home));
    const LaunchResult r = app.start();
    EXPECT_EQ(r.out, "Error: Failed to load Java VM library: " + home + "bin\\client\\jvm.dll (errno = 126).\n \n");
    EXPECT_EQ(r.exitCode, -1);
}

TEST(JvmLoading, EitherMissingEntryPointIsTheSameReport)
{
    const std::string missing = "Error: Windows exception: cannot find CreateJavaVM JNI (errno = 127).\n \n";
    {
        Product app("NoDefaultArgs");
        const std::string home = app.installJvm("jre\\", "class=com/example/App\n", "jvmnodefault.dll");
        app.writeIni(runtime(home));
        const LaunchResult r = app.start();
        EXPECT_EQ(r.out, missing);
        EXPECT_EQ(r.exitCode, -1);
        EXPECT_EQ(app.jvmLog("jre\\"), "");
    }
    {
        Product app("NoCreate");
        const std::string home = installPatchedJvm(app, "JNI_CreateJavaVM", "JNI_CreateJavaVX");
        app.writeIni(runtime(home));
        const LaunchResult r = app.start();
        EXPECT_EQ(r.out, missing);
        EXPECT_EQ(r.exitCode, -1);
    }
}

TEST(JvmCreation, EveryRefusalNamesItsReason)
{
    const struct {
        int code;
        const char* reason;
    } rows[] = {
        {-1, "unknown"},
        {-2, "thread detached from VM"},
        {-3, "JNI version error"},
        {-4, "not enought memory"},
        {-5, "VM already created"},
        {-6, "invalid arguments"},
        {-7, ""},
        {1, ""},
    };
    for (const auto& row : rows) {
        Product app("Refused");
        const std::string home =
            app.installJvm("jre\\", "class=com/example/App\ncreate=" + std::to_string(row.code) + "\n");
        app.writeIni(runtime(home));
        const LaunchResult r = app.start();
        EXPECT_EQ(r.out, std::string("Error: JNI exception: failed to create the Java VM\nReason: ") + row.reason +
                             ".\n \n")
            << row.code;
        EXPECT_EQ(r.exitCode, -1) << row.code;
        const std::string log = app.jvmLog("jre\\");
        EXPECT_NE(log.find("CreateJavaVM result=" + std::to_string(row.code) + "\n"), std::string::npos) << log;
        // No JVM: nothing to attach, detach or destroy.
        EXPECT_EQ(log.find("DetachCurrentThread"), std::string::npos) << log;
        EXPECT_EQ(log.find("DestroyJavaVM"), std::string::npos) << log;
    }
}

TEST(JvmCreation, UnrecognisedOptionIsNotIgnored)
{
    Product app("Unrecognised");
    const std::string home = app.installJvm("jre\\", "class=com/example/App\nreject=-Xfoo\n");
    app.writeIni("[Java Runtime Environment]\nJRE Path=" + home +
                 "\nVirtual Machine Parameters=-Xfoo\n" + config);
    const LaunchResult r = app.start();
    EXPECT_EQ(r.out, "Error: JNI exception: failed to create the Java VM\nReason: unknown.\n \n");
    EXPECT_EQ(r.err, "Unrecognized option: -Xfoo\n");
    EXPECT_EQ(r.exitCode, -1);
    EXPECT_NE(app.jvmLog("jre\\").find(" ignoreUnrecognized=0 "), std::string::npos);
}

TEST(JvmCreation, RuntimeLocationIsPublishedToTheJavaProgram)
{
    Product app("Published");
    const std::string home =
        app.installJvm("jre\\", "class=com/example/App\nmain=env QUARNEL_JVM_PATH;env QUARNEL_JVM_HOME\n");
    app.writeIni(runtime(home));
    const LaunchResult r = app.start();
    EXPECT_EQ(r.out, "QUARNEL_JVM_PATH=" + home + "bin\\client\\jvm.dll\r\nQUARNEL_JVM_HOME=" +
                         home.substr(0, home.size() - 1) + "\r\n");
    EXPECT_EQ(r.exitCode, 0);
}

// The window system's libraries come in only with a dialog or with the
// single-instance messages; a launch that shows no window pays nothing for
// them. The double reports what the process has loaded when it is asked to
// create the JVM.
const std::string windowSystemProbe =
    "class=com/example/App\nloaded=user32.dll\nloaded=gdi32.dll\nloaded=comctl32.dll\nloaded=shell32.dll\n"
    "loaded=ole32.dll\n";

TEST(WindowSystem, OrdinaryStartLoadsNoneOfIt)
{
    Product app("NoWindows");
    const std::string home = app.installJvm("jre\\", windowSystemProbe);
    app.writeIni(runtime(home));
    const LaunchResult r = app.start();
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_NE(app.jvmLog("jre\\").find("loaded user32.dll=0\nloaded gdi32.dll=0\nloaded comctl32.dll=0\n"
                                       "loaded shell32.dll=0\nloaded ole32.dll=0\n"),
              std::string::npos)
        << app.jvmLog("jre\\");
}

TEST(WindowSystem, SingleInstanceBringsInTheMessages)
{
    Product app("SingleWindows");
    const std::string home = app.installJvm("jre\\", windowSystemProbe);
    app.writeIni(runtime(home) + "[Application]\nSingle Instance=yes\n");
    const LaunchResult r = app.start();
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_NE(app.jvmLog("jre\\").find("loaded user32.dll=1\n"), std::string::npos) << app.jvmLog("jre\\");
}

} // namespace
