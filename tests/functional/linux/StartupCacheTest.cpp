// The start-up cache with the real JDKs: the first start records, a job made
// after it writes the archive, later starts map it; whatever goes wrong,
// the program runs as it would without the cache.

#include "LinuxProduct.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// A jar of the probe, made once per test run: class folders are not
// archived by the JVM, jars are.
const std::string& probeJar()
{
    static const ScratchFolder folder("probejar");
    static const std::string jar = [] {
        const std::string path = folder / "probe.jar";
        const std::string command =
            jdkHome() + "bin/jar cf " + path + " -C " + javaClasses() + " quarnel/test/CacheProbe.class";
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
        return path;
    }();
    return jar;
}

std::vector<std::string> namesIn(const std::string& folder)
{
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool isArchiveName(const std::string& name)
{
    return name.size() > 4 && (name.substr(name.size() - 4) == ".jsa" || name.substr(name.size() - 4) == ".aot") &&
           std::count(name.begin(), name.end(), '-') == 2;
}

// One product on one JDK, with a cache folder of its own.
class CacheApp {
public:
    CacheApp(const std::string& name, const std::string& jdk) : app(name), root(name + "-cache"), jdk_(jdk)
    {
        fs::copy_file(probeJar(), app.folder() + "probe.jar");
        configure();
    }

    void configure(const std::string& classPath = "probe.jar", const std::string& application = "Startup Cache=yes\n",
                   const std::string& parameters = "") const
    {
        app.writeIni("[Java Runtime Environment]\nMain Class=quarnel.test.CacheProbe\nJRE Path=" + jdk_ +
                     "\nVirtual Machine Parameters=-Xcheck:jni " + parameters + "\n[Class Path]\nClass Path=" +
                     classPath + "\n[Application]\n" + application);
    }

    void useRuntime(const std::string& jdk) { jdk_ = jdk; }

    RunResult run(const std::vector<std::string>& arguments = {"hello"},
                  std::vector<std::string> environment = {}) const
    {
        environment.push_back("XDG_CACHE_HOME=" + root.path().string());
        return app.run(arguments, environment);
    }
    RunResult traced(const std::vector<std::string>& arguments = {"hello"}) const
    {
        return run(arguments, {"QUARNEL_TRACE=1"});
    }

    std::string folder() const { return root / "quarnel"; }
    std::vector<std::string> files() const { return namesIn(folder()); }
    // Waits for the background job: one archive in place, nothing being
    // written. The archive's name, or empty.
    std::string awaitArchive() const
    {
        std::string archive;
        eventually(
            [&] {
                archive.clear();
                for (const std::string& name : files()) {
                    if (name.find('.') != name.rfind('.') || name.find(".failed") != std::string::npos) {
                        return false; // still being made, or failed
                    }
                    if (isArchiveName(name)) {
                        archive = name;
                    }
                }
                return !archive.empty();
            },
            120000);
        return archive;
    }

    LinuxProduct app;
    ScratchFolder root;

private:
    std::string jdk_;
};

class StartupCache : public JdkTest {
protected:
    StartupCache() : JdkTest("lib/server/libjvm.so") {}
};

const RunResult& plainRun(const CacheApp& product, const std::vector<std::string>& arguments)
{
    static RunResult result;
    product.configure("probe.jar", "");
    result = product.run(arguments);
    product.configure();
    return result;
}

TEST_P(StartupCache, SecondStartMapsTheArchiveTheFirstLeftBehind)
{
    CacheApp product("cachesecond", jdk());
    const RunResult plain = plainRun(product, {"a b", "exit", "3"});
    EXPECT_EQ(plain.out, "probe a b exit 3\n");
    EXPECT_EQ(plain.exitCode, 3);
    EXPECT_FALSE(fs::exists(product.folder())) << "the key absent, no folder";

    // The first start ends through System.exit: the record is handed on there.
    const RunResult first = product.run({"a b", "exit", "3"});
    EXPECT_EQ(first.out, plain.out);
    EXPECT_EQ(first.err, plain.err);
    EXPECT_EQ(first.exitCode, 3);
    const std::string archive = product.awaitArchive();
    ASSERT_FALSE(archive.empty()) << ::testing::PrintToString(product.files());

    const RunResult second = product.traced({"maps"});
    EXPECT_EQ(second.out, "probe maps\nmapped " + archive + "\n");
    EXPECT_NE(second.err.find("startup cache: "), std::string::npos);
    EXPECT_NE(second.err.find(archive + ": used\n"), std::string::npos) << second.err;
    EXPECT_EQ(second.exitCode, 0);
    EXPECT_EQ(product.run().err, "");
    EXPECT_EQ(product.files(), std::vector<std::string>{archive});
}

TEST_P(StartupCache, AChangedJarClassPathOrRuntimeMakesANewArchive)
{
    CacheApp product("cachechange", jdk());
    ASSERT_EQ(product.run().exitCode, 0);
    std::string archive = product.awaitArchive();
    ASSERT_FALSE(archive.empty());

    const auto expectReplaced = [&](const char* what) {
        const RunResult r = product.traced();
        EXPECT_EQ(r.out, "probe hello\n") << what;
        EXPECT_NE(r.err.find("stale, replaced"), std::string::npos) << what << "\n" << r.err;
        const std::string next = product.awaitArchive();
        EXPECT_FALSE(next.empty()) << what;
        EXPECT_NE(next, archive) << what;
        EXPECT_EQ(product.files(), std::vector<std::string>{next}) << what << ": the old one is removed";
        const RunResult again = product.run({"maps"});
        EXPECT_EQ(again.out, "probe maps\nmapped " + next + "\n") << what;
        archive = next;
    };

    // Touched: the same size, another time.
    const std::string jar = product.app.folder() + "probe.jar";
    fs::last_write_time(jar, fs::last_write_time(jar) - std::chrono::hours(1));
    expectReplaced("touched jar");

    product.app.write("extra.jar", "");
    fs::copy_file(probeJar(), product.app.folder() + "extra.jar", fs::copy_options::overwrite_existing);
    product.configure("probe.jar:extra.jar");
    expectReplaced("longer class path");

    // Another runtime folder, the same JDK behind it.
    const std::string link = product.app.folder() + "runtime";
    fs::create_directory_symlink(fs::path(jdk()).parent_path(), link);
    product.useRuntime(link + "/");
    product.configure("probe.jar:extra.jar");
    expectReplaced("another runtime");
}

TEST_P(StartupCache, BrokenFilesAndFoldersNeverReachTheProgram)
{
    CacheApp product("cachebroken", jdk());
    const RunResult plain = plainRun(product, {"hello"});
    ASSERT_EQ(product.run().out, plain.out);
    const std::string archive = product.awaitArchive();
    ASSERT_FALSE(archive.empty());

    // Cut short, under the name that promises the whole size: removed, never
    // mapped, and the start records anew.
    const std::string path = product.folder() + "/" + archive;
    ::chmod(path.c_str(), 0600);
    fs::resize_file(path, fs::file_size(path) / 2);
    RunResult r = product.traced({"maps"});
    EXPECT_EQ(r.out, "probe maps\n");
    EXPECT_NE(r.err.find(": recording\n"), std::string::npos) << r.err;
    EXPECT_EQ(r.exitCode, 0);
    const std::string remade = product.awaitArchive();
    ASSERT_FALSE(remade.empty());
    EXPECT_EQ(product.files(), std::vector<std::string>{remade});

    // Foreign bytes of the promised size: the JVM checks them and runs on.
    const std::string remadePath = product.folder() + "/" + remade;
    const auto size = fs::file_size(remadePath);
    ::chmod(remadePath.c_str(), 0600);
    {
        std::FILE* file = std::fopen(remadePath.c_str(), "wb");
        ASSERT_NE(file, nullptr);
        for (std::uintmax_t i = 0; i < size; ++i) {
            std::fputc(static_cast<int>(i * 7 % 251), file);
        }
        std::fclose(file);
    }
    r = product.run();
    EXPECT_EQ(r.out, plain.out);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.exitCode, 0);

    // A cache folder that cannot be made, and one that cannot be written.
    r = product.run({"hello"}, {"XDG_CACHE_HOME=/proc/self/nothing"});
    EXPECT_EQ(r.out, plain.out);
    EXPECT_EQ(r.err, "");
    if (::geteuid() == 0 && fs::exists("/usr/bin/setpriv")) {
        fs::remove_all(product.folder());
        fs::create_directory(product.folder());
        fs::permissions(product.folder(), fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);
        for (const std::string& folder : {product.app.folder(), product.root.path().string()}) {
            fs::permissions(folder, fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);
        }
        const std::vector<std::string> asNobody{"/usr/bin/setpriv", "--reuid=65534", "--regid=65534",
                                                "--clear-groups"};
        RunningLaunch nobody = product.app.spawn("nobody", {"hello"},
                                                 {"XDG_CACHE_HOME=" + product.root.path().string(), "QUARNEL_TRACE=1"},
                                                 asNobody);
        r = nobody.finish();
        EXPECT_EQ(r.out, plain.out);
        EXPECT_NE(r.err.find("unavailable: the folder cannot be written"), std::string::npos) << r.err;
        EXPECT_EQ(r.err.find("warning"), std::string::npos) << r.err;
        EXPECT_EQ(r.exitCode, 0);
        EXPECT_TRUE(product.files().empty());
    }
}

TEST_P(StartupCache, TenFirstStartsAtOnceAllRunAndOneArchiveRemains)
{
    CacheApp product("cacheten", jdk());
    const RunResult plain = plainRun(product, {"hello"});
    std::vector<RunningLaunch> starts;
    for (int i = 0; i < 10; ++i) {
        starts.push_back(product.app.spawn("start" + std::to_string(i), {"hello"},
                                           {"XDG_CACHE_HOME=" + product.root.path().string()}));
    }
    for (RunningLaunch& start : starts) {
        const RunResult r = start.finish();
        EXPECT_EQ(r.out, plain.out);
        EXPECT_EQ(r.err, "");
        EXPECT_EQ(r.exitCode, 0);
    }
    const std::string archive = product.awaitArchive();
    ASSERT_FALSE(archive.empty()) << ::testing::PrintToString(product.files());
    EXPECT_EQ(product.files(), std::vector<std::string>{archive});
    EXPECT_EQ(product.run({"maps"}).out, "probe maps\nmapped " + archive + "\n");
}

TEST_P(StartupCache, OptionsStayAsTheyWereWithoutTheKeyOrWithSharingManaged)
{
    CacheApp product("cachekey", jdk());
    const auto optionLines = [&](const std::string& application, const std::string& parameters = "") {
        product.configure("probe.jar", application, parameters);
        const RunResult r = product.traced();
        EXPECT_EQ(r.out, "probe hello\n");
        std::string options;
        for (std::size_t at = r.err.find("JVM option "); at != std::string::npos;
             at = r.err.find("JVM option ", at + 1)) {
            options += r.err.substr(at, r.err.find('\n', at) + 1 - at);
        }
        return std::make_pair(options, r.err);
    };
    const std::string expected = "JVM option -Djava.class.path=probe.jar\nJVM option -Xcheck:jni\n"
                                 "JVM option -Dsun.java.command=quarnel.test.CacheProbe hello\n";
    EXPECT_EQ(optionLines("").first, expected);
    EXPECT_EQ(optionLines("Startup Cache=Yes\n").first, expected);
    EXPECT_EQ(optionLines("Startup Cache=no\n").first, expected);
    EXPECT_FALSE(fs::exists(product.folder()));

    // A class folder: the JVM archives nothing from such a class path.
    product.configure("probe.jar:" + javaClasses(), "Startup Cache=yes\n");
    const RunResult withFolder = product.traced();
    EXPECT_EQ(withFolder.out, "probe hello\n");
    EXPECT_NE(withFolder.err.find("startup cache: unavailable: a class path entry is a folder"), std::string::npos)
        << withFolder.err;
    EXPECT_FALSE(fs::exists(product.folder()));

    const auto managed = optionLines("Startup Cache=yes\n", "-Xshare:off");
    EXPECT_EQ(managed.first, "JVM option -Djava.class.path=probe.jar\nJVM option -Xcheck:jni\nJVM option -Xshare:off\n"
                             "JVM option -Dsun.java.command=quarnel.test.CacheProbe hello\n");
    EXPECT_NE(managed.second.find("startup cache: unavailable: an option manages class sharing"),
              std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Jdks, StartupCache, ::testing::ValuesIn(testJdks()), jdkTestName);

} // namespace
