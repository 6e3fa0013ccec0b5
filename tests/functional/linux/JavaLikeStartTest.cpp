// What a `java` command line does that the JVM does not, done by the
// launcher: class-path wildcards, modular applications, the program's name
// for the JDK's tools, and options written with a space. Each is compared
// with `java` itself run with the same arguments, on JDK 17 and, where
// present, Temurin 25.

#include "LinuxProduct.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <sstream>

namespace fs = std::filesystem;

namespace {

// Runs a command in `folder`, its standard output and error captured.
RunResult runIn(const std::string& folder, const std::string& command)
{
    const std::string out = folder + "/.command.out";
    const std::string err = folder + "/.command.err";
    const int status = std::system(("cd '" + folder + "' && " + command + " >" + out + " 2>" + err).c_str());
    RunResult result;
    std::ifstream o(out), e(err);
    std::stringstream os, es;
    os << o.rdbuf();
    es << e.rdbuf();
    result.out = os.str();
    result.err = es.str();
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1000;
    fs::remove(out);
    fs::remove(err);
    return result;
}

std::set<std::string> entries(const std::string& classPath)
{
    std::set<std::string> found;
    std::stringstream in(classPath);
    for (std::string entry; std::getline(in, entry, ':');) {
        found.insert(entry);
    }
    return found;
}

// The value of the one line "name=value" of a Report run.
std::string reported(const std::string& out, const std::string& name)
{
    const std::size_t at = out.find(name + "=");
    return at == std::string::npos ? "(none)" : out.substr(at + name.size() + 1, out.find('\n', at) - at - name.size() - 1);
}

class JavaLikeStart : public JdkTest {
protected:
    JavaLikeStart() : JdkTest("bin/java") {}

    std::string config(const std::string& runtimeKeys, const std::string& classPath,
                       const std::string& parameters = "") const
    {
        return "[Java Runtime Environment]\nJRE Path=" + jdk() + "\n" + runtimeKeys +
               "Virtual Machine Parameters=-Xcheck:jni " + parameters + "\n[Class Path]\nClass Path=" + classPath +
               "\n";
    }
};

TEST_P(JavaLikeStart, ClassPathWildcardsExpandToTheJarsJavaFinds)
{
    LinuxProduct app("wildcards");
    // Real jars under their names (the JVM opens what precedes the probe),
    // and what a wildcard must pass over.
    const std::string jar = jdk() + "bin/jar cf ";
    ASSERT_EQ(runIn(app.folder(), "mkdir -p lib/sub empty extra && touch notes.txt && " + jar +
                                      "lib/b.jar notes.txt && cp lib/b.jar lib/a.jar && cp lib/b.jar lib/C.JAR && "
                                      "cp lib/b.jar lib/x.Jar && cp lib/b.jar lib/sub/d.jar && cp lib/b.jar top.jar && "
                                      "cp lib/b.jar lib/.hidden.jar && touch lib/readme.txt && mkdir odd && "
                                      "cp lib/b.jar odd/o.jar && touch 'odd/*'")
                  .exitCode,
              0);
    const std::string classes = javaClasses();
    app.writeIni(config("Main Class=quarnel.test.Report\n", "lib/*:" + classes));
    EXPECT_EQ(reported(app.run({"property:java.class.path"}).out, "java.class.path"),
              "lib/.hidden.jar:lib/C.JAR:lib/a.jar:lib/b.jar:" + classes);
    for (const std::string& classPath : {"lib/*:" + classes, "*:" + classes, classes + ":lib/*:extra/*:empty/*",
                                         "%QT_WILD%:" + classes, "lib/sub/*:lib/*.jar:" + classes,
                                         "odd/*:" + classes}) {
        SCOPED_TRACE(classPath);
        app.writeIni(config("Main Class=quarnel.test.Report\n", classPath));
        const RunResult ours = app.run({"property:java.class.path"}, {"QT_WILD=lib/*"});
        std::string javaClassPath = classPath;
        if (javaClassPath.compare(0, 9, "%QT_WILD%") == 0) {
            javaClassPath.replace(0, 9, "lib/*");
        }
        const RunResult theirs =
            runIn(app.folder(), java() + " -cp '" + javaClassPath + "' quarnel.test.Report property:java.class.path");
        ASSERT_EQ(ours.exitCode, 0) << ours.err;
        ASSERT_EQ(theirs.exitCode, 0) << theirs.err;
        const std::string expanded = reported(ours.out, "java.class.path");
        // java keeps a wildcard that finds no jar as written, where it
        // finds nothing; the launcher leaves it out.
        std::set<std::string> javaEntries = entries(reported(theirs.out, "java.class.path"));
        for (const char* unmatched : {"extra/*", "empty/*"}) {
            javaEntries.erase(unmatched);
        }
        EXPECT_EQ(entries(expanded), javaEntries);
        EXPECT_NE(expanded.find(classes), std::string::npos) << expanded;
        // One order on every start: the folder's names sorted byte-wise.
        std::vector<std::string> jars;
        std::stringstream in(expanded);
        for (std::string entry; std::getline(in, entry, ':');) {
            if (entry.compare(0, 4, "lib/") == 0 && entry.find('/', 4) == std::string::npos) {
                jars.push_back(entry);
            }
        }
        EXPECT_TRUE(std::is_sorted(jars.begin(), jars.end())) << expanded;
        EXPECT_EQ(expanded.find("::"), std::string::npos) << "a folder without jars leaves no empty entry";
    }
}

// The two modules of the test, compiled once per JDK into jars: lib.greet,
// and app, which requires it and names app.Main its main class.
std::string moduleJars(const std::string& jdk)
{
    static std::map<std::string, std::unique_ptr<ScratchFolder>> built;
    std::unique_ptr<ScratchFolder>& folder = built[jdk];
    if (!folder) {
        folder = std::make_unique<ScratchFolder>("modules");
        const std::string root = folder->path().string();
        const std::string sources = QUARNEL_TEST_MODULE_SOURCES;
        const RunResult made = runIn(
            root, "mkdir -p classes mods && " + jdk + "bin/javac -d classes --module-source-path " + sources + " $(find " +
                      sources + " -name '*.java') && " + jdk + "bin/jar cf mods/lib.greet.jar -C classes/lib.greet . && " +
                      jdk + "bin/jar --create --file mods/app.jar --main-class app.Main -C classes/app .");
        EXPECT_EQ(made.exitCode, 0) << made.err;
    }
    return folder->path().string() + "/mods";
}

TEST_P(JavaLikeStart, AMainModuleStartsAsJavaStartsIt)
{
    const std::string mods = moduleJars(jdk());
    LinuxProduct app("modules");
    for (const char* module : {"app", "app/app.Main"}) {
        SCOPED_TRACE(module);
        // Neither a class nor a class path; one option written as for java.
        app.writeIni(config(std::string("Main Module=") + module + "\nModule Path=" + mods + "\n", "",
                            "--add-opens java.base/java.lang=app"));
        const RunResult ours = app.run({"one", "two"});
        const RunResult theirs = runIn(app.folder(), java() + " -Xcheck:jni --add-opens java.base/java.lang=app -p " +
                                                         mods + " -m " + module + " one two");
        EXPECT_EQ(ours.exitCode, 0) << ours.err;
        EXPECT_EQ(ours.out, theirs.out);
        EXPECT_NE(ours.out.find("module module app\nlayer "), std::string::npos) << ours.out;
        EXPECT_NE(ours.out.find("same layer true\nhello one,two from module lib.greet\n"), std::string::npos);
        EXPECT_NE(ours.out.find("sun.java.command=" + std::string(module) + " one two\n"), std::string::npos);
        EXPECT_NE(ours.out.find("java.lang opened true\n"), std::string::npos);
        EXPECT_EQ(ours.err, theirs.err);
    }

    // Without the option, java.lang stays closed, as under java; the module
    // path may come from the options too, as `-p` on java's command line.
    app.writeIni(config("Main Module=app\n", "", "-p " + mods));
    const RunResult closed = app.run({});
    EXPECT_EQ(closed.exitCode, 0) << closed.err;
    EXPECT_NE(closed.out.find("java.lang opened false\n"), std::string::npos) << closed.out;
}

TEST_P(JavaLikeStart, AModuleWithoutMainClassIsNamedInTheError)
{
    const std::string mods = moduleJars(jdk());
    LinuxProduct app("nomain");
    app.writeIni(config("Main Module=lib.greet\nModule Path=" + mods + "\n", ""));
    const RunResult r = app.run({});
    EXPECT_EQ(r.out, "Error: The main module lib.greet was not found or names no main class. \n");
    EXPECT_EQ(r.exitCode, 255);

    // Not there at all: the JVM cannot make the boot layer and says why,
    // then the launcher names the module, and the run ends -1, not 1.
    app.writeIni(config("Main Module=nosuch/x.Main\nModule Path=" + mods + "\n", ""));
    const RunResult missing = app.run({});
    EXPECT_NE((missing.out + missing.err).find("Module nosuch not found"), std::string::npos) << missing.out;
    const std::string line = "Error: The main module nosuch/x.Main was not found or names no main class. \n";
    ASSERT_GE(missing.out.size(), line.size()) << missing.out;
    EXPECT_EQ(missing.out.substr(missing.out.size() - line.size()), line);
    EXPECT_EQ(missing.exitCode, 255);
}

TEST_P(JavaLikeStart, ToolsNameTheProgramAsJavaDoes)
{
    LinuxProduct app("jps");
    app.writeIni(config("Main Class=quarnel.test.Report\n", javaClasses()));
    const RunResult ours = app.run({"property:sun.java.command", "two words"});
    const RunResult theirs = runIn(app.folder(), java() + " -cp " + javaClasses() +
                                                     " quarnel.test.Report property:sun.java.command 'two words'");
    EXPECT_EQ(reported(ours.out, "sun.java.command"), "quarnel.test.Report property:sun.java.command two words");
    EXPECT_EQ(reported(ours.out, "sun.java.command"), reported(theirs.out, "sun.java.command"));

    // jps -l lists the running launcher under the same name as java.
    app.writeIni(config("Main Class=quarnel.test.Waiting\n", javaClasses()));
    RunningLaunch running = app.spawn("waiting", {"x"});
    std::string line;
    const std::string pid = std::to_string(running.pid());
    ASSERT_TRUE(eventually([&] {
        const RunResult listed = runIn(app.folder(), jdkHome() + "bin/jps -l");
        const std::size_t at = listed.out.find(pid + " ");
        line = at == std::string::npos ? "" : listed.out.substr(at, listed.out.find('\n', at) - at);
        return !line.empty();
    }));
    EXPECT_EQ(line, pid + " quarnel.test.Waiting");
    app.write("release", "");
    EXPECT_EQ(running.finish().exitCode, 0);
}

INSTANTIATE_TEST_SUITE_P(Jdks, JavaLikeStart, ::testing::ValuesIn(testJdks()), jdkTestName);

} // namespace
