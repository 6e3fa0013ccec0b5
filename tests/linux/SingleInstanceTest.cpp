// Single instance on Linux: a further start of the same launcher hands its
// arguments to the running one, whose secondaryMain receives them exactly,
// and ends 0 only once they were taken. Nothing handed over is lost or
// doubled, a first instance that died leaves nothing in the way, and no
// other user gets through.

#include "LinuxProduct.h"

#include "instance/HandOverFrame.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <set>
#include <sstream>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// A product running quarnel.test.Single as a single instance, meeting its
// further starts in a runtime folder of its own.
struct SingleApp {
    explicit SingleApp(const std::string& name) : app(name), runtime(app.folder() + "runtime")
    {
        app.writeIni(javaConfig("quarnel.test.Single", "", "Single Instance=yes\n"));
        fs::create_directory(runtime);
        fs::permissions(runtime, fs::perms::owner_all, fs::perm_options::replace);
    }
    std::vector<std::string> environment() const { return {"XDG_RUNTIME_DIR=" + runtime}; }
    RunningLaunch start(const std::string& tag, const std::vector<std::string>& arguments) const
    {
        return app.spawn(tag, arguments, environment());
    }
    RunResult handOver(const std::vector<std::string>& arguments) const { return app.run(arguments, environment()); }
    std::string socketIn(const std::string& folder) const
    {
        return folder + "/" + instance::instanceSocketName(app.executablePath()) + ".socket";
    }
    void quit() const { app.write("quit", ""); }

    LinuxProduct app;
    std::string runtime;
};

// The first instance's output once main runs.
bool mainRuns(const RunningLaunch& first, const std::string& arguments)
{
    return eventually([&] { return first.out().rfind("main " + arguments + "\n", 0) == 0; });
}

// How the program prints a hand-over.
std::string delivery(const std::vector<std::string>& arguments)
{
    std::string line = "second " + std::to_string(arguments.size());
    for (const std::string& argument : arguments) {
        line += " " + std::to_string(argument.size()) + ":" + argument;
    }
    return line + "\n";
}

TEST(LinuxSingleInstance, FurtherStartHandsOverExactlyItsArguments)
{
    // Without XDG_RUNTIME_DIR the instances meet in a folder of the user's
    // own that nobody else may enter.
    SingleApp java("sihandover");
    RunningLaunch first = java.app.spawn("first", {"first"}, {"XDG_RUNTIME_DIR"});
    ASSERT_TRUE(mainRuns(first, "first")) << first.out() << first.err();
    const std::string own = "/tmp/quarnel-" + std::to_string(::geteuid());
    struct stat folder{};
    ASSERT_EQ(::lstat(own.c_str(), &folder), 0);
    EXPECT_TRUE(S_ISDIR(folder.st_mode));
    EXPECT_EQ(folder.st_mode & 0777, 0700u);
    EXPECT_EQ(folder.st_uid, ::geteuid());
    EXPECT_TRUE(fs::exists(java.socketIn(own)));

    // A further start that looked for a runtime would now fail loudly.
    java.app.writeIni("[Application]\nSingle Instance=yes\n[Java Runtime Environment]\nJRE Path=/nowhere\n");
    const std::vector<std::string> arguments{"", "two words", std::string(5000, 'x'), "tab\there", "\"quoted\"", ""};
    const RunResult second = java.app.run(arguments, {"XDG_RUNTIME_DIR"});
    EXPECT_EQ(second.out, "");
    EXPECT_EQ(second.err, "");
    EXPECT_EQ(second.exitCode, 0);
    ASSERT_TRUE(eventually([&] { return first.out().find(delivery(arguments)) != std::string::npos; }));
    // No arguments at all is an empty array, not one empty text.
    EXPECT_EQ(java.app.run({}, {"XDG_RUNTIME_DIR"}).exitCode, 0);
    ASSERT_TRUE(eventually([&] { return first.out().find(delivery({})) != std::string::npos; })) << first.out();
    java.quit();
    const RunResult r = first.finish();
    EXPECT_EQ(r.out, "main first\n" + delivery(arguments) + delivery({}) + "main ends\n");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.exitCode, 0);
    // The socket goes with its first instance.
    EXPECT_FALSE(fs::exists(java.socketIn(own)));
}

TEST(LinuxSingleInstance, FurtherStartWaitsForTheAnswerAndFailsWithoutOne)
{
    SingleApp java("sianswer");
    RunningLaunch first = java.start("first", {"first"});
    ASSERT_TRUE(mainRuns(first, "first")) << first.out() << first.err();

    // A first instance that cannot answer (stopped) does not take them.
    first.signal(SIGSTOP);
    const auto before = std::chrono::steady_clock::now();
    const RunResult unanswered = java.handOver({"unanswered"});
    const auto waited = std::chrono::steady_clock::now() - before;
    first.signal(SIGCONT);
    EXPECT_EQ(unanswered.exitCode, 255);
    EXPECT_EQ(unanswered.out, "");
    EXPECT_GE(waited, std::chrono::seconds(4));
    EXPECT_LE(waited, std::chrono::seconds(15));

    // Continued, it finds the abandoned start in its queue and delivers
    // nothing of it: the start had already ended with -1.
    EXPECT_EQ(java.handOver({"after"}).exitCode, 0);
    ASSERT_TRUE(eventually([&] { return first.out().find(delivery({"after"})) != std::string::npos; }))
        << first.out();
    java.quit();
    const RunResult r = first.finish();
    EXPECT_EQ(r.out, "main first\n" + delivery({"after"}) + "main ends\n");
    EXPECT_EQ(r.exitCode, 0);
}

TEST(LinuxSingleInstance, ThirtySimultaneousStartsAreThirtyDeliveries)
{
    SingleApp java("sithirty");
    RunningLaunch first = java.start("first", {"first"});
    ASSERT_TRUE(mainRuns(first, "first")) << first.out() << first.err();

    std::vector<RunningLaunch> starts;
    for (int i = 0; i < 30; ++i) {
        starts.push_back(java.start("second" + std::to_string(i), {"start-" + std::to_string(i)}));
    }
    for (RunningLaunch& start : starts) {
        const RunResult r = start.finish();
        EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    }
    // Every start has ended 0, so every one was taken: all 30 arrive.
    ASSERT_TRUE(eventually([&] { return countOf(first.out(), "second ") >= 30; })) << first.out();
    java.quit();
    const RunResult r = first.finish();
    std::multiset<std::string> delivered;
    std::istringstream lines(r.out);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("second ", 0) == 0) {
            delivered.insert(line);
        }
    }
    std::multiset<std::string> expected;
    for (int i = 0; i < 30; ++i) {
        std::string line = delivery({"start-" + std::to_string(i)});
        line.pop_back();
        expected.insert(line);
    }
    EXPECT_EQ(delivered, expected) << r.out;
    EXPECT_EQ(r.err, "");
}

TEST(LinuxSingleInstance, SocketOfAKilledFirstInstanceDoesNotStopTheNext)
{
    SingleApp java("sistale");
    RunningLaunch killed = java.start("killed", {"killed"});
    ASSERT_TRUE(mainRuns(killed, "killed")) << killed.out() << killed.err();
    killed.kill();
    ASSERT_TRUE(fs::exists(java.socketIn(java.runtime))); // left behind: nobody removed it

    RunningLaunch next = java.start("next", {"next"});
    ASSERT_TRUE(mainRuns(next, "next")) << next.out() << next.err();
    EXPECT_EQ(java.handOver({"to the next"}).exitCode, 0);
    ASSERT_TRUE(eventually([&] { return next.out().find(delivery({"to the next"})) != std::string::npos; }))
        << next.out();
    java.quit();
    const RunResult r = next.finish();
    EXPECT_EQ(r.out, "main next\n" + delivery({"to the next"}) + "main ends\n");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.exitCode, 0);
}

TEST(LinuxSingleInstance, HandOverBeforeMainRunsIsHeldUntilItDoes)
{
    SingleApp java("siearly");
    java.app.writeIni(javaConfig("quarnel.test.SlowStart", "", "Single Instance=yes\n"));
    RunningLaunch first = java.start("first", {});
    ASSERT_TRUE(eventually([&] { return first.out() == "initialising\n"; })) << first.out() << first.err();
    // Taken at once, delivered once main is called; then main returns.
    EXPECT_EQ(java.handOver({"early"}).exitCode, 0);
    const RunResult r = first.finish();
    EXPECT_TRUE(r.out == "initialising\nmain runs\nsecond early\nmain returns\n" ||
                r.out == "initialising\nsecond early\nmain runs\nmain returns\n")
        << r.out;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.exitCode, 0);
}

TEST(LinuxSingleInstance, ArgumentsBeyondOneMebibyteAreRefused)
{
    SingleApp java("silimit");
    RunningLaunch first = java.start("first", {"first"});
    ASSERT_TRUE(mainRuns(first, "first")) << first.out() << first.err();

    // One argument may hold 128 KiB on Linux: nine of these need more than
    // the 1 MiB a first instance takes, eight fit.
    const std::vector<std::string> fits(8, std::string(120000, 'a'));
    std::vector<std::string> tooMany = fits;
    tooMany.push_back(std::string(120000, 'b'));
    const RunResult refused = java.handOver(tooMany);
    EXPECT_EQ(refused.exitCode, 255);
    EXPECT_EQ(refused.out, "");
    EXPECT_EQ(java.handOver(fits).exitCode, 0);

    ASSERT_TRUE(eventually([&] { return first.out().find(delivery(fits)) != std::string::npos; }));
    java.quit();
    const RunResult r = first.finish();
    EXPECT_EQ(r.out, "main first\n" + delivery(fits) + "main ends\n");
}

// What a connection to `socket` hears after sending a valid frame: the
// answer byte, or -1 when it is closed without one.
int answerTo(const std::string& socketPath, const std::vector<std::string>& arguments)
{
    const int connection = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, socketPath.c_str(), sizeof address.sun_path - 1);
    if (::connect(connection, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ADD_FAILURE() << "cannot connect to " << socketPath << ": " << std::strerror(errno);
        ::close(connection);
        return -2;
    }
    std::string frame;
    EXPECT_TRUE(instance::encodeHandOver(arguments, frame));
    // A listener that refuses the peer may close before the frame is even
    // sent: a failed send is the same "no answer" as a closed connection.
    if (::send(connection, frame.data(), frame.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(frame.size())) {
        ::close(connection);
        return -1;
    }
    const timeval limit{20, 0};
    ::setsockopt(connection, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    unsigned char answer = 0;
    const ssize_t got = ::recv(connection, &answer, 1, 0);
    ::close(connection);
    return got == 1 ? answer : -1;
}

TEST(LinuxSingleInstance, AnotherUserCannotHandOver)
{
    if (::geteuid() != 0 || !fs::exists("/usr/bin/setpriv")) {
        GTEST_SKIP() << "needs root and setpriv to run a first instance as another user";
    }
    // The first instance runs as nobody; this test, as root, can reach its
    // socket all the same: only the peer check keeps it out.
    SingleApp java("siotheruser");
    for (const std::string& folder : {java.app.folder(), javaClasses()}) {
        fs::permissions(folder, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                    fs::perms::others_read | fs::perms::others_exec);
    }
    const std::vector<std::string> asNobody{"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"};
    RunningLaunch first = java.app.spawn("first", {"first"}, {"XDG_RUNTIME_DIR"}, asNobody);
    ASSERT_TRUE(mainRuns(first, "first")) << first.out() << first.err();
    const std::string socketPath = java.socketIn("/tmp/quarnel-65534");

    EXPECT_EQ(answerTo(socketPath, {"intruder"}), -1);
    // The same user is answered, and only its arguments arrive.
    EXPECT_EQ(java.app.spawn("legit", {"legit"}, {"XDG_RUNTIME_DIR"}, asNobody).finish().exitCode, 0);
    ASSERT_TRUE(eventually([&] { return first.out().find(delivery({"legit"})) != std::string::npos; }));
    java.quit();
    const RunResult r = first.finish();
    EXPECT_EQ(r.out, "main first\n" + delivery({"legit"}) + "main ends\n");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.exitCode, 0);
}

} // namespace
