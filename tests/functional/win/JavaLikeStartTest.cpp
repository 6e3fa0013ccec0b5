// The options a `java` command line would have made, under wine with the
// test double: class-path wildcards, a main module, the program's name for
// the JDK's tools, options written with a space.

#include "Product.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// The options' values, without their "option[n]=".
std::vector<std::string> optionLines(const std::string& log)
{
    std::vector<std::string> options = logLines(log, "option[");
    for (std::string& option : options) {
        option.erase(0, option.find("]=") + 2);
    }
    return options;
}

std::string header(const std::string& home, const std::string& keys)
{
    return "[Java Runtime Environment]\nJRE Path=" + home + "\n" + keys;
}

TEST(JavaLikeStart, WildcardsBecomeTheFoldersJarsInByteOrder)
{
    const ScopedVariable wild("QT_WILD", "lib\\*");
    Product app("Wildcards");
    const std::string home = app.installJvm("jre\\", "class=com/example/App\n");
    for (const char* file : {"lib\\b.jar", "lib\\a.jar", "lib\\C.JAR", "lib\\x.Jar", "lib\\notes.txt",
                             "lib\\sub\\d.jar", "top.jar", "empty\\notes.txt"}) {
        app.write(file, "PK");
    }
    app.writeIni(header(home, "Main Class=com.example.App\n") +
                 "[Class Path]\nClass Path=lib\\*;empty\\*;lib/sub/*;classes;%QT_WILD%;*;lib\\*.jar\n");
    const LaunchResult r = app.start("one \"two words\"");
    EXPECT_EQ(r.exitCode, 0) << r.out;
    EXPECT_EQ(optionLines(app.jvmLog("jre\\")),
              (std::vector<std::string>{
                  "-Djava.class.path=lib\\C.JAR;lib\\a.jar;lib\\b.jar;lib/sub/d.jar;classes;lib\\C.JAR;lib\\a.jar;"
                  "lib\\b.jar;top.jar;lib\\*.jar",
                  "-Dsun.java.command=com.example.App one two words",
              }));
}

TEST(JavaLikeStart, AMainModuleAndOptionsWrittenForJava)
{
    const ScopedVariable mods("QT_MODS", "C:\\mods");
    Product app("Modules");
    const std::string home = app.installJvm("jre\\", "class=app/Main\nmain=args\n");
    app.writeIni(header(home, "Main Module=app/app.Main\nModule Path=mods;%QT_MODS%\n"
                              "Virtual Machine Parameters=--add-opens java.base/java.lang=app -p more "
                              "--add-modules x,y -Dz=1\n"));
    const LaunchResult r = app.start("one");
    EXPECT_EQ(r.exitCode, 0) << r.out;
    EXPECT_EQ(r.out, "arg[0]=one\r\n");
    // No class path at all: the JVM's default, as under java -m.
    EXPECT_EQ(optionLines(app.jvmLog("jre\\")), (std::vector<std::string>{
                                                    "--add-opens=java.base/java.lang=app",
                                                    "--add-modules=x,y",
                                                    "-Dz=1",
                                                    "--module-path=mods;C:\\mods;more",
                                                    "-Djdk.module.main=app",
                                                    "-Dsun.java.command=app/app.Main one",
                                                    // The module's failure to resolve, reported.
                                                    "abort (extraInfo set)",
                                                }));
}

TEST(JavaLikeStart, WithoutAMainClassOrModuleTheErrorIsAsBefore)
{
    Product app("NoMain");
    const std::string home = app.installJvm("jre\\", "class=app/Main\n");
    app.writeIni(header(home, "Module Path=mods\n") + "[Class Path]\nClass Path=lib\\*\n");
    const LaunchResult r = app.start();
    EXPECT_EQ(r.out, "Error: Main class was not specified in INI file. \n");
    EXPECT_EQ(r.exitCode, -1);
}

} // namespace
