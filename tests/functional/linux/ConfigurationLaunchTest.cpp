// The Linux launcher started as a product starts it, on the real JDK with
// -Xcheck:jni: how the configuration file is found, where the runtime comes
// from (a relative "JRE Path", a runtime beside the launcher, the kits under
// /usr/lib/jvm, nothing at all), and what the configured options do to the
// JVM the program runs in.

#include "LinuxProduct.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;

constexpr const char* installedKits = "/usr/lib/jvm/";

std::string withoutTrailingSlash(const std::string& folder)
{
    return !folder.empty() && folder.back() == '/' ? folder.substr(0, folder.size() - 1) : folder;
}

// A product configuration that names no runtime folder: the launcher has to
// find one itself.
std::string configWithoutJrePath(const std::string& mainClass, const std::string& runtimeKeys = "")
{
    return "[Java Runtime Environment]\nMain Class=" + mainClass + "\nVirtual Machine Parameters=-Xcheck:jni\n" +
           runtimeKeys + "[Class Path]\nClass Path=" + javaClasses() + "\n";
}

// The values of the "name=value" lines that quarnel.test.Report printed for
// `name`, in order.
std::vector<std::string> reported(const std::string& out, const std::string& name)
{
    std::vector<std::string> values;
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);) {
        if (line.compare(0, name.size() + 1, name + "=") == 0) {
            values.push_back(line.substr(name.size() + 1));
        }
    }
    return values;
}

std::string reportedOnce(const std::string& out, const std::string& name)
{
    const std::vector<std::string> values = reported(out, name);
    EXPECT_EQ(values.size(), 1u) << name << " in " << out;
    return values.empty() ? std::string() : values.front();
}

std::string fileText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

// The feature release of a kit's "release" file ("17.0.15" gives 17, the old
// "1.8.0_392" gives 8); 0 when it names none.
int featureReleaseOf(const std::string& releaseText)
{
    const std::string key = "JAVA_VERSION=\"";
    const std::size_t at = releaseText.find(key);
    if (at == std::string::npos) {
        return 0;
    }
    std::istringstream version(releaseText.substr(at + key.size()));
    int first = 0;
    version >> first;
    if (first == 1 && version.get() == '.') {
        int second = 0;
        version >> second;
        return second;
    }
    return first;
}

// The kits under /usr/lib/jvm by feature release, each by its real folder.
std::map<std::string, int> installedFeatureReleases()
{
    std::map<std::string, int> kits;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(installedKits, error)) {
        const int release = featureReleaseOf(fileText((entry.path() / "release").string()));
        const fs::path kit = fs::canonical(entry.path(), error);
        if (release > 0 && !error) {
            kits[kit.string()] = release;
        }
    }
    return kits;
}

// The real folder of the kit that a runtime home belongs to (a Java 8 kit
// keeps its runtime in "jre").
std::string kitOf(const std::string& home)
{
    std::error_code error;
    fs::path kit = fs::canonical(home, error);
    if (kit.filename() == "jre" && fs::exists(kit.parent_path() / "release")) {
        kit = kit.parent_path();
    }
    return kit.string();
}

TEST(ConfigurationFile, LauncherWithoutExtensionReadsItsNameWithIniAppended)
{
    // The dot in the folder's name must not decide where the file is.
    LinuxProduct app("no.extension", "myapp");
    app.writeIni(javaConfig("quarnel.test.Args"));
    const RunResult r = app.run({"first"});
    EXPECT_EQ(r.out, "argc=1\n[0]=first\n");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.exitCode, 0);
}

TEST(ConfigurationFile, MissingRequiredKeysAreReportedBeforeAnyJvmExists)
{
    const std::string noClassPath = "Error: Java Class Path was not specified in INI file. \n";
    const std::string classPathSection = "[Class Path]\nClass Path=" + javaClasses() + "\n";
    const std::string runtime = "[Java Runtime Environment]\nJRE Path=" + jdkHome() + "\n";
    const struct {
        const char* what;
        std::string ini;
        std::string out;
    } cases[] = {
        {"no file at all", "", "Error: Main class was not specified in INI file. \n"},
        {"no main class", runtime + classPathSection, "Error: Main class was not specified in INI file. \n"},
        {"no class path", runtime + "Main Class=quarnel.test.Args\n", noClassPath},
        {"empty class path", runtime + "Main Class=quarnel.test.Args\n[Class Path]\nClass Path=\n", noClassPath},
        {"class path in the runtime section",
         runtime + "Main Class=quarnel.test.Args\nClass Path=" + javaClasses() + "\n", noClassPath},
    };
    for (const auto& c : cases) {
        LinuxProduct app("missingkey");
        if (!c.ini.empty()) {
            app.writeIni(c.ini);
        }
        const RunResult r = app.run({"unused"});
        EXPECT_EQ(r.out, c.out) << c.what;
        EXPECT_EQ(r.err, "") << c.what; // no JVM was created to say anything
        EXPECT_EQ(r.exitCode, 255) << c.what;
    }
}

TEST(ConfigurationFile, ClassPathTakesEnvironmentVariables)
{
    LinuxProduct app("classpathvars");
    app.writeIni("[Java Runtime Environment]\nMain Class=quarnel.test.Report\nJRE Path=" + jdkHome() +
                 "\nVirtual Machine Parameters=-Xcheck:jni\n[Class Path]\nClass Path=%QT_UNSET%:%QT_CLASSES%\n");
    // A variable that is not set stays as written.
    const RunResult r = app.run({"property:java.class.path"}, {"QT_CLASSES=" + javaClasses(), "QT_UNSET"});
    EXPECT_EQ(r.out, "java.class.path=%QT_UNSET%:" + javaClasses() + "\n");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.exitCode, 0);
}

TEST(ConfigurationFile, RelativeJrePathIsTheLaunchersFolderOnlyWithOverriddenWorkingDirectory)
{
    LinuxProduct app("relativejre");
    fs::create_directory_symlink(withoutTrailingSlash(jdkHome()), app.folder() + "rt");
    // No source but the configured folder: nothing else could stand in for it.
    const auto configured = [](const std::string& overrideWorkingDir) {
        return configWithoutJrePath("quarnel.test.Report", "JRE Path=rt\nJVM Source=none\n") +
               "[Application]\nOverride WorkingDir=" + overrideWorkingDir + "\n";
    };
    const std::vector<std::string> requests{"env:QUARNEL_JVM_HOME", "env:QUARNEL_JVM_PATH", "property:user.dir"};

    app.writeIni(configured("yES"));
    const RunResult found = app.run(requests, {}, "/");
    EXPECT_EQ(found.out, "QUARNEL_JVM_HOME=rt\nQUARNEL_JVM_PATH=rt/lib/server/libjvm.so\nuser.dir=" +
                             fs::canonical(app.folder()).string() + "\n");
    EXPECT_EQ(found.err, "");
    EXPECT_EQ(found.exitCode, 0);

    app.writeIni(configured("no"));
    const RunResult lost = app.run(requests, {}, "/");
    EXPECT_EQ(lost.out, "Error: The Java Runtime Environment (JRE) was not found. Please  download and install a JRE "
                        "(latest version) from: \n");
    EXPECT_EQ(lost.exitCode, 255);
}

TEST(Discovery, RuntimeBesideTheLauncherComesBeforeTheInstalledKits)
{
    LinuxProduct app("besidejre");
    fs::create_directory_symlink(withoutTrailingSlash(jdkHome()), app.folder() + "jre");
    app.writeIni(configWithoutJrePath("quarnel.test.Report"));
    const RunResult r = app.run({"env:QUARNEL_JVM_HOME", "env:QUARNEL_JVM_PATH"});
    EXPECT_EQ(r.out, "QUARNEL_JVM_HOME=" + app.folder() + "jre\nQUARNEL_JVM_PATH=" + app.folder() +
                         "jre/lib/server/libjvm.so\n");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.exitCode, 0);
}

TEST(Discovery, InstalledKitWithTheHighestReleaseWithinTheBoundsIsChosen)
{
    const std::map<std::string, int> kits = installedFeatureReleases();
    if (kits.empty()) {
        GTEST_SKIP() << "no development kit under " << installedKits;
    }
    const auto [lowest, highest] = std::minmax_element(
        kits.begin(), kits.end(), [](const auto& a, const auto& b) { return a.second < b.second; });
    const struct {
        std::string bounds;
        int release; // of the kit that has to be chosen
    } cases[] = {
        {"", highest->second},
        {"Minimum Version=" + std::to_string(lowest->second) + "\nMaximum Version=" + std::to_string(lowest->second) +
             "\n",
         lowest->second},
    };
    for (const auto& c : cases) {
        LinuxProduct app("installed");
        app.writeIni(configWithoutJrePath("quarnel.test.Report", c.bounds));
        const RunResult r = app.run({"env:QUARNEL_JVM_HOME"});
        ASSERT_EQ(r.exitCode, 0) << c.bounds << r.out << r.err;
        EXPECT_EQ(r.err, "") << c.bounds;
        const std::string home = reportedOnce(r.out, "QUARNEL_JVM_HOME");
        EXPECT_EQ(home.compare(0, std::string(installedKits).size(), installedKits), 0) << home;
        const auto kit = kits.find(kitOf(home));
        ASSERT_NE(kit, kits.end()) << home << " is not a kit with a release file";
        EXPECT_EQ(kit->second, c.release) << c.bounds << home;
    }
}

TEST(Discovery, NothingThatFitsIsReportedWithTheRequirement)
{
    const std::string notFound =
        "Error: The Java Runtime Environment (JRE) was not found. Please  download and install ";
    const struct {
        const char* keys;
        std::string out;
    } cases[] = {
        {"Minimum Version=99\n", notFound + "a JRE (minimum version 99) from: \n"},
        {"Minimum Version=99\nJVM Type=server\n", notFound + "a JRE with a server JVM (minimum version 99) from: \n"},
        {"JVM Source=none\n", notFound + "a JRE (latest version) from: \n"},
        // Every installed kit is a development kit.
        {"JVM Source=only_JRE\n", notFound + "a JRE (latest version) from: \n"},
    };
    for (const auto& c : cases) {
        LinuxProduct app("notfound");
        app.writeIni(configWithoutJrePath("quarnel.test.Args", c.keys));
        const RunResult r = app.run();
        EXPECT_EQ(r.out, c.out) << c.keys;
        EXPECT_EQ(r.err, "") << c.keys;
        EXPECT_EQ(r.exitCode, 255) << c.keys;
    }
}

TEST(JvmOptions, LibraryPathIsTheFirstOptionAndLaterParametersOverrideIt)
{
    LinuxProduct app("librarypath");
    app.writeIni(javaConfig("quarnel.test.Report", "-Djava.library.path=/opt/qt-later", "",
                            "Library Path=%QT_NATIVE%/lib\n"));
    const RunResult r =
        app.run({"options", "property:java.library.path"}, {"QT_NATIVE=/opt/qt-native", "LD_LIBRARY_PATH"});
    const std::vector<std::string> options = reported(r.out, "option");
    ASSERT_FALSE(options.empty()) << r.out << r.err;
    EXPECT_EQ(options.front(), "-Djava.library.path=/opt/qt-native/lib:" + app.folder() + ":.:" + jdkHome() + "lib");
    EXPECT_EQ(options.back(), "-Djava.library.path=/opt/qt-later");
    EXPECT_EQ(reportedOnce(r.out, "java.library.path"), "/opt/qt-later");
    EXPECT_EQ(r.exitCode, 0);
}

std::uint64_t physicalMemoryKilobytes()
{
    std::istringstream meminfo(fileText("/proc/meminfo"));
    for (std::string name; meminfo >> name;) {
        std::uint64_t kilobytes = 0;
        meminfo >> kilobytes;
        if (name == "MemTotal:") {
            return kilobytes;
        }
        meminfo.ignore(1024, '\n');
    }
    ADD_FAILURE() << "no MemTotal in /proc/meminfo";
    return 0;
}

TEST(JvmOptions, PercentageHeapAndStackSizeReachTheJvm)
{
    // -Xint gives every frame the interpreter's size, so that recursion depth
    // measures stack size; G1 is chosen so that the heap's rounding is known.
    LinuxProduct app("sizes");
    app.writeIni(javaConfig("quarnel.test.Report", "-Xint -XX:+UseG1GC -Xmx25p -Xss2m"));
    const RunResult r = app.run({"options", "maxMemory", "stack:2097152"});
    ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_EQ(r.err, "");

    const std::uint64_t heapKilobytes = physicalMemoryKilobytes() / 4;
    const std::vector<std::string> options = reported(r.out, "option");
    EXPECT_NE(std::find(options.begin(), options.end(), "-Xmx" + std::to_string(heapKilobytes) + "K"), options.end())
        << r.out;
    EXPECT_NE(std::find(options.begin(), options.end(), "-Xss2m"), options.end()) << r.out;

    // G1 rounds the maximum heap up to whole regions, which it sizes at no
    // more than 32 MB unless told otherwise.
    const std::uint64_t heapBytes = heapKilobytes * 1024;
    const std::uint64_t maxMemory = std::stoull(reportedOnce(r.out, "maxMemory"));
    EXPECT_GE(maxMemory, heapBytes);
    EXPECT_LE(maxMemory, heapBytes + 32 * 1024 * 1024);

    // The launcher's thread that runs main has the stack -Xss asks for: as
    // deep as a thread the JVM made with 2 MB, where the JVM's 1 MB default
    // or the system's 8 MB would be half or four times as deep.
    const double mainDepth = std::stod(reportedOnce(r.out, "mainDepth"));
    const double threadDepth = std::stod(reportedOnce(r.out, "threadDepth"));
    ASSERT_GT(threadDepth, 0);
    EXPECT_NEAR(mainDepth / threadDepth, 1.0, 0.1) << r.out;
}

TEST(FailureCheck, OnlyWhenSetIsTheEscapingExceptionsTraceCaptured)
{
    const std::string described = "Exception in thread \"main\" quarnel.test.CapturedThrower$Noticing: noticed\n"
                                  "\tat quarnel.test.CapturedThrower.main(CapturedThrower.java:25)\n";
    const struct {
        const char* failureCheck;
        const char* out;
    } cases[] = {
        {"YeS", "trace captured\n"},
        {"yes please", ""},
    };
    for (const auto& c : cases) {
        LinuxProduct app("failurecheck");
        app.writeIni(
            javaConfig("quarnel.test.CapturedThrower", "", std::string("Failure Check=") + c.failureCheck + "\n"));
        const RunResult r = app.run();
        EXPECT_EQ(r.out, c.out) << c.failureCheck;
        EXPECT_EQ(r.err, described) << c.failureCheck; // described once, by the JVM
        EXPECT_EQ(r.exitCode, 0) << c.failureCheck;
    }
}

} // namespace
