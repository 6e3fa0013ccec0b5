// JAVA_HOME as the Linux launcher's last source, with the real JDK: taken
// when no installed kit fits, refused when out of bounds or built for another
// machine, and the trace of a search that finds nothing.

#include "LinuxProduct.h"

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;

std::string configuration(const std::string& runtimeKeys)
{
    return "[Java Runtime Environment]\nMain Class=quarnel.test.Report\nVirtual Machine Parameters=-Xcheck:jni\n" +
           runtimeKeys + "[Class Path]\nClass Path=" + javaClasses() + "\n";
}

std::string testJdk()
{
    const std::string home = jdkHome();
    return home.substr(0, home.size() - 1);
}

const std::string notFound = "Error: The Java Runtime Environment (JRE) was not found. Please  download and install ";

TEST(JavaHome, TakenWhenNoInstalledKitFits)
{
    LinuxProduct app("javahome");
    app.writeIni(configuration("JVM Source=none\n"));
    RunResult r = app.run({"env:QUARNEL_JVM_HOME"}, {"JAVA_HOME=" + testJdk()});
    EXPECT_EQ(r.out, "QUARNEL_JVM_HOME=" + testJdk() + "\n");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.exitCode, 0);

    // Its release file says 17: bounds apply to it as to any other.
    app.writeIni(configuration("JVM Source=none\nMinimum Version=18\n"));
    r = app.run({"env:QUARNEL_JVM_HOME"}, {"JAVA_HOME=" + testJdk()});
    EXPECT_EQ(r.out, notFound + "a JRE (minimum version 18) from: \n");
    EXPECT_EQ(r.exitCode, 255);
    app.writeIni(configuration("JVM Source=none\nMinimum Version=17\nMaximum Version=17\n"));
    r = app.run({"env:QUARNEL_JVM_HOME"}, {"JAVA_HOME=" + testJdk() + "/"});
    EXPECT_EQ(r.out, "QUARNEL_JVM_HOME=" + testJdk() + "\n");
    EXPECT_EQ(r.exitCode, 0);
}

TEST(JavaHome, InstalledKitsComeFirst)
{
    if (!fs::exists("/usr/lib/jvm/java-17-openjdk-amd64/lib/server/libjvm.so")) {
        GTEST_SKIP() << "no packaged OpenJDK 17 on this machine";
    }
    LinuxProduct app("javahomelast");
    fs::create_directory_symlink(testJdk(), app.folder() + "javahome");
    app.writeIni(configuration("Minimum Version=17\nMaximum Version=17\n"));
    const RunResult r = app.run({"env:QUARNEL_JVM_HOME"}, {"JAVA_HOME=" + app.folder() + "javahome"});
    EXPECT_EQ(r.out, "QUARNEL_JVM_HOME=/usr/lib/jvm/java-17-openjdk-amd64\n");
    EXPECT_EQ(r.exitCode, 0);
}

TEST(JavaHome, LibraryOfAnotherMachineIsRefusedBeforeLoading)
{
    LinuxProduct app("javahomearm");
    // An AArch64 libjvm.so as far as its ELF header goes.
    std::string header(64, '\0');
    header.replace(0, 6, "\x7f" "ELF\x02\x01");
    header[18] = static_cast<char>(183);
    app.write("arm/release", "JAVA_VERSION=\"17.0.12\"\n");
    app.write("arm/lib/libjava.so", "");
    app.write("arm/lib/server/libjvm.so", header);
    app.writeIni(configuration("JVM Source=none\n"));
    const RunResult r = app.run({}, {"JAVA_HOME=" + app.folder() + "arm"});
    EXPECT_EQ(r.out, notFound + "a JRE (latest version) from: \n");
    EXPECT_EQ(r.exitCode, 255);
}

TEST(JavaHome, TraceSaysWhyNothingFits)
{
    LinuxProduct app("javahometrace");
    app.writeIni(configuration("JVM Source=none\nMinimum Version=99\n"));
    const RunResult quiet = app.run({}, {"JAVA_HOME=" + testJdk()});
    const RunResult r = app.run({}, {"JAVA_HOME=" + testJdk(), "QUARNEL_TRACE=1"});
    EXPECT_EQ(r.out, quiet.out);
    EXPECT_EQ(r.out, notFound + "a JRE (minimum version 99) from: \n");
    EXPECT_EQ(quiet.err, "");
    const std::string home = testJdk() + "/";
    for (const std::string& line : {
             "quarnel: configuration " + app.folder() + "app.ini\n",
             std::string("quarnel: looking for a runtime: minimum 99, maximum any, JVM type default, preferred \"\"\n"),
             std::string("quarnel: source JRE Path: not set\n"),
             std::string("quarnel: source beside the launcher: no runtime marker\n"),
             std::string("quarnel: source /usr/lib/jvm/: not scanned (JVM Source)\n"),
             ", home " + home + ": out of bounds\n",
             std::string("quarnel: no runtime fits\n"),
         }) {
        EXPECT_NE(r.err.find(line), std::string::npos) << line << "\nin\n" << r.err;
    }
    EXPECT_NE(r.err.find("quarnel: candidate JAVA_HOME: version 17"), std::string::npos) << r.err;
}

} // namespace
