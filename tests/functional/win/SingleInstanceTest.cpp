// Single instance: a further start of the same launcher hands its arguments
// to the running one, whose secondaryMain receives them, and ends. Nothing
// handed over is lost or replaced, and the running instance leaves nothing
// behind that would make the next start anything but a first one.

#include "Desktop.h"
#include "Product.h"

#include "instance/InstanceBlock.h"
#include "instance/SingleInstance.h"
#include "launcher/Configuration.h"
#include "launcher/JavaLauncher.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <set>
#include <vector>

namespace {

// A product whose runtime is the test double running `script`.
struct SingleApp {
    SingleApp(const std::string& name, const std::string& script, const std::string& application = "Single Instance=yes\n")
        : app(name)
    {
        home = app.installJvm("jre\\", script);
        writeIni(application);
    }
    void writeIni(const std::string& application, const std::string& mainClass = "com.example.App") const
    {
        app.writeIni("[Java Runtime Environment]\nMain Class=" + mainClass + "\nJRE Path=" + home +
                     "\n[Class Path]\nClass Path=app.jar\n[Application]\n" + application);
    }
    std::string log() const { return app.jvmLog("jre\\"); }
    // The block's name as every instance derives it from the launcher's path.
    std::string instanceName() const
    {
        std::string name = app.exePath();
        std::replace(name.begin(), name.end(), '\\', '_');
        return name;
    }
    Product app;
    std::string home;
};

std::size_t count(const std::string& log, const std::string& line)
{
    std::size_t found = 0;
    for (std::size_t at = log.find(line + "\n"); at != std::string::npos; at = log.find(line + "\n", at + 1)) {
        if (at == 0 || log[at - 1] == '\n') {
            ++found;
        }
    }
    return found;
}
bool has(const std::string& log, const std::string& line) { return count(log, line) > 0; }
// Whether a method of the double gave up waiting (for a release, or for
// secondaryMain calls that never came).
bool gaveUp(const std::string& log) { return log.find(" timed out\n") != std::string::npos; }

// Waits (20 s at most) until the double has logged `line` `times` times.
bool awaitLog(const SingleApp& java, const std::string& line, std::size_t times = 1)
{
    return waitFor([&] { return count(java.log(), line) >= times; }, 20000);
}

bool blockExists(const SingleApp& java)
{
    HANDLE mapping = OpenFileMappingA(FILE_MAP_READ, FALSE, java.instanceName().c_str());
    if (mapping != nullptr) {
        CloseHandle(mapping);
    }
    return mapping != nullptr;
}

TEST(SingleInstance, FurtherStartHandsItsArgumentsToTheRunningOne)
{
    SingleApp java("SiHandOver", "class=com/example/App\nmain=wait si-handover 30000;out main ends\n"
                                 "secondaryMain=out second got it\n");
    const Release release("si-handover");
    RunningLaunch first = java.app.spawn("first", "first");
    ASSERT_TRUE(awaitLog(java, "main arg[0]=first")) << java.log();

    // A further start that read the configuration would now fail loudly.
    java.app.writeIni("[Application]\nSingle Instance=yes\n[Java Runtime Environment]\nJRE Path=C:\\nowhere\\\n");
    const LaunchResult second = java.app.start("C:\\docs\\a.txt \"two words\" -nosplash");
    EXPECT_EQ(second.out, "");
    EXPECT_EQ(second.err, "");
    EXPECT_EQ(second.exitCode, 0);

    ASSERT_TRUE(awaitLog(java, "secondaryMain returned")) << java.log();
    const std::string log = java.log();
    EXPECT_EQ(logValues(log, "secondaryMain "),
              (std::vector<std::string>{"argc=3", "arg[0]=C:\\docs\\a.txt", "arg[1]=two words", "arg[2]=-nosplash",
                                        "returned"}))
        << log;
    // On a thread of its own, attached and detached, while main still waits.
    EXPECT_TRUE(has(log, "AttachCurrentThread Thread-0")) << log;
    EXPECT_TRUE(awaitLog(java, "DetachCurrentThread Thread-0")) << java.log();
    EXPECT_FALSE(has(log, "main returned")) << log;
    EXPECT_EQ(count(log, "main argc=1"), 1u) << log;
    EXPECT_TRUE(first.stillRunning());

    release();
    const LaunchResult r = first.finish();
    EXPECT_FALSE(gaveUp(java.log())) << java.log();
    EXPECT_EQ(r.out, "second got it\r\nmain ends\r\n");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.exitCode, 0);
}

TEST(SingleInstance, DoubleByteNamesMeetUnderTheByteWiseName)
{
    if (GetACP() != 932) {
        GTEST_SKIP() << "needs the ANSI code page 932";
    }
    // 表 is 0x95 0x5C: its trail byte is a backslash, and it too becomes an
    // underscore in the block's name, as every instance computes it.
    const std::string hyo = "\x95\x5C";
    SingleApp java("Si" + hyo, "class=com/example/App\nmain=wait si-dbcs 30000\nsecondaryMain=\n");
    const Release release("si-dbcs");
    RunningLaunch first = java.app.spawn(hyo, "first");
    ASSERT_TRUE(awaitLog(java, "main arg[0]=" + hyo)) << java.log();
    EXPECT_TRUE(blockExists(java)) << java.instanceName();

    const LaunchResult second = java.app.start(hyo + ".txt \"" + hyo + " " + hyo + "\"");
    EXPECT_EQ(second.exitCode, 0);
    ASSERT_TRUE(awaitLog(java, "secondaryMain returned")) << java.log();
    release();
    EXPECT_EQ(first.finish().exitCode, 0);
    const std::string log = java.log();
    EXPECT_TRUE(has(log, "secondaryMain arg[0]=" + hyo + ".txt")) << log;
    EXPECT_TRUE(has(log, "secondaryMain arg[1]=" + hyo + " " + hyo)) << log;
}

TEST(SingleInstance, ArgumentAreaLimitsAndEmptyArguments)
{
    SingleApp java("SiEdges", "class=com/example/App\nmain=wait si-edges 60000\nsecondaryMain=\n");
    const Release release("si-edges");
    RunningLaunch first = java.app.spawn("", "first");
    ASSERT_TRUE(awaitLog(java, "main argc=0")) << java.log();

    const std::string fits(1038, 'f');   // + its zero + the final zero = 1040
    const std::string tooLong(1039, 'x'); // one byte more
    const struct {
        std::string arguments;
        int exitCode;
        std::vector<std::string> received; // what secondaryMain logs, when it runs
    } rows[] = {
        {"", 0, {"argc=1", "arg[0]="}},              // no arguments: one empty string
        {"one \"\" three", 0, {"argc=1", "arg[0]=one"}}, // an empty argument ends the list
        {fits, 0, {"argc=1", "arg[0]=" + fits}},
        {tooLong, -1, {}},
        {"a " + std::string(1036, 'b'), 0, {"argc=2", "arg[0]=a", "arg[1]=" + std::string(1036, 'b')}},
        {"ab " + std::string(1036, 'b'), -1, {}},
    };
    std::size_t delivered = 0;
    for (const auto& row : rows) {
        const LaunchResult r = java.app.start(row.arguments);
        EXPECT_EQ(r.out, "") << row.arguments.size();
        EXPECT_EQ(r.err, "") << row.arguments.size();
        EXPECT_EQ(r.exitCode, row.exitCode) << row.arguments.size();
        if (row.received.empty()) {
            continue;
        }
        ++delivered;
        ASSERT_TRUE(awaitLog(java, "secondaryMain returned", delivered)) << java.log();
        std::vector<std::string> calls = logValues(java.log(), "secondaryMain ");
        const std::vector<std::string> last(calls.end() - static_cast<std::ptrdiff_t>(row.received.size() + 1),
                                            calls.end() - 1);
        EXPECT_EQ(last, row.received) << row.arguments.size();
    }
    release();
    EXPECT_EQ(first.finish().exitCode, 0);
    EXPECT_EQ(count(java.log(), "secondaryMain returned"), delivered) << java.log();
    EXPECT_FALSE(gaveUp(java.log())) << java.log();
}


TEST(SingleInstance, MissingSecondaryMainIsDescribedAndNothingElseChanges)
{
    SingleApp java("SiNoSecondary", "class=com/example/App\nmain=wait si-nosecondary 30000;out main ends\n");
    const Release release("si-nosecondary");
    RunningLaunch first = java.app.spawn("", "first");
    ASSERT_TRUE(awaitLog(java, "main argc=0")) << java.log();
    const LaunchResult second = java.app.start("lost");
    EXPECT_EQ(second.out, "");
    EXPECT_EQ(second.exitCode, 0);
    ASSERT_TRUE(awaitLog(java, "DetachCurrentThread Thread-0")) << java.log();

    release();
    const LaunchResult r = first.finish();
    EXPECT_EQ(r.err, "Exception in thread \"Thread-0\" java.lang.NoSuchMethodError: secondaryMain\r\n");
    EXPECT_EQ(r.out, "main ends\r\n");
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_FALSE(gaveUp(java.log())) << java.log();
}

TEST(SingleInstance, CopiesInDifferentFoldersDoNotCoordinate)
{
    SingleApp one("SiCopyOne", "class=com/example/App\nmain=wait si-copies 30000\nsecondaryMain=\n");
    SingleApp other("SiCopyOther", "class=com/example/App\nmain=args\nsecondaryMain=\n");
    const Release release("si-copies");
    RunningLaunch first = one.app.spawn("", "first");
    ASSERT_TRUE(awaitLog(one, "main argc=0")) << one.log();

    const LaunchResult r = other.app.start("mine");
    EXPECT_EQ(r.out, "arg[0]=mine\r\n"); // a first instance of its own
    EXPECT_EQ(r.exitCode, 0);
    release();
    EXPECT_EQ(first.finish().exitCode, 0);
    EXPECT_FALSE(has(one.log(), "secondaryMain argc=1")) << one.log();
    EXPECT_FALSE(gaveUp(one.log())) << one.log();
}

// Waits (20 s at most) until a running launcher has written `text` to its
// standard error `times` times.
bool awaitErr(const RunningLaunch& launch, const std::string& text, std::size_t times = 1)
{
    return waitFor([&] {
        const std::string err = launch.err();
        std::size_t found = 0;
        for (std::size_t at = err.find(text); at != std::string::npos; at = err.find(text, at + 1)) {
            ++found;
        }
        return found >= times;
    }, 20000);
}

const char* const received = "quarnel: hand-over received from a further start\n";

// A launch of the product with the decision trace on, so that a test can
// wait for what it says.
RunningLaunch spawnTraced(const SingleApp& java, const std::string& tag, const std::string& arguments)
{
    const ScopedVariable traced("QUARNEL_TRACE", "1");
    return java.app.spawn(arguments, tag);
}
const char* const waitsForTheEnd = "quarnel: the running instance is shutting down: waiting for it to end\n";

TEST(SingleInstance, StartsDuringJvmCreationAreHeldAndAnsweredOnceTheProgramRuns)
{
    SingleApp java("SiSlowJvm", "class=com/example/App\ncreateWait=si-slow-created\n"
                                "main=await secondaryMain 2 30000;out main ends\nsecondaryMain=args\n");
    const Release created("si-slow-created");
    RunningLaunch first = spawnTraced(java, "first", "first");
    ASSERT_TRUE(awaitLog(java, "option[0]=-Djava.class.path=app.jar")) << java.log();
    RunningLaunch early = java.app.spawn("early", "early");
    ASSERT_TRUE(awaitErr(first, received)) << first.err();
    // Received while the JVM is still being made, and held: it has no
    // answer before the program runs; the start after it waits its turn.
    RunningLaunch later = java.app.spawn("later", "later");
    EXPECT_FALSE(has(java.log(), "CreateJavaVM result=0")) << java.log();
    EXPECT_TRUE(early.stillRunning());
    EXPECT_TRUE(later.stillRunning());
    created();
    EXPECT_EQ(early.finish().exitCode, 0);
    EXPECT_EQ(later.finish().exitCode, 0);

    const LaunchResult r = first.finish();
    // Delivered: the calls begin in arrival order but run side by side, so
    // their output may come either way round.
    EXPECT_TRUE(r.out == "arg[0]=early\r\narg[0]=later\r\nmain ends\r\n" ||
                r.out == "arg[0]=later\r\narg[0]=early\r\nmain ends\r\n")
        << r.out;
    EXPECT_EQ(r.exitCode, 0);
    const std::string log = java.log();
    EXPECT_EQ(logValues(log, "secondaryMain arg[0]="), (std::vector<std::string>{"early", "later"})) << log;
    EXPECT_LT(log.find("CreateJavaVM result=0\n"), log.find("secondaryMain argc=1\n")) << log;
    EXPECT_FALSE(gaveUp(log)) << log;
}

TEST(SingleInstance, StartDuringTheShutdownWaitsForTheFirstInstanceAndTakesItsPlace)
{
    // main has returned and the shutdown hook runs: a hand-over now would
    // be frozen by the JVM's exit. The further start is not handed to it,
    // waits for it to end, and runs as the first instance itself.
    SingleApp java("SiClosing", "class=com/example/App\nmain=args\nhook=out hook;wait si-closing-hook 30000\n"
                                "secondaryMain=out never\n");
    const Release hookEnds("si-closing-hook");
    RunningLaunch first = java.app.spawn("first", "first");
    ASSERT_TRUE(awaitLog(java, "hook Thread-0 runs")) << java.log();
    RunningLaunch late = spawnTraced(java, "late", "late");
    ASSERT_TRUE(awaitErr(late, waitsForTheEnd)) << late.err();
    EXPECT_TRUE(first.stillRunning());
    hookEnds();

    const LaunchResult ended = first.finish(20000);
    EXPECT_EQ(ended.out, "arg[0]=first\r\nhook\r\n");
    EXPECT_EQ(ended.exitCode, 0);
    const LaunchResult took = late.finish(20000);
    EXPECT_EQ(took.out, "arg[0]=late\r\nhook\r\n");
    EXPECT_EQ(took.exitCode, 0);
    const std::string log = java.log();
    EXPECT_FALSE(has(log, "secondaryMain argc=1")) << log;
    EXPECT_EQ(count(log, "removeShutdownHook refused: shutdown in progress"), 1u) << log;
    EXPECT_EQ(log.find("FATAL"), std::string::npos) << log;
}

TEST(SingleInstance, AHandOverTheJvmFreezesDoesNotKeepTheFirstInstance)
{
    // When the launcher cannot tell that the hooks run (here the runtime
    // hides its hook registry), a hand-over is taken while they run, and
    // the JVM's exit freezes its thread inside secondaryMain. The first
    // instance ends all the same, once its hook has.
    SingleApp java("SiFrozen", "class=com/example/App\nmain=args\nhook=wait si-frozen-hook 30000\n"
                               "hide=java/lang/Runtime.removeShutdownHook\n"
                               "secondaryMain=signal si-frozen-second;sleep 30000;out never\n");
    const Release hookEnds("si-frozen-hook");
    const Release secondRuns("si-frozen-second");
    RunningLaunch first = java.app.spawn("first", "first");
    ASSERT_TRUE(awaitLog(java, "hook Thread-0 runs")) << java.log();
    EXPECT_EQ(java.app.start("late").exitCode, 0);
    ASSERT_TRUE(awaitLog(java, "secondaryMain arg[0]=late")) << java.log();
    hookEnds();
    const DWORD released = GetTickCount();
    const LaunchResult r = first.finish(20000);
    EXPECT_LT(GetTickCount() - released, 5000u) << "the first instance waited for the frozen hand-over";
    EXPECT_EQ(r.exitCode, 0);
    const std::string log = java.log();
    EXPECT_TRUE(has(log, "DestroyJavaVM leaves attached: Thread-1")) << log;
    EXPECT_FALSE(has(log, "secondaryMain returned")) << log;
}

TEST(SingleInstance, FurtherStartEndsZeroExactlyWhenTheProgramTakesItsArguments)
{
    // Held while the first instance creates its JVM, which then fails: the
    // arguments are never delivered, so the further start must not end 0.
    // It takes the first instance's place once that has ended, and fails as
    // it did.
    SingleApp java("SiExact", "class=com/example/App\ncreateWait=si-exact-created\ncreate=-1\n"
                              "secondaryMain=out never\n");
    const Release created("si-exact-created");
    RunningLaunch first = spawnTraced(java, "first", "first");
    ASSERT_TRUE(awaitLog(java, "option[0]=-Djava.class.path=app.jar")) << java.log();
    RunningLaunch further = java.app.spawn("further", "further");
    ASSERT_TRUE(waitFor([&] { return !further.stillRunning() || first.err().find(received) != std::string::npos; }))
        << first.err();
    EXPECT_TRUE(further.stillRunning()) << "answered before the program could take anything";
    created();

    const std::string failed = "Error: JNI exception: failed to create the Java VM\nReason: unknown.\n \n";
    const LaunchResult ended = first.finish(20000);
    EXPECT_EQ(ended.exitCode, -1);
    EXPECT_EQ(ended.out, failed);
    const LaunchResult r = further.finish(20000);
    EXPECT_EQ(r.exitCode, -1);
    EXPECT_EQ(r.out, failed);
    EXPECT_FALSE(has(java.log(), "secondaryMain argc=1")) << java.log();
}

TEST(SingleInstance, ThirtyStartsAtOnceAllArriveOnce)
{
    constexpr int starts = 30;
    SingleApp java("SiThirty", "class=com/example/App\nmain=await secondaryMain 30 50000;out main ends\n"
                               "secondaryMain=\n");
    RunningLaunch first = java.app.spawn("", "first");
    ASSERT_TRUE(awaitLog(java, "main argc=0")) << java.log();

    // Made first, then let go together.
    std::vector<RunningLaunch> further;
    for (int i = 0; i < starts; ++i) {
        const std::string n = std::to_string(i);
        further.push_back(java.app.spawn("s" + n + " t" + n, n, true));
    }
    for (const RunningLaunch& start : further) {
        start.resume();
    }
    for (int i = 0; i < starts; ++i) {
        const LaunchResult r = further[i].finish();
        EXPECT_EQ(r.exitCode, 0) << i;
        EXPECT_EQ(r.out, "") << i;
    }
    const LaunchResult r = first.finish();
    EXPECT_EQ(r.out, "main ends\r\n");
    EXPECT_EQ(r.exitCode, 0);

    // Each list arrives whole and once: none lost, none replaced by another.
    const std::string log = java.log();
    EXPECT_EQ(count(log, "secondaryMain argc=2"), std::size_t(starts)) << log;
    std::set<std::string> firsts, seconds;
    for (const std::string& text : logValues(log, "secondaryMain arg[0]=")) {
        firsts.insert(text);
    }
    for (const std::string& text : logValues(log, "secondaryMain arg[1]=")) {
        seconds.insert(text);
    }
    std::set<std::string> expectedFirsts, expectedSeconds;
    for (int i = 0; i < starts; ++i) {
        expectedFirsts.insert("s" + std::to_string(i));
        expectedSeconds.insert("t" + std::to_string(i));
    }
    EXPECT_EQ(firsts, expectedFirsts) << log;
    EXPECT_EQ(seconds, expectedSeconds) << log;
    EXPECT_FALSE(gaveUp(log)) << log;
}

TEST(SingleInstance, TwoStartsInQuickSuccessionBothCount)
{
    // However the two race for the block, one runs main and the other hands
    // over: the later one never finds a block whose listener is not up yet.
    for (int round = 0; round < 3; ++round) {
        SingleApp java("SiQuick", "class=com/example/App\nmain=await secondaryMain 1 20000\nsecondaryMain=\n");
        RunningLaunch a = java.app.spawn("a", "a");
        RunningLaunch b = java.app.spawn("b", "b");
        EXPECT_EQ(a.finish().exitCode, 0) << round;
        EXPECT_EQ(b.finish().exitCode, 0) << round;
        const std::string log = java.log();
        const std::vector<std::string> mainGot = logValues(log, "main arg[0]=");
        const std::vector<std::string> secondGot = logValues(log, "secondaryMain arg[0]=");
        ASSERT_EQ(mainGot.size(), 1u) << log;
        ASSERT_EQ(secondGot.size(), 1u) << log;
        EXPECT_EQ(std::set<std::string>({mainGot[0], secondGot[0]}), std::set<std::string>({"a", "b"})) << log;
    }
}

TEST(SingleInstance, ProgramWhoseMainReturnedStillReceivesWhileItRuns)
{
    // A program with a window: main returns, the JVM's destruction waits for
    // the window, and starts meanwhile still reach it.
    SingleApp java("SiWindow", "class=com/example/App\nmain=spawn @si-window-closes window closed\n"
                               "secondaryMain=args\n");
    const Release windowCloses("si-window-closes");
    RunningLaunch first = java.app.spawn("", "first");
    ASSERT_TRUE(awaitLog(java, "DestroyJavaVM")) << java.log();
    EXPECT_EQ(java.app.start("late").exitCode, 0);
    ASSERT_TRUE(awaitLog(java, "secondaryMain returned")) << java.log();
    windowCloses();
    const LaunchResult r = first.finish();
    EXPECT_EQ(r.out, "arg[0]=late\r\nwindow closed\r\n");
    EXPECT_EQ(r.exitCode, 0);
}

TEST(SingleInstance, EndedInstanceLeavesNoBlockBehind)
{
    SingleApp java("SiEnded", "class=com/example/App\nmain=args;wait si-ended 30000\n");
    const Release release("si-ended");
    RunningLaunch first = java.app.spawn("one", "first");
    ASSERT_TRUE(awaitLog(java, "main arg[0]=one")) << java.log();
    EXPECT_TRUE(blockExists(java));
    release();
    EXPECT_EQ(first.finish().out, "arg[0]=one\r\n");
    EXPECT_FALSE(gaveUp(java.log())) << java.log();
    EXPECT_FALSE(blockExists(java));

    // The next start is a first instance again: it runs main itself.
    const LaunchResult again = java.app.start("two");
    EXPECT_EQ(again.out, "arg[0]=two\r\n");
    EXPECT_EQ(again.exitCode, 0);
    EXPECT_FALSE(has(java.log(), "secondaryMain argc=1")) << java.log();
}

TEST(SingleInstance, FailedInitialisationStillReleasesTheBlock)
{
    SingleApp java("SiFailedInit", "class=com/example/App\nmain=args\n");
    java.writeIni("Single Instance=yes\n", "");
    const LaunchResult failed = java.app.start("one");
    EXPECT_EQ(failed.out, "Error: Main class was not specified in INI file. \n");
    EXPECT_EQ(failed.exitCode, -1);
    EXPECT_FALSE(blockExists(java));

    java.writeIni("Single Instance=yes\n");
    const LaunchResult again = java.app.start("two");
    EXPECT_EQ(again.out, "arg[0]=two\r\n");
    EXPECT_EQ(again.exitCode, 0);
}

TEST(SingleInstance, OverwrittenBlockDoesNotHoldTheEndUp)
{
    // Any process may write the block; the first instance's end must not
    // depend on what stands there.
    SingleApp java("SiOverwritten", "class=com/example/App\nmain=wait si-overwritten 30000\n");
    const Release release("si-overwritten");
    RunningLaunch first = java.app.spawn("", "first");
    ASSERT_TRUE(awaitLog(java, "main argc=0")) << java.log();
    HANDLE mapping = OpenFileMappingA(FILE_MAP_WRITE, FALSE, java.instanceName().c_str());
    ASSERT_NE(mapping, nullptr);
    auto* block = static_cast<unsigned char*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0));
    ASSERT_NE(block, nullptr);
    std::fill(block, block + 4, 0x00);
    UnmapViewOfFile(block);
    CloseHandle(mapping);

    release();
    EXPECT_FALSE(first.stillRunning(10000));
    EXPECT_FALSE(gaveUp(java.log())) << java.log();
    EXPECT_EQ(first.finish().exitCode, 0);
}

// The test as the first instance, the way any peer that follows the block's
// layout would be one: the block, the registered message, and this thread's
// queue, with nothing else beside them. Unpublished, it is a first instance
// caught between making the block and filling it in.
class PeerInstance {
public:
    explicit PeerInstance(const std::string& name, bool published = true)
        : mapping_(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 1048, name.c_str())),
          message_(RegisterWindowMessageA(name.c_str()))
    {
        view_ = static_cast<unsigned char*>(MapViewOfFile(mapping_, FILE_MAP_WRITE, 0, 0, 0));
        MSG m;
        PeekMessageA(&m, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
        if (view_ != nullptr) {
            std::fill(view_ + 8, view_ + 1048, 0xAA);
        }
        if (published) {
            publish();
        }
    }
    void publish() const
    {
        const DWORD thread = GetCurrentThreadId();
        for (int i = 0; i < 4; ++i) {
            view_[i] = static_cast<unsigned char>(thread >> (8 * i));
            view_[4 + i] = static_cast<unsigned char>(message_ >> (8 * i));
        }
    }
    ~PeerInstance()
    {
        UnmapViewOfFile(view_);
        CloseHandle(mapping_);
    }
    bool ready() const { return view_ != nullptr && message_ != 0; }
    // The hand-overs posted to this thread so far (each must carry no data).
    int handOvers() const
    {
        int found = 0;
        MSG m;
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
            if (m.message == message_) {
                EXPECT_EQ(m.wParam, 0u);
                EXPECT_EQ(m.lParam, 0);
                ++found;
            }
        }
        return found;
    }
    std::string area() const { return std::string(view_ + 8, view_ + 1048); }

private:
    HANDLE mapping_;
    UINT message_;
    unsigned char* view_ = nullptr;
};

TEST(SingleInstance, HandOverFollowsTheBlockLayoutExactly)
{
    SingleApp java("SiPeer", "class=com/example/App\nmain=args\n");
    PeerInstance peer(java.instanceName());
    ASSERT_TRUE(peer.ready());
    const DWORD started = GetTickCount();
    const LaunchResult r = java.app.start("one \"t w o\"");
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(peer.handOvers(), 1);
    EXPECT_EQ(peer.area(), std::string("one\0t w o\0", 10) + std::string(1030, '\0'));
    // A peer that offers nothing beside the block is not waited for.
    EXPECT_LT(GetTickCount() - started, 4000u);
    EXPECT_EQ(java.log(), ""); // no JVM in the further start
}

TEST(SingleInstance, OnlyExactYesOutsideAServiceCoordinates)
{
    const struct {
        const char* application;
        const char* out; // an ordinary start's own main, or a service started from a console
    } rows[] = {
        {"Single Instance=Yes\n", "arg[0]=x\r\n"},
        {"Single Instance=YES\n", "arg[0]=x\r\n"},
        {"Single Instance= yes\n", ""}, // blanks around a value go: this is "yes"
        {"Single Instance=yes\nApplication Type=service\n", ""},
    };
    for (const auto& row : rows) {
        SingleApp java("SiWhen", "class=com/example/App\nmain=args\n", row.application);
        PeerInstance peer(java.instanceName());
        ASSERT_TRUE(peer.ready());
        const LaunchResult r = java.app.start("x");
        EXPECT_EQ(r.out, row.out) << row.application;
        EXPECT_EQ(r.exitCode, 0) << row.application;
        const bool coordinated = std::string(row.application) == "Single Instance= yes\n";
        EXPECT_EQ(peer.handOvers(), coordinated ? 1 : 0) << row.application;
        EXPECT_EQ(peer.area() == std::string(1040, '\xAA'), !coordinated) << row.application;
    }
}

TEST(SingleInstance, StartDuringTheFirstInstancesSetUpWaitsForIt)
{
    // A first instance holds the turn from before it makes the block until
    // its listener can be posted to; a start in that moment must wait for
    // it, not find zeros and fail.
    SingleApp java("SiSetUp", "class=com/example/App\nmain=args\n");
    HANDLE turn = CreateMutexA(nullptr, TRUE, (java.instanceName() + "~turn").c_str());
    ASSERT_NE(turn, nullptr);
    PeerInstance peer(java.instanceName(), false);
    ASSERT_TRUE(peer.ready());
    RunningLaunch further = java.app.spawn("waited", "further");
    EXPECT_TRUE(further.stillRunning(1000));
    peer.publish();
    ReleaseMutex(turn);
    const LaunchResult r = further.finish();
    CloseHandle(turn);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(peer.handOvers(), 1);
    EXPECT_EQ(peer.area().substr(0, 8), std::string("waited\0\0", 8));
}

TEST(SingleInstance, ForegroundRightsGoOnlyToAnInstanceOfTheSameExecutable)
{
    const ScopedVariable traced("QUARNEL_TRACE", "1");
    const std::string granted = "quarnel: foreground rights for the running instance: granted\n";
    const std::string refused = "quarnel: foreground rights for the running instance: refused, not this executable\n";
    // The real first instance.
    {
        SingleApp java("SiForeground", "class=com/example/App\nmain=await secondaryMain 1 30000\nsecondaryMain=\n");
        RunningLaunch first = java.app.spawn("first", "first");
        ASSERT_TRUE(awaitLog(java, "main argc=1")) << java.log();
        const LaunchResult r = java.app.start("second");
        EXPECT_EQ(r.exitCode, 0);
        EXPECT_NE(r.err.find(granted), std::string::npos) << r.err;
        EXPECT_EQ(first.finish().exitCode, 0);
    }
    // Any program can write a thread of its own into the block: this test's.
    {
        SingleApp java("SiForeign", "class=com/example/App\nmain=args\n");
        PeerInstance peer(java.instanceName());
        ASSERT_TRUE(peer.ready());
        const LaunchResult r = java.app.start("second");
        EXPECT_EQ(r.exitCode, 0);
        EXPECT_NE(r.err.find(refused), std::string::npos) << r.err;
        EXPECT_EQ(r.err.find(granted), std::string::npos) << r.err;
        EXPECT_EQ(peer.handOvers(), 1);
    }
}

} // namespace
