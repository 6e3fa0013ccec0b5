// The start-up cache under wine with the test double: the options each
// runtime release gets, and the files in the user's local application data.

#include "Product.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

namespace {

// The names in a folder, "*" matching all.
std::vector<std::string> namesIn(const std::string& pattern)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    const HANDLE search = FindFirstFileA(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return names;
    }
    do {
        if (found.cFileName[0] != '.') {
            names.push_back(found.cFileName);
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

// A product whose runtime's release file names `version`, with a local
// application data folder of its own.
class CacheProduct {
public:
    CacheProduct(const std::string& name, const std::string& version, const std::string& main = "")
        : app(name), local_("LOCALAPPDATA", (app.folder() + "local").c_str())
    {
        CreateDirectoryA((app.folder() + "local").c_str(), nullptr);
        home_ = app.installJvm("jre\\", "class=com/example/App\n" + main);
        app.write("jre\\release", "IMPLEMENTOR=\"Test\"\nJAVA_VERSION=\"" + version + "\"\n");
        app.write("lib\\app.jar", "PK not really");
        configure("Startup Cache=yes\n");
    }
    void configure(const std::string& application) const
    {
        app.writeIni("[Java Runtime Environment]\nMain Class=com.example.App\nJRE Path=" + home_ +
                     "\n[Class Path]\nClass Path=lib\\app.jar\n[Application]\n" + application);
    }

    std::string cacheFolder() const { return app.folder() + "local\\Quarnel\\Cache\\"; }
    // What the double logged for this start alone.
    LaunchResult start(std::string& log) const
    {
        const std::size_t before = app.jvmLog("jre\\").size();
        const LaunchResult r = app.start("one");
        log = app.jvmLog("jre\\").substr(before);
        return r;
    }
    // Waits (60 s at most) for the background job to leave exactly one
    // archive and nothing else.
    std::string awaitArchive() const
    {
        std::vector<std::string> names;
        const bool one = waitFor(
            [&] {
                names = namesIn(cacheFolder() + "*");
                return names.size() == 1 && names[0].size() > 4 && names[0].substr(names[0].size() - 4) == ".jsa" &&
                       names[0].find('.') == names[0].size() - 4;
            },
            60000);
        return one ? names[0] : std::string();
    }

    Product app;

private:
    ScopedVariable local_;
    std::string home_;
};

TEST(StartupCache, EachReleaseFromThirteenRecordsThenUsesAClassArchive)
{
    for (const char* version : {"13.0.1", "17.0.2", "21", "25.0.1"}) {
        SCOPED_TRACE(version);
        // Java 25 returns from an archive's creation; earlier releases end
        // the process.
        const bool returns = std::string(version) >= "25";
        const CacheProduct product(std::string("Cache") + version, version, returns ? "dump=returns\n" : "");
        const std::string quiet = std::string(version) >= "25" ? "-Xlog:cds*=off,aot*=off" : "-Xlog:cds*=off";

        std::string log;
        LaunchResult r = product.start(log);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, "");
        EXPECT_EQ(r.exitCode, 0);
        std::vector<std::string> options = logValues(log, "option[");
        ASSERT_EQ(options.size(), 6u) << log;
        EXPECT_EQ(options[0], "0]=-Xshare:auto");
        EXPECT_EQ(options[1], "1]=" + quiet);
        // Recorded under the local application data, in a file of this
        // process's own.
        const std::string listOption = "2]=-XX:DumpLoadedClassList=" + product.cacheFolder();
        EXPECT_EQ(options[2].compare(0, listOption.size(), listOption), 0) << options[2];
        EXPECT_EQ(options[2].substr(options[2].size() - 10), ".classlist");
        EXPECT_EQ(options[3], "3]=-Djava.class.path=lib\\app.jar");
        EXPECT_EQ(options[4], "4]=-Dsun.java.command=com.example.App one");
        EXPECT_EQ(options[5], "5]=exit (extraInfo set)");
        EXPECT_EQ(logValues(log, "class list "), std::vector<std::string>{"written"});

        const std::string archive = product.awaitArchive();
        ASSERT_FALSE(archive.empty());
        // Named by the key and its size, made from the record the start left.
        const std::string made = product.app.read(product.cacheFolder() + archive);
        EXPECT_EQ(made, "fakejvm class-data archive\njava/lang/Object\ncom/example/App\n");
        EXPECT_NE(archive.find("-" + std::to_string(made.size()) + ".jsa"), std::string::npos) << archive;

        r = product.start(log);
        EXPECT_EQ(r.err, "");
        EXPECT_EQ(r.exitCode, 0);
        EXPECT_EQ(logValues(log, "option["),
                  (std::vector<std::string>{"0]=-Xshare:auto", "1]=" + quiet,
                                            "2]=-XX:SharedArchiveFile=" + product.cacheFolder() + archive,
                                            "3]=-Djava.class.path=lib\\app.jar",
                                            "4]=-Dsun.java.command=com.example.App one"}));
        EXPECT_EQ(logValues(log, "archive "), std::vector<std::string>{"mapped"});
    }
}

TEST(StartupCache, NothingChangesBeforeThirteenOrWithoutTheKey)
{
    const CacheProduct old("CacheTwelve", "12.0.2");
    std::string log;
    const LaunchResult r = old.start(log);
    EXPECT_EQ(r.exitCode, 0);
    const std::vector<std::string> asToday{"0]=-Djava.class.path=lib\\app.jar",
                                           "1]=-Dsun.java.command=com.example.App one"};
    EXPECT_EQ(logValues(log, "option["), asToday);
    EXPECT_FALSE(old.app.exists("local\\Quarnel"));

    const CacheProduct off("CacheOff", "17.0.2");
    for (const char* application : {"", "Startup Cache=Yes\n", "Startup Cache=1\n"}) {
        off.configure(application);
        off.start(log);
        EXPECT_EQ(logValues(log, "option["), asToday)
            << application;
    }
    EXPECT_FALSE(off.app.exists("local\\Quarnel"));
}

TEST(StartupCache, SystemExitHandsTheRecordOnAndAStaleArchiveGoes)
{
    const CacheProduct product("CacheExit", "17.0.2", "main=out hi;exit 3\n");
    std::string log;
    LaunchResult r = product.start(log);
    EXPECT_EQ(r.out, "hi\r\n");
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_EQ(logValues(log, "exit hook "), std::vector<std::string>{"3"});
    const std::string first = product.awaitArchive();
    ASSERT_FALSE(first.empty());

    // Another class path is another key: its start records anew and the
    // old archive is removed.
    product.app.write("lib\\app.jar", "PK changed, and longer");
    r = product.start(log);
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_EQ(logValues(log, "archive "), std::vector<std::string>{});
    const std::string second = product.awaitArchive();
    ASSERT_FALSE(second.empty());
    EXPECT_NE(second, first);
    EXPECT_FALSE(product.app.exists(product.cacheFolder() + first));
}

} // namespace
