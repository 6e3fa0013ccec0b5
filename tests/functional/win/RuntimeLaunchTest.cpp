// The shipped launcher choosing among registered runtimes: the registry
// scan, the ranking and the library loaded and published to the Java
// program, with and without the trace of each candidate's verdict.

#include "Product.h"
#include "RuntimeKeys.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

namespace {

const std::string client = "bin\\client\\jvm.dll";

// The shipped launcher, started with or without the trace; the registered
// runtimes cleared before and after, also when a test fails.
class RegisteredLaunch : public ::testing::Test {
protected:
    void SetUp() override { clearRuntimeKeys(); }
    void TearDown() override { clearRuntimeKeys(); }
    static LaunchResult startTraced(const Product& app, const char* trace)
    {
        const ScopedVariable traced("QUARNEL_TRACE", trace);
        return app.start();
    }
};

TEST_F(RegisteredLaunch, LauncherLoadsTheRegisteredRuntimeItRanksFirst)
{
    Product app("Registered");
    const std::string script = "class=App\nmain=env QUARNEL_JVM_PATH;env QUARNEL_JVM_HOME\n";
    const std::string kit = app.installJvm("jdk16\\jre\\", script);
    const std::string runtime = app.installJvm("jre17\\", script);
    registerFolder(oldKit, "1.6.0_20", app.folder() + "jdk16");
    registerFolder(oldRuntime, "1.7", runtime);
    app.writeIni("[Java Runtime Environment]\nMain Class=App\nMaximum Version=1.6\n[Class Path]\nClass Path=a.jar\n");

    const LaunchResult r = app.start();
    EXPECT_EQ(r.out, "QUARNEL_JVM_PATH=" + kit + client + "\r\nQUARNEL_JVM_HOME=" +
                         kit.substr(0, kit.size() - 1) + "\r\n");
    EXPECT_EQ(r.exitCode, 0);
}

const std::string printPath = "class=App\nmain=env QUARNEL_JVM_PATH\n";
const std::string classPath = "[Class Path]\nClass Path=a.jar\n";

TEST_F(RegisteredLaunch, LibraryOfTheOtherMachineIsPassedOverUnlessConfigured)
{
    Product app("Foreign");
    const std::string x86 = app.installJvm("jdk21\\", printPath, "jvm32.dll");
    const std::string x64 = app.installJvm("jdk17\\", printPath);
    registerFolder(javaSoftJdk, "21", x86);
    registerFolder(javaSoftJdk, "17.0.12", x64);
    app.writeIni("[Java Runtime Environment]\nMain Class=App\n" + classPath);
    const std::string taken = "QUARNEL_JVM_PATH=" + x64 + client + "\r\n";
    LaunchResult r = app.start();
    EXPECT_EQ(r.out, taken);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.exitCode, 0);

    // Beside the launcher too.
    app.installJvm("jre\\", printPath, "jvm32.dll");
    r = app.start();
    EXPECT_EQ(r.out, taken);
    EXPECT_EQ(r.exitCode, 0);

    // Configured, it is what the product asked for: the load says why not.
    app.writeIni("[Java Runtime Environment]\nMain Class=App\nJRE Path=" + x86 + "\n" + classPath);
    r = app.start();
    EXPECT_EQ(r.out, "Error: Failed to load Java VM library: " + x86 + client + " (errno = 193).\n \n");
    EXPECT_EQ(r.exitCode, -1);
}

TEST_F(RegisteredLaunch, TraceGivesEachCandidatesVerdict)
{
    Product app("Trace");
    const std::string x86 = app.installJvm("jdk21\\", printPath, "jvm32.dll");
    const std::string chosenHome = app.installJvm("jdk17\\", printPath);
    const std::string runtime = app.installJvm("jre16\\", printPath);
    app.write("jdk11\\bin\\java.dll", "");
    registerFolder(oldRuntime, "1.5", runtime);
    registerFolder(javaSoftJdk, "11", app.folder() + "jdk11");
    registerFolder(javaSoftJdk, "17.0.12", chosenHome);
    registerFolder(javaSoftJdk, "21", x86);
    registerFolder({javaSoftJdk.path, "", "NotJavaHome"}, "9", chosenHome);
    registerFolder(adoptiumJdk, "17.0.12.7", chosenHome);
    registerFolder(javaSoftJre, "16.0.2", runtime);
    app.writeIni("[Java Runtime Environment]\nMain Class=App\nMinimum Version=1.6\n"
                 "Virtual Machine Parameters=-Xmx64m\n" + classPath);

    const LaunchResult quiet = app.start();
    const LaunchResult r = startTraced(app, "1");
    EXPECT_EQ(r.out, quiet.out);
    EXPECT_EQ(r.out, "QUARNEL_JVM_PATH=" + chosenHome + client + "\r\n");
    EXPECT_EQ(r.exitCode, 0);

    const std::string& f = app.folder();
    const std::string jdk = "Software\\JavaSoft\\JDK\\";
    // In this order, among the other lines.
    const std::vector<std::string> expected = {
        "configuration " + f + "app.ini",
        "looking for a runtime: minimum 1.6, maximum any, JVM type default, preferred \"\"",
        "source JRE Path: not set",
        "source beside the launcher: no runtime marker",
        "source Software\\JavaSoft\\Java Development Kit\\: not present",
        "source " + jdk,
        "candidate " + jdk + "11: version 11, development kit, home " + f + "jdk11\\: no library",
        "candidate " + jdk + "9: version 9, development kit: no JavaHome value",
        "source Software\\Eclipse Adoptium\\JDK\\",
        "candidate Software\\Eclipse Adoptium\\JDK\\17.0.12.7\\hotspot\\MSI: version 17.0.12.7, development kit, "
        "home " + chosenHome + ", library " + chosenHome + client + ": duplicate",
        "candidate Software\\JavaSoft\\Java Runtime Environment\\1.5: version 1.5, runtime: out of bounds",
        "candidate " + jdk + "21: version 21, development kit, home " + x86 + ", library " + x86 + client +
            ": other architecture",
        "candidate " + jdk + "17.0.12: version 17.0.12, development kit, home " + chosenHome + ", library " +
            chosenHome + client + ": chosen",
        "candidate Software\\JavaSoft\\JRE\\16.0.2: version 16.0.2, runtime, home " + runtime + ", library " +
            runtime + client + ": not preferred",
        "loading JVM library " + chosenHome + client,
        "JVM option -Xmx64m",
    };
    std::size_t at = 0;
    for (const std::string& line : expected) {
        const std::size_t found = r.err.find("quarnel: " + line + "\n", at);
        EXPECT_NE(found, std::string::npos) << line << "\nin\n" << r.err;
        at = found == std::string::npos ? at : found;
    }
    // Nothing but trace lines, each whole.
    for (std::size_t start = 0; start < r.err.size();) {
        EXPECT_EQ(r.err.compare(start, 9, "quarnel: "), 0) << r.err.substr(start);
        const std::size_t end = r.err.find('\n', start);
        ASSERT_NE(end, std::string::npos) << r.err.substr(start);
        EXPECT_EQ(r.err.find('\r', start), std::string::npos);
        start = end + 1;
    }

    // Only exactly "1" turns it on; otherwise the bytes are today's.
    for (const char* value : {"0", "yes", " 1", "1 ", ""}) {
        const LaunchResult off = startTraced(app, value);
        EXPECT_EQ(off.out, quiet.out) << value;
        EXPECT_EQ(off.err, "") << value;
        EXPECT_EQ(off.exitCode, 0);
    }
}

} // namespace
