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

// Where the instances of user `uid` meet: the system's runtime folder for
// that user when it is theirs alone, otherwise a folder of their own in /tmp.
std::string meetingFolder(unsigned uid)
{
    const std::string runtime = "/run/user/" + std::to_string(uid);
    struct stat folder{};
    if (::lstat(runtime.c_str(), &folder) == 0 && S_ISDIR(folder.st_mode) && folder.st_uid == uid &&
        (folder.st_mode & 077) == 0) {
        return runtime;
    }
    return "/tmp/quarnel-" + std::to_string(uid);
}

// A product running `mainClass` as a single instance.
struct SingleApp {
    explicit SingleApp(const std::string& name, const std::string& mainClass = "quarnel.test.Single",
                       const std::string& parameters = "")
        : app(name)
    {
        app.writeIni(javaConfig(mainClass, parameters, "Single Instance=yes\n"));
    }
    RunningLaunch start(const std::string& tag, const std::vector<std::string>& arguments,
                        const std::vector<std::string>& environment = {}) const
    {
        return app.spawn(tag, arguments, environment);
    }
    RunResult handOver(const std::vector<std::string>& arguments) const { return app.run(arguments); }
    std::string socketIn(const std::string& folder) const
    {
        return folder + "/" + instance::instanceSocketName(app.executablePath()) + ".socket";
    }
    std::string socket() const { return socketIn(meetingFolder(::geteuid())); }
    void quit() const { app.write("quit", ""); }

    LinuxProduct app;
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
    // The instances meet in a folder of the user's own that nobody else may
    // enter.
    SingleApp java("sihandover");
    RunningLaunch first = java.start("first", {"first"});
    ASSERT_TRUE(mainRuns(first, "first")) << first.out() << first.err();
    const std::string own = meetingFolder(::geteuid());
    struct stat folder{};
    ASSERT_EQ(::lstat(own.c_str(), &folder), 0);
    EXPECT_TRUE(S_ISDIR(folder.st_mode));
    EXPECT_EQ(folder.st_mode & 0777, 0700u);
    EXPECT_EQ(folder.st_uid, ::geteuid());
    EXPECT_TRUE(fs::exists(java.socketIn(own)));

    // A further start that looked for a runtime would now fail loudly.
    java.app.writeIni("[Application]\nSingle Instance=yes\n[Java Runtime Environment]\nJRE Path=/nowhere\n");
    const std::vector<std::string> arguments{"", "two words", std::string(5000, 'x'), "tab\there", "\"quoted\"", ""};
    const RunResult second = java.handOver(arguments);
    EXPECT_EQ(second.out, "");
    EXPECT_EQ(second.err, "");
    EXPECT_EQ(second.exitCode, 0);
    ASSERT_TRUE(eventually([&] { return first.out().find(delivery(arguments)) != std::string::npos; }));
    // No arguments at all is an empty array, not one empty text.
    EXPECT_EQ(java.handOver({}).exitCode, 0);
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
    ASSERT_TRUE(fs::exists(java.socket())); // left behind: nobody removed it

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
    SingleApp java("siearly", "quarnel.test.SlowStart");
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
    RunningLaunch first = java.app.spawn("first", {"first"}, {}, asNobody);
    ASSERT_TRUE(mainRuns(first, "first")) << first.out() << first.err();
    const std::string socketPath = java.socketIn(meetingFolder(65534));

    EXPECT_EQ(answerTo(socketPath, {"intruder"}), -1);
    // The same user is answered, and only its arguments arrive.
    EXPECT_EQ(java.app.spawn("legit", {"legit"}, {}, asNobody).finish().exitCode, 0);
    ASSERT_TRUE(eventually([&] { return first.out().find(delivery({"legit"})) != std::string::npos; }));
    java.quit();
    const RunResult r = first.finish();
    EXPECT_EQ(r.out, "main first\n" + delivery({"legit"}) + "main ends\n");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.exitCode, 0);
}

// A folder as the system would keep it for a user, made for one test and
// removed with everything in it afterwards.
class UserFolder {
public:
    UserFolder(const std::string& path, unsigned uid, fs::perms mode) : path_(path)
    {
        existed_ = fs::exists(path_);
        if (!existed_) {
            fs::create_directory(path_);
            EXPECT_EQ(::chown(path_.c_str(), uid, uid), 0) << std::strerror(errno);
            fs::permissions(path_, mode, fs::perm_options::replace);
        }
    }
    ~UserFolder()
    {
        if (!existed_) {
            std::error_code ignored;
            fs::remove_all(path_, ignored);
        }
    }
    UserFolder(const UserFolder&) = delete;
    UserFolder& operator=(const UserFolder&) = delete;
    bool madeHere() const { return !existed_; }

private:
    std::string path_;
    bool existed_ = false;
};

TEST(LinuxSingleInstance, OneMeetingPlacePerUserWhateverTheEnvironmentSays)
{
    // From the desktop, over ssh, from cron, after su: the runtime-folder
    // variable differs or names another user's folder, and still all meet.
    SingleApp java("sienvironment");
    const std::string desktop = java.app.folder() + "desktop-runtime";
    fs::create_directory(desktop);
    fs::permissions(desktop, fs::perms::owner_all, fs::perm_options::replace);
    RunningLaunch first = java.start("first", {"first"}, {"XDG_RUNTIME_DIR=" + desktop});
    ASSERT_TRUE(mainRuns(first, "first")) << first.out() << first.err();
    EXPECT_TRUE(fs::exists(java.socket()));
    EXPECT_TRUE(fs::is_empty(desktop));

    const std::vector<std::vector<std::string>> environments = {
        {"XDG_RUNTIME_DIR"},                        // cron, a plain ssh session
        {"XDG_RUNTIME_DIR=/run/user/65534"},        // after su
        {"XDG_RUNTIME_DIR=" + java.app.folder()},   // anything else
    };
    for (std::size_t i = 0; i < environments.size(); ++i) {
        const std::string argument = "from-" + std::to_string(i);
        RunningLaunch further = java.start("further" + std::to_string(i), {argument}, environments[i]);
        ASSERT_TRUE(eventually([&] { return first.out().find(delivery({argument})) != std::string::npos; }, 10000))
            << "not handed over: " << environments[i][0] << "\n" << further.out() << further.err();
        EXPECT_EQ(further.finish().exitCode, 0);
    }
    java.quit();
    EXPECT_EQ(first.finish().exitCode, 0);
}

TEST(LinuxSingleInstance, TheSystemsRuntimeFolderOnlyWhenItIsTheUsersAlone)
{
    if (::geteuid() != 0 || !fs::exists("/usr/bin/setpriv") || !fs::is_directory("/run/user")) {
        GTEST_SKIP() << "needs root, setpriv and /run/user to make a runtime folder for another user";
    }
    const std::vector<std::string> asNobody{"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"};
    const struct {
        fs::perms mode;
        const char* meetsIn;
    } rows[] = {
        {fs::perms::owner_all, "/run/user/65534"},
        {fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec, "/tmp/quarnel-65534"},
    };
    for (const auto& row : rows) {
        const UserFolder runtime("/run/user/65534", 65534, row.mode);
        if (!runtime.madeHere()) {
            GTEST_SKIP() << "/run/user/65534 exists on this machine: not ours to change";
        }
        SingleApp java("siuserfolder");
        for (const std::string& folder : {java.app.folder(), javaClasses()}) {
            fs::permissions(folder, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                        fs::perms::others_read | fs::perms::others_exec);
        }
        RunningLaunch first = java.app.spawn("first", {"first"}, {"XDG_RUNTIME_DIR"}, asNobody);
        ASSERT_TRUE(mainRuns(first, "first")) << first.out() << first.err();
        EXPECT_TRUE(fs::exists(java.socketIn(row.meetsIn))) << row.meetsIn;
        java.quit();
        EXPECT_EQ(first.finish().exitCode, 0);
    }
}

TEST(LinuxSingleInstance, StartDuringTheShutdownWaitsForTheFirstInstanceAndTakesItsPlace)
{
    // main has returned and the shutdown hook runs: a hand-over now would
    // be frozen by the JVM's exit. The further start is not handed to it,
    // waits for it to end, and runs as the first instance itself.
    SingleApp java("siclosing", "quarnel.test.Closing");
    RunningLaunch first = java.start("first", {"first"});
    ASSERT_TRUE(eventually([&] { return first.out() == "main first\nhook starts\n"; })) << first.out() << first.err();
    RunningLaunch late = java.start("late", {"late"}, {"QUARNEL_TRACE=1"});
    ASSERT_TRUE(eventually([&] {
        return late.err().find("quarnel: the running instance is shutting down: waiting for it to end\n") !=
               std::string::npos;
    })) << late.err();
    EXPECT_TRUE(first.stillRunning());
    java.app.write("release-hook", "");

    const RunResult ended = first.finish();
    EXPECT_EQ(ended.out, "main first\nhook starts\nhook ends\n");
    EXPECT_EQ(ended.err, "");
    EXPECT_EQ(ended.exitCode, 0);
    const RunResult took = late.finish();
    EXPECT_EQ(took.out, "main late\nhook starts\nhook ends\n");
    EXPECT_EQ(took.err.find("Error"), std::string::npos) << took.err;
    EXPECT_EQ(took.exitCode, 0);
}

TEST(LinuxSingleInstance, AHandOverTheJvmFreezesDoesNotKeepTheFirstInstance)
{
    // A security manager that forbids hooks hides the shutdown from the
    // launcher: the hand-over is taken while the hook runs, and the JVM
    // freezes its thread when it exits. The first instance ends all the
    // same, as soon as its hook has.
    SingleApp java("sifrozen", "quarnel.test.Closing", "-Djava.security.manager=allow");
    RunningLaunch first = java.start("first", {"forbid-hooks"});
    ASSERT_TRUE(eventually([&] { return first.out() == "main forbid-hooks\nhook starts\n"; }))
        << first.out() << first.err();
    EXPECT_EQ(java.handOver({"late"}).exitCode, 0);
    ASSERT_TRUE(eventually([&] { return first.out().find("second late\n") != std::string::npos; })) << first.out();
    java.app.write("release-hook", "");
    const auto released = std::chrono::steady_clock::now();
    const RunResult r = first.finish();
    EXPECT_LT(std::chrono::steady_clock::now() - released, std::chrono::seconds(4))
        << "the first instance waited for the frozen hand-over";
    EXPECT_EQ(r.out, "main forbid-hooks\nhook starts\nsecond late\nhook ends\n");
    EXPECT_EQ(r.exitCode, 0);
}

TEST(LinuxSingleInstance, FurtherStartEndsZeroExactlyWhenTheProgramTakesItsArguments)
{
    // Held while the first instance creates its JVM, then the main class is
    // missing: the arguments are never delivered, so the further start must
    // not end 0. It takes the first instance's place once that has ended,
    // and fails as it did.
    SingleApp java("siexact", "quarnel.test.Missing", "-javaagent:" + agentJar());
    RunningLaunch first = java.start("first", {"first"}, {"QUARNEL_TRACE=1"});
    ASSERT_TRUE(eventually([&] { return first.out() == "creating\n"; })) << first.out() << first.err();
    RunningLaunch further = java.start("further", {"further"});
    ASSERT_TRUE(eventually([&] {
        return !further.stillRunning() ||
               first.err().find("quarnel: hand-over received from a further start\n") != std::string::npos;
    })) << first.err();
    EXPECT_TRUE(further.stillRunning()) << "answered before the program could take anything";
    java.app.write("release-agent", "");

    const std::string missing = "Error: Could not find the main class quarnel/test/Missing.\n \n";
    const RunResult failed = first.finish();
    EXPECT_EQ(failed.exitCode, 255);
    EXPECT_NE(failed.out.find(missing), std::string::npos) << failed.out;
    const RunResult r = further.finish();
    EXPECT_EQ(r.exitCode, 255) << r.out << r.err;
    EXPECT_EQ(r.out, "creating\n" + missing);
}

} // namespace
