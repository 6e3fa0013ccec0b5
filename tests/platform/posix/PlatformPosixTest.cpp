#include "platform/Environment.h"
#include "platform/Errors.h"
#include "platform/Files.h"
#include "platform/Library.h"
#include "platform/Memory.h"
#include "platform/Process.h"
#include "platform/Profile.h"
#include "platform/Thread.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <future>
#include <sstream>
#include <string>

#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "tests/support/ScratchFolder.h"

#include "text/EnvironmentText.h"
#include "platform/Handles.h"

namespace {

namespace fs = std::filesystem;

std::string readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

void writeFile(const fs::path& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

class PlatformPosixFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(scratch_.path().empty());
    }

    std::string path(const char* name) const { return (folder_ / name).string(); }

    // fifo.ini, zero.ini (a link to /dev/zero), folder.ini and large.ini:
    // sparse, 17 MiB on paper and one block on disk, a real entry first.
    void makeFilesThatAreNoConfiguration() const
    {
        ASSERT_EQ(::mkfifo(path("fifo.ini").c_str(), 0600), 0);
        fs::create_symlink("/dev/zero", path("zero.ini"));
        fs::create_directory(path("folder.ini"));
        writeFile(path("large.ini"), "[S]\nk=v\n");
        ASSERT_EQ(::truncate(path("large.ini").c_str(), 17 * 1024 * 1024), 0);
    }

    ScratchFolder scratch_{"test"};
    const fs::path& folder_ = scratch_.path();
};

std::string readWithBuffer(const std::string& file, const char* section, const char* key, unsigned size,
                           unsigned& returned)
{
    std::string buffer(size + 1, '#'); // one guard byte past the declared size
    returned = platform::readProfileString(file, section, key, buffer.data(), size);
    EXPECT_EQ(buffer[size], '#') << "wrote past the buffer";
    return std::string(buffer.c_str());
}

TEST_F(PlatformPosixFiles, ProfileReadCopiesAtMostSizeMinusOneAndSaysWhenItMayHaveCut)
{
    struct Row {
        std::size_t valueLength;
        unsigned size;
        unsigned returned;
    };
    const Row rows[] = {
        {254, 256, 254}, {255, 256, 255}, {256, 256, 255}, {256, 512, 256}, {5000, 256, 255},
        {5000, 8192, 5000}, {3, 1, 0}, {0, 256, 0},
    };
    const std::string file = path("app.ini");
    for (const Row& row : rows) {
        std::string value(row.valueLength, 'v');
        if (!value.empty()) {
            value.back() = 'z';
        }
        writeFile(file, "[Class Path]\r\nClass Path=" + value + "\r\n");
        unsigned returned = 0;
        const std::string read = readWithBuffer(file, "Class Path", "Class Path", row.size, returned);
        EXPECT_EQ(returned, row.returned) << row.valueLength << " in " << row.size;
        EXPECT_EQ(read, value.substr(0, row.returned)) << row.valueLength << " in " << row.size;
    }
}

TEST_F(PlatformPosixFiles, ProfileReadOfAMissingFileOrKeyIsEmpty)
{
    unsigned returned = 1;
    EXPECT_EQ(readWithBuffer(path("missing.ini"), "Application", "Main Class", 256, returned), "");
    EXPECT_EQ(returned, 0u);

    writeFile(path("app.ini"), "[Application]\nOther=1\n");
    EXPECT_EQ(readWithBuffer(path("app.ini"), "Application", "Main Class", 256, returned), "");
    EXPECT_EQ(returned, 0u);
    EXPECT_EQ(readWithBuffer(path("app.ini"), "Missing", "Other", 256, returned), "");
    EXPECT_EQ(returned, 0u);
}

TEST_F(PlatformPosixFiles, ProfileWriteCreatesAndEditsTheFileInPlaceOfTheOld)
{
    const std::string file = path("app.ini");
    ASSERT_TRUE(platform::writeProfileString(file, "Java Runtime Environment", "JRE Path", "/opt/jre1/"));
    EXPECT_EQ(readFile(file), "[Java Runtime Environment]\nJRE Path=/opt/jre1/\n");

    writeFile(file, "; mine\r\n[Java Runtime Environment]\r\nJRE Path = /old/\r\nMain Class=a.B\r\n");
    ASSERT_EQ(::chmod(file.c_str(), 0640), 0);
    ASSERT_TRUE(platform::writeProfileString(file, "java runtime environment", "jre path", "/opt/jre2/"));
    ASSERT_TRUE(platform::writeProfileString(file, "Application", "Failure Check", "Yes"));
    EXPECT_EQ(readFile(file), "; mine\r\n[Java Runtime Environment]\r\nJRE Path = /opt/jre2/\r\nMain Class=a.B\r\n"
                              "\r\n[Application]\r\nFailure Check=Yes\r\n");
    char buffer[256];
    EXPECT_EQ(platform::readProfileString(file, "Java Runtime Environment", "JRE Path", buffer, sizeof buffer), 10u);
    EXPECT_STREQ(buffer, "/opt/jre2/");

    struct stat status;
    ASSERT_EQ(::stat(file.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0640u);
    std::size_t entries = 0;
    for (const auto& entry : fs::directory_iterator(folder_)) {
        EXPECT_EQ(entry.path().filename(), "app.ini") << "left behind";
        ++entries;
    }
    EXPECT_EQ(entries, 1u);
}

TEST_F(PlatformPosixFiles, ProfileWriteThroughALinkEditsItsTarget)
{
    const std::string target = path("real.ini");
    writeFile(target, "[S]\nk=old\n");
    fs::create_symlink(target, path("link.ini"));
    ASSERT_TRUE(platform::writeProfileString(path("link.ini"), "S", "k", "new"));
    EXPECT_TRUE(fs::is_symlink(path("link.ini")));
    EXPECT_EQ(readFile(target), "[S]\nk=new\n");
}

TEST_F(PlatformPosixFiles, ProfileWriteIntoAMissingFolderFailsWithItsReason)
{
    EXPECT_FALSE(platform::writeProfileString(path("no/such/folder.ini"), "S", "k", "v"));
    EXPECT_EQ(platform::lastError(), ENOENT);
}

// Reads in a thread of its own, so that a read that blocks fails the test
// instead of hanging it: the FIFO is then opened for writing and closed,
// which ends the read.
unsigned readWithin5Seconds(const std::string& file, std::string& value, const std::string& fifo)
{
    std::string buffer(256, '#');
    auto reading = std::async(std::launch::async, [&] {
        return platform::readProfileString(file, "S", "k", buffer.data(), 256);
    });
    if (reading.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
        ADD_FAILURE() << "reading " << file << " blocked";
        ::close(::open(fifo.c_str(), O_WRONLY | O_NONBLOCK));
    }
    const unsigned returned = reading.get();
    value = buffer.c_str();
    return returned;
}

TEST_F(PlatformPosixFiles, ProfileOfAnythingButARegularFileOfSaneSizeReadsAsMissing)
{
    ASSERT_NO_FATAL_FAILURE(makeFilesThatAreNoConfiguration());
    const std::string fifo = path("fifo.ini");
    // Just at the bound it is still a configuration.
    const std::string bound = path("bound.ini");
    writeFile(bound, "[S]\nk=v\n");
    ASSERT_EQ(::truncate(bound.c_str(), 16 * 1024 * 1024), 0);

    const struct {
        const char* name;
        const char* value;
    } rows[] = {
        {"fifo.ini", ""}, {"zero.ini", ""}, {"folder.ini", ""}, {"large.ini", ""}, {"bound.ini", "v"},
    };
    for (const auto& row : rows) {
        std::string value;
        EXPECT_EQ(readWithin5Seconds(path(row.name), value, fifo), std::strlen(row.value)) << row.name;
        EXPECT_EQ(value, row.value) << row.name;
    }
}

TEST_F(PlatformPosixFiles, ProfileWriteIntoAnythingButARegularFileOfSaneSizeFailsAndLeavesItAlone)
{
    ASSERT_NO_FATAL_FAILURE(makeFilesThatAreNoConfiguration());
    const std::string fifo = path("fifo.ini"), large = path("large.ini");

    for (const char* name : {"fifo.ini", "zero.ini", "folder.ini", "large.ini"}) {
        auto writing = std::async(std::launch::async, [&] { return platform::writeProfileString(path(name), "S", "k", "w"); });
        if (writing.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
            ADD_FAILURE() << "writing " << name << " blocked";
            ::close(::open(fifo.c_str(), O_WRONLY | O_NONBLOCK));
        }
        EXPECT_FALSE(writing.get()) << name;
    }
    struct stat status;
    ASSERT_EQ(::stat("/dev/zero", &status), 0);
    EXPECT_TRUE(S_ISCHR(status.st_mode));
    ASSERT_EQ(::lstat(fifo.c_str(), &status), 0);
    EXPECT_TRUE(S_ISFIFO(status.st_mode));
    EXPECT_EQ(fs::file_size(large), 17u * 1024 * 1024);
    EXPECT_EQ(readFile(large).substr(0, 8), "[S]\nk=v\n");
    EXPECT_TRUE(fs::is_directory(path("folder.ini")));
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folder_)) {
        ++entries;
    }
    EXPECT_EQ(entries, 4u) << "a temporary file left behind";
}

TEST_F(PlatformPosixFiles, FileExistsWhenTheFolderHasAnEntry)
{
    writeFile(path("file"), "x");
    fs::create_directory(path("folder"));
    fs::create_symlink(path("nowhere"), path("dangling"));
    struct Row {
        std::string path;
        bool exists;
    };
    const Row rows[] = {
        {path("file"), true}, {path("folder"), true}, {path("dangling"), true},
        {path("missing"), false}, {path("file/below"), false}, {"", false},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(platform::fileExists(row.path), row.exists) << row.path;
    }
}

TEST_F(PlatformPosixFiles, CurrentDirectoryFollowsSetCurrentDirectory)
{
    const std::string before = platform::currentDirectory();
    ASSERT_FALSE(before.empty());
    ASSERT_TRUE(platform::setCurrentDirectory(folder_.string()));
    EXPECT_EQ(platform::currentDirectory(), fs::canonical(folder_).string());
    EXPECT_FALSE(platform::setCurrentDirectory(path("missing")));
    EXPECT_EQ(platform::lastError(), ENOENT);
    EXPECT_EQ(platform::currentDirectory(), fs::canonical(folder_).string());
    ASSERT_TRUE(platform::setCurrentDirectory(before));
}

TEST(PlatformPosixHandles, ClosingKeepsErrno)
{
    const int descriptor = ::open("/dev/null", O_RDONLY);
    ASSERT_GE(descriptor, 0);
    {
        platform::UniqueFileHandle file(descriptor);
        errno = EACCES;
    }
    EXPECT_EQ(errno, EACCES);
    EXPECT_EQ(::fcntl(descriptor, F_GETFD), -1); // closed
}

class PlatformPosixEnvironment : public ::testing::Test {
protected:
    void SetUp() override
    {
        ::setenv("QUARNEL_TEST_HOME", "/opt/app", 1);
        ::setenv("QUARNEL_TEST_EMPTY", "", 1);
        ::unsetenv("QUARNEL_TEST_UNSET");
    }
    void TearDown() override
    {
        ::unsetenv("QUARNEL_TEST_HOME");
        ::unsetenv("QUARNEL_TEST_EMPTY");
    }
};

TEST_F(PlatformPosixEnvironment, LookupSeesSetVariablesExactlyAsNamed)
{
    const struct {
        std::string name;
        bool set;
        const char* value;
    } rows[] = {
        {"QUARNEL_TEST_HOME", true, "/opt/app"},
        {"QUARNEL_TEST_EMPTY", true, ""},
        {"QUARNEL_TEST_UNSET", false, "untouched"},
        {"quarnel_test_home", false, "untouched"}, // names are case-sensitive here
        {std::string("QUARNEL_TEST_HOME\0X", 19), false, "untouched"},
    };
    for (const auto& row : rows) {
        std::string value = "untouched";
        EXPECT_EQ(platform::lookUpEnvironmentVariable(nullptr, row.name, value), row.set) << row.name;
        EXPECT_EQ(value, row.value) << row.name;
    }
    // Through the launcher's expansion, a value of any length arrives whole.
    const std::string longValue(100000, 'v');
    ::setenv("QUARNEL_TEST_HOME", longValue.c_str(), 1);
    EXPECT_EQ(text::expandReferences("<%QUARNEL_TEST_HOME%>", platform::lookUpEnvironmentVariable, nullptr),
              "<" + longValue + ">");
}

TEST_F(PlatformPosixEnvironment, SetsAndReadsVariables)
{
    ASSERT_TRUE(platform::setEnvironmentVariable("QUARNEL_TEST_HOME", "/srv/other"));
    EXPECT_EQ(platform::environmentVariable("QUARNEL_TEST_HOME"), "/srv/other");
    ASSERT_TRUE(platform::setEnvironmentVariable("QUARNEL_TEST_HOME", ""));
    EXPECT_EQ(platform::environmentVariable("QUARNEL_TEST_HOME"), "");
    EXPECT_NE(std::getenv("QUARNEL_TEST_HOME"), nullptr) << "an empty value still sets the variable";
    EXPECT_EQ(platform::environmentVariable("QUARNEL_TEST_UNSET"), "");
    EXPECT_FALSE(platform::setEnvironmentVariable("BAD=NAME", "x"));
    EXPECT_EQ(platform::lastError(), EINVAL);
}

struct StackProbe {
    std::size_t stackSize = 0;
    unsigned exitCode = 0;
};

unsigned measureStack(void* parameter)
{
    auto* probe = static_cast<StackProbe*>(parameter);
    pthread_attr_t attributes;
    if (pthread_getattr_np(pthread_self(), &attributes) == 0) {
        void* address = nullptr;
        if (pthread_attr_getstack(&attributes, &address, &probe->stackSize) != 0) {
            probe->stackSize = 0;
        }
        pthread_attr_destroy(&attributes);
    }
    return probe->exitCode;
}

TEST(PlatformPosixThread, RunsTheRoutineOnAStackOfTheSizeAskedAndReturnsItsExitCode)
{
    struct Row {
        std::uint32_t stackSize;
        std::size_t atLeast;
        unsigned exitCode;
    };
    const Row rows[] = {
        {2u * 1024 * 1024, 2u * 1024 * 1024, 42},
        {8u * 1024 * 1024 + 1, 8u * 1024 * 1024 + 1, 0xFFFFFFFFu}, // rounded up to whole pages
        {1, static_cast<std::size_t>(PTHREAD_STACK_MIN), 7},      // raised to the minimum
        {0, 1, 3},                                                // the default
    };
    for (const Row& row : rows) {
        StackProbe probe;
        probe.exitCode = row.exitCode;
        unsigned exitCode = 0;
        ASSERT_TRUE(platform::runThread(row.stackSize, measureStack, &probe, exitCode)) << row.stackSize;
        EXPECT_EQ(exitCode, row.exitCode) << row.stackSize;
        EXPECT_GE(probe.stackSize, row.atLeast) << row.stackSize;
    }
}

TEST(PlatformPosixLibrary, LoadsFindsAndExplainsFailures)
{
    EXPECT_EQ(platform::loadLibrary("/nonexistent/libjvm.so"), nullptr);
    EXPECT_NE(platform::libraryErrorText().find("/nonexistent/libjvm.so"), std::string::npos)
        << platform::libraryErrorText();

    void* library = platform::loadLibrary("libc.so.6");
    ASSERT_NE(library, nullptr) << platform::libraryErrorText();
    EXPECT_EQ(platform::libraryErrorText(), "");
    EXPECT_NE(platform::findSymbol(library, "getpid"), nullptr);
    EXPECT_EQ(platform::findSymbol(library, "JNI_CreateJavaVM"), nullptr);
    EXPECT_NE(platform::libraryErrorText().find("JNI_CreateJavaVM"), std::string::npos)
        << platform::libraryErrorText();
}

TEST(PlatformPosixProcess, HandsOverTheArgumentsAfterTheProgram)
{
    char program[] = "/opt/app/launcher";
    char first[] = "a b";
    char second[] = "";
    char* argv[] = {program, first, second, nullptr};
    platform::initialiseProcess(3, argv);
    EXPECT_EQ(platform::processArguments(), (std::vector<std::string>{"a b", ""}));
    platform::initialiseProcess(1, argv);
    EXPECT_TRUE(platform::processArguments().empty());
}

TEST(PlatformPosixProcess, KnowsItsOwnExecutable)
{
    std::string path = "untouched";
    ASSERT_TRUE(platform::moduleFileName(path));
    EXPECT_EQ(path, fs::canonical("/proc/self/exe").string());
    EXPECT_TRUE(platform::fileExists(path));
}

TEST(PlatformPosixMemory, CountsAllPhysicalMemory)
{
    std::ifstream meminfo("/proc/meminfo");
    std::string label;
    std::uint64_t kilobytes = 0;
    while (meminfo >> label && label != "MemTotal:") {
        meminfo.ignore(1024, '\n');
    }
    ASSERT_TRUE(meminfo >> kilobytes);
    const std::uint64_t total = platform::totalPhysicalMemory();
    const std::uint64_t page = static_cast<std::uint64_t>(::sysconf(_SC_PAGE_SIZE));
    EXPECT_LE(total, kilobytes * 1024);
    EXPECT_GT(total + page, kilobytes * 1024);
}


TEST_F(PlatformPosixFiles, TheCachesFilePrimitivesRaceSafely)
{
    // Created once: a second creator of the same name is refused.
    EXPECT_TRUE(platform::createNewFile(path("record")));
    EXPECT_FALSE(platform::createNewFile(path("record")));
    struct stat status{};
    ASSERT_EQ(::stat(path("record").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u) << "private to the user";

    // Of two renames to one name, only the first takes it; the second
    // leaves both files as they were.
    writeFile(path("a"), "first");
    writeFile(path("b"), "second");
    EXPECT_TRUE(platform::renameIfAbsent(path("a"), path("taken")));
    EXPECT_FALSE(platform::renameIfAbsent(path("b"), path("taken")));
    EXPECT_EQ(readFile(path("taken")), "first");
    EXPECT_EQ(readFile(path("b")), "second");
    EXPECT_TRUE(platform::replaceFile(path("b"), path("taken")));
    EXPECT_EQ(readFile(path("taken")), "second");

    // A stamp tells size, time and folder apart.
    platform::FileStamp stamp;
    ASSERT_TRUE(platform::fileStamp(path("taken"), stamp));
    EXPECT_EQ(stamp.size, 6u);
    EXPECT_FALSE(stamp.folder);
    const platform::FileStamp before = stamp;
    fs::last_write_time(path("taken"), fs::last_write_time(path("taken")) - std::chrono::seconds(5));
    ASSERT_TRUE(platform::fileStamp(path("taken"), stamp));
    EXPECT_NE(stamp.modified, before.modified);
    ASSERT_TRUE(platform::fileStamp(folder_.string(), stamp));
    EXPECT_TRUE(stamp.folder);
    EXPECT_FALSE(platform::fileStamp(path("missing"), stamp));

    // A read-only file goes too; a missing one is no failure.
    ::chmod(path("taken").c_str(), 0400);
    platform::removeFile(path("taken"));
    EXPECT_FALSE(fs::exists(path("taken")));
    platform::removeFile(path("taken"));

    std::vector<std::string> names;
    ASSERT_TRUE(platform::listFolder(folder_.string() + "/", names));
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, std::vector<std::string>{"record"});
    EXPECT_FALSE(platform::listFolder(path("missing") + "/", names));
    EXPECT_EQ(names, std::vector<std::string>{"record"}) << "left untouched on failure";

    EXPECT_TRUE(platform::makeFolder(path("made")));
    EXPECT_TRUE(platform::makeFolder(path("made"))) << "there already";
    EXPECT_FALSE(platform::makeFolder(path("record"))) << "a file of that name";
    EXPECT_FALSE(platform::makeFolder(path("no/parent")));
}

TEST(PlatformPosixProcess, AProcessThatHasEndedIsSeenToHaveEnded)
{
    EXPECT_FALSE(platform::awaitProcessEnd(platform::processId(), 50)) << "this one runs";
    const pid_t child = ::fork();
    if (child == 0) {
        ::_exit(0);
    }
    // Ended but not yet collected: a zombie has ended too.
    EXPECT_TRUE(platform::awaitProcessEnd(static_cast<std::uint32_t>(child), 10000));
    ::waitpid(child, nullptr, 0);
    EXPECT_TRUE(platform::awaitProcessEnd(static_cast<std::uint32_t>(child), 0)) << "gone altogether";
}

} // namespace
