// The POSIX pieces single instance and service mode stand on: a folder only
// its user may enter, the lock that names the first instance, local stream
// sockets with deadlines and the peer's user, datagrams for systemd, and
// the stop signals turned into bytes for one thread to read.

#include "platform/LocalSocket.h"
#include "platform/PrivateFolder.h"
#include "platform/Signals.h"
#include "platform/Thread.h"

#include <gtest/gtest.h>

#include "tests/support/ScratchFolder.h"

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <string>
#include <thread>

#include <pthread.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

class LocalPieces : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(scratch_.path().empty());
    }
    std::string path(const char* name) const { return (folder_ / name).string(); }

    // A connected pair through a listener at `name`.
    void connectPair(platform::UniqueFileHandle& client, platform::UniqueFileHandle& server) const
    {
        platform::UniqueFileHandle listener;
        ASSERT_TRUE(platform::listenLocal(path("s"), listener));
        ASSERT_TRUE(platform::connectLocal(path("s"), client));
        ASSERT_TRUE(platform::acceptLocal(listener, server));
    }

    ScratchFolder scratch_{"sock"};
    const fs::path& folder_ = scratch_.path();
};

mode_t modeOf(const std::string& path)
{
    struct stat status{};
    EXPECT_EQ(::lstat(path.c_str(), &status), 0) << path;
    return status.st_mode & 07777;
}

TEST_F(LocalPieces, PrivateFolderIsMadeForTheUserAloneAndNothingElseIsTaken)
{
    // Made 0700 whatever the umask, then taken as it is.
    const mode_t umask = ::umask(0);
    EXPECT_TRUE(platform::ensurePrivateFolder(path("own")));
    ::umask(umask);
    EXPECT_EQ(modeOf(path("own")), 0700u);
    EXPECT_TRUE(platform::ensurePrivateFolder(path("own")));

    // What someone may have prepared, or a folder others may enter, is not.
    fs::create_directory(path("open"));
    fs::permissions(path("open"), fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
    fs::create_directory_symlink(path("own"), path("link"));
    std::ofstream(path("file")) << "";
    for (const char* refused : {"open", "link", "file"}) {
        EXPECT_FALSE(platform::ensurePrivateFolder(path(refused))) << refused;
    }
    EXPECT_EQ(modeOf(path("open")), 0711u); // left as it was
    EXPECT_FALSE(platform::ensurePrivateFolder(path("missing/own")));
}

TEST_F(LocalPieces, LockIsHeldByOneOpenFileAtATimeUntilItCloses)
{
    platform::UniqueFileHandle first;
    platform::UniqueFileHandle second;
    ASSERT_TRUE(platform::openLockFile(path("lock"), first));
    ASSERT_TRUE(platform::openLockFile(path("lock"), second));
    EXPECT_EQ(modeOf(path("lock")), 0600u);
    EXPECT_TRUE(platform::tryLockFile(first));
    EXPECT_FALSE(platform::tryLockFile(second));
    first.reset();
    EXPECT_TRUE(platform::tryLockFile(second));

    // A link in its place is never followed.
    fs::create_symlink(path("lock"), path("linked"));
    platform::UniqueFileHandle linked;
    EXPECT_FALSE(platform::openLockFile(path("linked"), linked));
}

TEST_F(LocalPieces, ListenerReplacesWhatHadItsNameAndKnowsItsPeer)
{
    std::ofstream(path("s")) << "a stale name";
    platform::UniqueFileHandle client;
    platform::UniqueFileHandle server;
    connectPair(client, server);
    std::uint32_t peer = 12345;
    ASSERT_TRUE(platform::peerUserId(server, peer));
    EXPECT_EQ(peer, ::geteuid());
    EXPECT_EQ(platform::effectiveUserId(), ::geteuid());

    // Nobody listens at a name that is only a file.
    std::ofstream(path("plain")) << "";
    platform::UniqueFileHandle refused;
    EXPECT_FALSE(platform::connectLocal(path("plain"), refused));
    EXPECT_FALSE(refused);
}

TEST_F(LocalPieces, PathTooLongForASocketIsRefusedNotCut)
{
    const std::string longPath = folder_.string() + "/" + std::string(120, 'n');
    platform::UniqueFileHandle listener;
    EXPECT_FALSE(platform::listenLocal(longPath, listener));
    EXPECT_EQ(errno, ENAMETOOLONG);
    EXPECT_FALSE(fs::exists(longPath.substr(0, 107)));
}

TEST_F(LocalPieces, WholeMessagesTravelAndDeadlinesHold)
{
    platform::UniqueFileHandle client;
    platform::UniqueFileHandle server;
    connectPair(client, server);
    const std::uint64_t far = platform::monotonicMilliseconds() + 20000;

    // More than the socket buffers hold: the sender waits for the reader.
    const std::string sent(1024 * 1024 + 3, 'm');
    std::string received(sent.size(), '\0');
    auto reader = std::async(std::launch::async,
                             [&] { return platform::receiveAll(server, received.data(), received.size(), far); });
    EXPECT_TRUE(platform::sendAll(client, sent.data(), sent.size(), far));
    EXPECT_TRUE(reader.get());
    EXPECT_EQ(received, sent);

    // Nothing arrives: false once the deadline has passed, not before.
    const std::uint64_t before = platform::monotonicMilliseconds();
    char byte = 0;
    EXPECT_FALSE(platform::receiveAll(server, &byte, 1, before + 200));
    EXPECT_GE(platform::monotonicMilliseconds() - before, 200u);

    // The other end gone: receiving fails at once, and sending raises no
    // SIGPIPE (this process would end) but fails.
    client.reset();
    EXPECT_FALSE(platform::receiveAll(server, &byte, 1, far));
    EXPECT_FALSE(platform::sendAll(server, "x", 1, far));
}

TEST_F(LocalPieces, ListenerWaitEndsForAConnectionOrForTheWakeByte)
{
    platform::UniqueFileHandle listener;
    platform::UniqueFileHandle wakeRead;
    platform::UniqueFileHandle wakeWrite;
    ASSERT_TRUE(platform::listenLocal(path("s"), listener));
    ASSERT_TRUE(platform::makePipe(wakeRead, wakeWrite));
    platform::UniqueFileHandle client;
    ASSERT_TRUE(platform::connectLocal(path("s"), client));
    EXPECT_TRUE(platform::waitForConnection(listener, wakeRead));
    // The wake byte wins even over a connection still waiting.
    platform::writeWakeByte(wakeWrite);
    EXPECT_FALSE(platform::waitForConnection(listener, wakeRead));
}

TEST_F(LocalPieces, DatagramReachesAPathAndAnAbstractName)
{
    const std::string abstractName = "quarnel-unit-" + std::to_string(::getpid());
    for (const std::string& address : {path("notify"), std::string(1, '\0') + abstractName}) {
        const int receiver = ::socket(AF_UNIX, SOCK_DGRAM, 0);
        sockaddr_un bound{};
        bound.sun_family = AF_UNIX;
        address.copy(bound.sun_path, address.size());
        ASSERT_EQ(::bind(receiver, reinterpret_cast<const sockaddr*>(&bound),
                         static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + address.size())),
                  0);
        EXPECT_TRUE(platform::sendLocalDatagram(address, "READY=1"));
        char buffer[32] = {};
        EXPECT_EQ(::recv(receiver, buffer, sizeof buffer, MSG_DONTWAIT), 7);
        EXPECT_STREQ(buffer, "READY=1");
        ::close(receiver);
    }
    EXPECT_FALSE(platform::sendLocalDatagram(path("nobody-listens"), "READY=1"));
}

TEST_F(LocalPieces, AStartThatStopsWaitingEitherHasTheAnswerOrTheAnswerFails)
{
    // The answer came before the start stopped waiting: it is read, and the
    // first instance's send had succeeded.
    {
        platform::UniqueFileHandle start;
        platform::UniqueFileHandle first;
        connectPair(start, first);
        const unsigned char taken = 0x06;
        ASSERT_TRUE(platform::sendAll(first, &taken, 1, platform::monotonicMilliseconds() + 1000));
        unsigned char answer = 0;
        EXPECT_TRUE(platform::withdrawAndReceive(start, &answer, 1));
        EXPECT_EQ(answer, taken);
    }
    // It stopped waiting first: the answer cannot be sent (and raises no
    // SIGPIPE), so the first instance knows not to deliver.
    {
        platform::UniqueFileHandle start;
        platform::UniqueFileHandle first;
        connectPair(start, first);
        unsigned char answer = 0;
        EXPECT_FALSE(platform::withdrawAndReceive(start, &answer, 1));
        const unsigned char taken = 0x06;
        EXPECT_FALSE(platform::sendAll(first, &taken, 1, platform::monotonicMilliseconds() + 1000));
    }
    // Racing: whichever order the two take, the outcomes agree.
    for (int round = 0; round < 200; ++round) {
        platform::UniqueFileHandle start;
        platform::UniqueFileHandle first;
        connectPair(start, first);
        bool sent = false;
        std::thread firstInstance([&] {
            const unsigned char taken = 0x06;
            sent = platform::sendAll(first, &taken, 1, platform::monotonicMilliseconds() + 1000);
        });
        unsigned char answer = 0;
        const bool received = platform::withdrawAndReceive(start, &answer, 1);
        firstInstance.join();
        ASSERT_EQ(received, sent) << "round " << round;
        fs::remove(path("s"));
    }
}

TEST(StopSignals, CaughtOnesBecomeBytesOfThePipeUntilRestored)
{
    platform::UniqueFileHandle readEnd;
    platform::UniqueFileHandle writeEnd;
    ASSERT_TRUE(platform::makePipe(readEnd, writeEnd));
    ASSERT_TRUE(platform::catchStopSignals(writeEnd));
    // Caught, not blocked: nothing that this process starts inherits a mask.
    sigset_t blocked;
    ASSERT_EQ(::pthread_sigmask(SIG_BLOCK, nullptr, &blocked), 0);
    EXPECT_FALSE(sigismember(&blocked, SIGTERM));

    ::raise(SIGHUP);
    EXPECT_EQ(platform::nextCaughtSignal(readEnd), platform::CaughtSignal::hangUp);
    ::raise(SIGTERM);
    EXPECT_EQ(platform::nextCaughtSignal(readEnd), platform::CaughtSignal::stop);
    ::raise(SIGINT);
    EXPECT_EQ(platform::nextCaughtSignal(readEnd), platform::CaughtSignal::stop);
    platform::writeWakeByte(writeEnd);
    EXPECT_EQ(platform::nextCaughtSignal(readEnd), platform::CaughtSignal::other);

    platform::restoreStopSignals();
    struct sigaction action {};
    ASSERT_EQ(::sigaction(SIGTERM, nullptr, &action), 0);
    EXPECT_EQ(action.sa_handler, SIG_DFL);
}

} // namespace
