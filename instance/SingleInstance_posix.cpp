#include "instance/SingleInstance.h"

#include "instance/HandOverFrame.h"
#include "instance/SecondaryMain.h"
#include "launcher/Errors.h"
#include "launcher/JavaLauncher.h"
#include "launcher/Trace.h"
#include "platform/Files.h"
#include "platform/LocalSocket.h"
#include "platform/PrivateFolder.h"
#include "platform/Thread.h"
#include "resources/StringIds.h"
#include "resources/StringTable.h"
#include "text/Decimal.h"

#include <memory>
#include <new>

// The instances of one executable meet in a folder that depends on their
// user alone, so that a start from the desktop, one over ssh and one from
// cron all meet: /run/user/<uid> when the system keeps one for the user, or
// /tmp/quarnel-<uid> made with mode 0700. There a lock file says who the
// first instance is (whoever holds its lock; the system lets go of it when
// that process ends, however it ends), and a stream socket beside it takes
// the further starts' arguments. A socket left by a first instance that
// died is only a name: the next holder of the lock replaces it.
//
// Inside a first instance: the listener thread takes one hand-over at a
// time, from a process of the same user only, says it has received the
// arguments, and gives them to a forwarding thread of its own, which waits
// at the launcher's gate until the Java program runs (hand-overs are held,
// in arrival order, while the JVM is being created) and answers then.

// What a launch keeps of its coordination while it runs: the lock that
// makes this process the first instance, held for its life; the socket
// further starts connect to, its path, and the listener that serves it with
// the pipe that stops it (first instance only).
struct InstanceState {
    platform::UniqueFileHandle lock;
    platform::UniqueFileHandle listenSocket;
    std::string socketPath;
    platform::UniqueFileHandle listenerWake;
    platform::UniqueFileHandle listenerWoken;
    platform::ThreadToken listenerThread = 0;
    bool listenerRunning = false;
};

void InstanceStateRelease::operator()(InstanceState* state) const noexcept { delete state; }

namespace {

// How long a further start looks for a first instance that is still setting
// up, or ending: past that it gives up with -1.
constexpr std::uint64_t reachMilliseconds = 5000;
// How long a further start waits for the running instance to say it has
// received the arguments (a first instance that hangs says nothing), and
// how long the listener gives one start to send them.
constexpr std::uint64_t answerMilliseconds = 5000;
// How long a received hand-over may wait for the program to start.
constexpr std::uint64_t heldMilliseconds = 30000;
// How long a further start waits for a first instance whose program is
// shutting down to end, so that it can take its place.
constexpr std::uint64_t endingMilliseconds = 10000;
constexpr std::uint32_t retryMilliseconds = 20;
constexpr std::uint32_t endingRetryMilliseconds = 50;
// A listener that cannot accept (out of descriptors) tries again after this
// rather than spinning.
constexpr std::uint32_t acceptRetryMilliseconds = 50;

// A hand-over that came over the socket, answered over it.
class SocketHandOver final : public HandOver {
public:
    SocketHandOver(JavaLauncher& launcher, platform::UniqueFileHandle connection) noexcept
        : HandOver(launcher), connection_(std::move(connection))
    {
    }

    std::vector<std::string> arguments() const override { return arguments_; }
    bool take() noexcept override { return answer(instance::handOverTaken); }
    void refuse() noexcept override { (void)answer(instance::handOverRefused); }

    // The arguments of the connection, or false when its peer is another
    // user or does not send a whole frame in time.
    bool read() noexcept;
    // False when the further start has stopped waiting: it shut its end
    // down first, so the answer cannot arrive.
    bool answer(unsigned char verdict) const noexcept
    {
        return platform::sendAll(connection_, &verdict, 1, platform::monotonicMilliseconds() + answerMilliseconds);
    }

private:
    platform::UniqueFileHandle connection_;
    std::vector<std::string> arguments_;
};

// The folder the instances meet in; false when there is none that only this
// user can enter. Nothing of the environment counts: after su, or in a
// session that never set it, the runtime-folder variable would name another
// folder, or none.
bool meetingFolder(std::string& folder) noexcept
{
    const std::uint32_t user = platform::effectiveUserId();
    std::string runtime = "/run/user/";
    text::appendDecimal(runtime, user);
    if (platform::isPrivateFolder(runtime)) {
        folder = runtime;
        return true;
    }
    std::string own = "/tmp/quarnel-";
    text::appendDecimal(own, user);
    if (!platform::ensurePrivateFolder(own)) {
        return false;
    }
    folder = own;
    return true;
}

bool SocketHandOver::read() noexcept
{
    // Anyone who can reach the socket is let in by the folder's rights only;
    // root, or a socket in a folder shared after all, must not make this
    // user's program run another user's arguments.
    std::uint32_t peer = 0;
    if (!platform::peerUserId(connection_, peer) || peer != platform::effectiveUserId()) {
        return false;
    }
    const std::uint64_t deadline = platform::monotonicMilliseconds() + answerMilliseconds;
    unsigned char header[instance::frameHeaderSize];
    std::size_t length = 0;
    if (!platform::receiveAll(connection_, header, sizeof header, deadline) ||
        !instance::announcedLength(header, length)) {
        return false;
    }
    std::string payload(length, '\0');
    return platform::receiveAll(connection_, payload.data(), length, deadline) &&
           instance::decodeHandOver(payload, arguments_);
}

void receiveHandOver(JavaLauncher& launcher, platform::UniqueFileHandle connection) noexcept
{
    std::unique_ptr<SocketHandOver> handOver(new (std::nothrow) SocketHandOver(launcher, std::move(connection)));
    if (!handOver || !handOver->read() || !handOver->answer(instance::handOverReceived)) {
        return; // not from this user, or that start has stopped waiting
    }
    trace("hand-over received from a further start");
    startForwarding(std::move(handOver));
}

unsigned runInstanceListener(void* parameter) noexcept
{
    JavaLauncher& launcher = *static_cast<JavaLauncher*>(parameter);
    const InstanceState& state = *launcher.instanceState;
    while (platform::waitForConnection(state.listenSocket, state.listenerWoken)) {
        platform::UniqueFileHandle connection;
        if (!platform::acceptLocal(state.listenSocket, connection)) {
            platform::sleepMilliseconds(acceptRetryMilliseconds);
            continue;
        }
        receiveHandOver(launcher, std::move(connection));
    }
    return 0;
}

// First instance, holding the lock. Any failure switches coordination off;
// the lock stays until the process ends, so later starts find no one to
// hand over to and end with -1, as they would on Windows.
void startListening(JavaLauncher& launcher) noexcept
{
    InstanceState& state = *launcher.instanceState;
    if (!platform::listenLocal(state.socketPath, state.listenSocket) ||
        !platform::makePipe(state.listenerWoken, state.listenerWake) ||
        !platform::startThread(runInstanceListener, &launcher, &state.listenerThread)) {
        state.listenSocket.reset();
        launcher.singleInstance = false;
        return;
    }
    state.listenerRunning = true;
}

enum class Answer { taken, refused, withdrawn, none };

// Further start: what the first instance made of the frame. `none` when the
// connection ended without a last answer (a first instance that is
// setting up or ending, and did not take the arguments), so that trying
// again cannot deliver twice.
Answer handOver(const platform::UniqueFileHandle& connection, const std::string& frame) noexcept
{
    std::uint64_t deadline = platform::monotonicMilliseconds() + answerMilliseconds;
    if (!platform::sendAll(connection, frame.data(), frame.size(), deadline)) {
        return Answer::none;
    }
    for (;;) {
        unsigned char answer = 0;
        if (!platform::receiveAll(connection, &answer, 1, deadline)) {
            if (platform::monotonicMilliseconds() < deadline) {
                return Answer::none; // closed, or failed, without an answer
            }
            // Stops waiting in a way the first instance sees before it
            // answers, or else the answer is already here.
            if (!platform::withdrawAndReceive(connection, &answer, 1)) {
                return Answer::withdrawn;
            }
        }
        if (answer == instance::handOverReceived) {
            deadline = platform::monotonicMilliseconds() + heldMilliseconds;
            continue;
        }
        if (answer == instance::handOverTaken) {
            return Answer::taken;
        }
        return answer == instance::handOverRefused ? Answer::refused : Answer::none;
    }
}

} // namespace

InstanceState* newInstanceState() noexcept { return new (std::nothrow) InstanceState; }

bool meetOtherInstances(JavaLauncher& launcher, InstanceState& state, const std::string& modulePath) noexcept
{
    std::string folder;
    if (!meetingFolder(folder)) {
        launcher.singleInstance = false;
        return true;
    }
    const std::string name = folder + "/" + instance::instanceSocketName(modulePath);
    state.socketPath = name + ".socket";
    if (!platform::openLockFile(name + ".lock", state.lock)) {
        launcher.singleInstance = false;
        return true;
    }

    // Whoever holds the lock is the first instance; a start that finds it
    // taken hands over. The socket may not answer yet (its first instance is
    // still setting up, or already ending and about to let go of the lock),
    // so the start looks again for a while; longer once the first instance
    // said its program is shutting down, since it will end soon and this
    // start is to take its place.
    std::uint64_t giveUp = platform::monotonicMilliseconds() + reachMilliseconds;
    bool refused = false;
    std::string frame; // made once a first instance answers; never empty then
    do {
        if (platform::tryLockFile(state.lock)) {
            launcher.isFirstInstance = true;
            startListening(launcher);
            return true;
        }
        platform::UniqueFileHandle connection;
        if (platform::connectLocal(state.socketPath, connection)) {
            if (frame.empty() && !instance::encodeHandOver(launcher.arguments, frame)) {
                return false; // more than any first instance takes
            }
            switch (handOver(connection, frame)) {
            case Answer::taken:
                return true;
            case Answer::withdrawn:
                return false; // a first instance that hangs
            case Answer::refused:
                if (!refused) {
                    trace("the running instance is shutting down: waiting for it to end");
                    refused = true;
                    giveUp = platform::monotonicMilliseconds() + endingMilliseconds;
                }
                break;
            case Answer::none:
                break;
            }
        }
        platform::sleepMilliseconds(refused ? endingRetryMilliseconds : retryMilliseconds);
    } while (platform::monotonicMilliseconds() < giveUp);
    if (refused) {
        printError(resources::loadString(resources::IDS_INSTANCE_STILL_ENDING));
    }
    return false;
}

void stopSingleInstance(JavaLauncher& launcher) noexcept
{
    if (!launcher.instanceState) {
        return;
    }
    InstanceState& state = *launcher.instanceState;
    if (state.listenerRunning) {
        platform::writeWakeByte(state.listenerWake);
        platform::joinThread(state.listenerThread);
        state.listenerRunning = false;
    }
    // Pending further starts see their connection closed without an answer
    // and look again; the name goes before the lock, so that the next holder
    // of the lock finds no socket of ours.
    state.listenSocket.reset();
    if (launcher.isFirstInstance) {
        platform::removeFile(state.socketPath);
    }
    launcher.instanceState.reset(); // the lock goes with it
}
