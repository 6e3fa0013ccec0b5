// The option list the launcher hands the JVM, the Java thread's stack, and
// the search paths, as the test double records them.

#include "Product.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

namespace {

const std::string emptyMain = "class=com/example/App\n";

std::string runtimeHeader(const std::string& home)
{
    return "[Java Runtime Environment]\nMain Class=com.example.App\nJRE Path=" + home + "\n";
}

std::string createLine(const std::string& log)
{
    const std::vector<std::string> lines = logLines(log, "CreateJavaVM version=");
    return lines.size() == 1 ? lines[0] : "(" + std::to_string(lines.size()) + " creations)";
}

TEST(JvmOptions, EveryKeyInItsPlace)
{
    const ScopedVariable appDir("QT_APPDIR", "C:\\App");
    const ScopedVariable path("Path", "C:\\windows\\system32;C:\\windows");
    Product app("Options");
    const std::string home = app.installJvm("jre\\", emptyMain);
    app.writeIni(runtimeHeader(home) +
                 "Library Path=C:\\libs\n"
                 "Virtual Machine Parameters=\"-Dapp.home=C:\\Program Files\\App\" -Dname=\"a b\"  -Xmx50p "
                 "-Xss512k -Dhome=%QT_APPDIR%\n"
                 "[Class Path]\nClass Path=%QT_APPDIR%\\lib\\app.jar;lib\\other.jar\n");

    const LaunchResult r = app.start();
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.exitCode, 0);

    // Half of the machine's memory, in kilobytes, as the JVM is told.
    MEMORYSTATUSEX memory{};
    memory.dwLength = sizeof memory;
    ASSERT_TRUE(GlobalMemoryStatusEx(&memory));
    const auto halfKB = static_cast<unsigned long long>(static_cast<double>(memory.ullTotalPhys >> 10) * 0.5);

    const std::string log = app.jvmLog("jre\\");
    EXPECT_EQ(logLines(log, "option["), (std::vector<std::string>{
        "option[0]=-Djava.library.path=C:\\libs;C:\\qt\\Options\\;.;C:\\windows\\system32;C:\\windows;"
        "C:\\qt\\Options\\jre\\lib",
        "option[1]=-Djava.class.path=C:\\App\\lib\\app.jar;lib\\other.jar",
        "option[2]=-Dapp.home=C:\\Program Files\\App",
        "option[3]=-Dname=a b",
        "option[4]=-Xmx" + std::to_string(halfKB) + "K",
        "option[5]=-Xss512k",
        "option[6]=-Dhome=C:\\App",
        // As java names the program to the JDK's tools.
        "option[7]=-Dsun.java.command=com.example.App",
    }));
    EXPECT_EQ(createLine(log).substr(0, 60), "CreateJavaVM version=0x00010002 nOptions=8 ignoreUnrecognize");
    EXPECT_NE(log.find(" ignoreUnrecognized=0 "), std::string::npos);
    // A requested stack size needs no default.
    EXPECT_EQ(log.find("GetDefaultJavaVMInitArgs"), std::string::npos);
}

TEST(JvmOptions, ExpansionKeepsEveryByteOfDoubleByteText)
{
    // "ソ" is 0x83 0x5C and "表" 0x95 0x5C in code page 932, where the
    // platform's own expansion once cut such text short; elsewhere they are
    // single-byte characters that must arrive just the same.
    const ScopedVariable japanese("QT_JP", "\x83\x5C\x83\x5C");
    Product app("DoubleByteOptions");
    const std::string home = app.installJvm("jre\\", emptyMain);
    app.writeIni(runtimeHeader(home) +
                 "Virtual Machine Parameters=-Dz=\"\x83\x5C\x95\x5C\" -Dv=%QT_JP%\\\x95\x5C;%QT_UNSET%\x83\x5C\n"
                 "[Class Path]\nClass Path=\x83\x5C\\lib;\x95\x5C\n");
    const LaunchResult r = app.start();
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(logLines(app.jvmLog("jre\\"), "option["), (std::vector<std::string>{
        "option[0]=-Djava.class.path=\x83\x5C\\lib;\x95\x5C",
        "option[1]=-Dz=\x83\x5C\x95\x5C",
        "option[2]=-Dv=\x83\x5C\x83\x5C\\\x95\x5C;%QT_UNSET%\x83\x5C",
        "option[3]=-Dsun.java.command=com.example.App",
    }));
}

TEST(JvmOptions, LongClassPathsAndOptionsArriveWhole)
{
    // Past the 32,767 characters where the platform's expansion gave up.
    for (std::size_t length : {40000u, 100000u}) {
        std::string classPath(length, 'c');
        classPath.front() = '<';
        classPath.back() = '>';
        const std::string option = "-Dlong=" + std::string(length, 'o');
        Product app("LongOptions");
        const std::string home = app.installJvm("jre\\", emptyMain);
        app.writeIni(runtimeHeader(home) + "Virtual Machine Parameters=" + option + " -Dafter=%QT_APPDIR%\n" +
                     "[Class Path]\nClass Path=" + classPath + "\n");
        const ScopedVariable appDir("QT_APPDIR", "C:\\App");
        EXPECT_EQ(app.start().exitCode, 0) << length;
        EXPECT_EQ(logLines(app.jvmLog("jre\\"), "option["), (std::vector<std::string>{
            "option[0]=-Djava.class.path=" + classPath,
            "option[1]=" + option,
            "option[2]=-Dafter=C:\\App",
            "option[3]=-Dsun.java.command=com.example.App",
        })) << length;
    }
}

TEST(JvmOptions, ClassPathAloneIsTheOnlyOption)
{
    Product app("ClassPathOnly");
    const std::string home = app.installJvm("jre\\", emptyMain);
    app.writeIni(runtimeHeader(home) + "[Class Path]\nClass Path=app.jar\n");
    EXPECT_EQ(app.start().exitCode, 0);
    const std::string log = app.jvmLog("jre\\");
    EXPECT_EQ(logLines(log, "option["), (std::vector<std::string>{"option[0]=-Djava.class.path=app.jar",
                                                                  "option[1]=-Dsun.java.command=com.example.App"}));
}

TEST(JvmOptions, JavaThreadGetsTheRequestedStack)
{
    // Wine reserves at least the executable's 2 MiB for any thread, so only
    // larger sizes tell whether the request arrived.
    const struct {
        const char* parameters;
        const char* stack;
    } rows[] = {
        {"-Xss3m", "stack=3145728"},
        {"-Xss3072k", "stack=3145728"},
        {"-Xss3m -Xss4m", "stack=4194304"},         // the last readable size wins
        {"-Xss4m -Xss1:2k -Xssabc", "stack=4194304"}, // unreadable sizes change nothing
    };
    for (const auto& row : rows) {
        Product app("Stack");
        const std::string home = app.installJvm("jre\\", emptyMain + "defaultStackSize=8388608\n");
        app.writeIni(runtimeHeader(home) + "Virtual Machine Parameters=" + row.parameters +
                     "\n[Class Path]\nClass Path=app.jar\n");
        EXPECT_EQ(app.start().exitCode, 0) << row.parameters;
        const std::string log = app.jvmLog("jre\\");
        const std::string line = createLine(log);
        EXPECT_EQ(line.substr(line.find(" stack=") + 1), row.stack) << row.parameters;
        EXPECT_EQ(log.find("GetDefaultJavaVMInitArgs"), std::string::npos) << row.parameters;
    }
}

TEST(JvmOptions, WithoutXssTheJvmDefaultSizesTheThread)
{
    Product app("DefaultStack");
    const std::string home = app.installJvm("jre\\", emptyMain + "defaultStackSize=3145728\n");
    app.writeIni(runtimeHeader(home) + "[Class Path]\nClass Path=app.jar\n");
    EXPECT_EQ(app.start().exitCode, 0);
    const std::string log = app.jvmLog("jre\\");
    EXPECT_EQ(logLines(log, "GetDefaultJavaVMInitArgs"),
              (std::vector<std::string>{
                  "GetDefaultJavaVMInitArgs version=0x00010001 javaStackSize=3145728 result=-1"}));
    const std::string line = createLine(log);
    EXPECT_EQ(line.substr(line.find(" stack=") + 1), "stack=3145728");
}

TEST(JvmOptions, SystemPathFollowsTheCurrentPath)
{
    const ScopedVariable path("Path", "C:\\windows\\system32;C:\\windows");
    Product app("SystemPath");
    const std::string home = app.installJvm("jre\\", "class=com/example/App\nmain=env PATH\n");
    app.writeIni(runtimeHeader(home) + "System Path=C:\\App\\bin;%QT_UNSET_TOO%\n[Class Path]\nClass Path=app.jar\n");
    const LaunchResult r = app.start();
    EXPECT_EQ(r.out, "PATH=C:\\windows\\system32;C:\\windows;C:\\App\\bin;%QT_UNSET_TOO%\r\n");
    EXPECT_EQ(r.exitCode, 0);
}

TEST(JvmOptions, MissingClassPathStopsAfterTheLibraryLoaded)
{
    Product app("NoClassPath");
    const std::string home = app.installJvm("jre\\", emptyMain);
    app.writeIni(runtimeHeader(home) + "Virtual Machine Parameters=-Xmx64m\n[Class Path]\nClass Path=\n");
    const LaunchResult r = app.start();
    EXPECT_EQ(r.out, "Error: Java Class Path was not specified in INI file. \n");
    EXPECT_EQ(r.exitCode, -1);
    EXPECT_EQ(app.jvmLog("jre\\"), ""); // no JVM was created, nothing was asked of it

    // The library is loaded first: a broken one is what gets reported.
    app.write("jre\\bin\\client\\jvm.dll", "not a library");
    EXPECT_EQ(app.start().out,
              "Error: Failed to load Java VM library: " + home + "bin\\client\\jvm.dll (errno = 193).\n \n");
}

} // namespace
