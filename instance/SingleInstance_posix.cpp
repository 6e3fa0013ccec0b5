#include "instance/SingleInstance.h"

#include "instance/HandOverFrame.h"
#include "instance/SecondaryMain.h"
#include "launcher/JavaLauncher.h"
#include "platform/System.h"

#include <memory>
#include <new>

// The instances of one executable meet in a folder only their user can
// enter: $XDG_RUNTIME_DIR, or /tmp/quarnel-<uid> made with mode 0700. There
// a lock file says who the first instance is (whoever holds its lock; the
// system lets go of it when that process ends, however it ends), and a
// stream socket beside it takes the further starts' arguments. A socket
// left by a first instance that died is only a name: the next holder of the
// lock replaces it.
//
// Inside a first instance: the listener thread takes one hand-over at a
// time, from a process of the same user only, answers once it holds the
// arguments, and gives them to a forwarding thread of its own, which waits
// at the launcher's gate until the Java program runs (hand-overs are held,
// in arrival order, while the JVM is being created) or is gone (they are
// dropped).

namespace {

// How long a further start looks for a first instance that is still setting
// up, or ending: past that it gives up with -1.
constexpr std::uint64_t reachMilliseconds = 5000;
// How long a further start waits for the answer once its arguments are
// sent, and how long the listener gives one start to send them.
constexpr std::uint64_t answerMilliseconds = 5000;
constexpr std::uint32_t retryMilliseconds = 20;
// A listener that cannot accept (out of descriptors) tries again after this
// rather than spinning.
constexpr std::uint32_t acceptRetryMilliseconds = 50;

// One hand-over on its way to secondaryMain; owned by its forwarding thread.
struct HandOver {
    JavaLauncher* launcher;
    std::uint64_t ticket; // its place at the gate
    std::vector<std::string> arguments;
};

void appendDecimal(std::string& text, std::uint32_t value)
{
    char digits[10];
    std::size_t count = 0;
    do {
        digits[count++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    while (count > 0) {
        text += digits[--count];
    }
}

// The folder the instances meet in; false when there is none that only this
// user can enter.
bool meetingFolder(std::string& folder) noexcept
{
    const std::string runtime = platform::environmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.empty() && runtime[0] == '/') {
        folder = runtime;
        return true;
    }
    std::string own = "/tmp/quarnel-";
    appendDecimal(own, platform::effectiveUserId());
    if (!platform::ensurePrivateFolder(own)) {
        return false;
    }
    folder = own;
    return true;
}

unsigned forwardToSecondaryMain(void* parameter) noexcept
{
    std::unique_ptr<HandOver> handOver(static_cast<HandOver*>(parameter));
    JavaLauncher& launcher = *handOver->launcher;
    deliverToSecondaryMain(launcher, handOver->ticket, handOver->arguments);
    handOver.reset();
    launcher.jvmGate.leave(); // the last touch: the launcher may be gone right after
    return 0;
}

// The arguments of one connection, or false when its peer is another user
// or does not send a whole frame in time.
bool readHandOver(const platform::UniqueFileHandle& connection, std::vector<std::string>& arguments) noexcept
{
    // Anyone who can reach the socket is let in by the folder's rights only;
    // root, or a socket in a folder shared after all, must not make this
    // user's program run another user's arguments.
    std::uint32_t peer = 0;
    if (!platform::peerUserId(connection, peer) || peer != platform::effectiveUserId()) {
        return false;
    }
    const std::uint64_t deadline = platform::monotonicMilliseconds() + answerMilliseconds;
    unsigned char header[instance::frameHeaderSize];
    std::size_t length = 0;
    if (!platform::receiveAll(connection, header, sizeof header, deadline) ||
        !instance::announcedLength(header, length)) {
        return false;
    }
    std::string payload(length, '\0');
    return platform::receiveAll(connection, payload.data(), length, deadline) &&
           instance::decodeHandOver(payload, arguments);
}

void receiveHandOver(JavaLauncher& launcher, const platform::UniqueFileHandle& connection) noexcept
{
    std::unique_ptr<HandOver> handOver(new (std::nothrow) HandOver{&launcher, 0, {}});
    if (!handOver || !readHandOver(connection, handOver->arguments)) {
        return;
    }
    // Answered before the forwarding thread exists: a start that has stopped
    // waiting (it ended with -1) makes the answer fail, and then nothing of
    // it may reach the program.
    const unsigned char taken = instance::handOverTaken;
    if (!platform::sendAll(connection, &taken, 1, platform::monotonicMilliseconds() + answerMilliseconds)) {
        return;
    }
    handOver->ticket = launcher.jvmGate.admit();
    if (!platform::startThread(forwardToSecondaryMain, handOver.get(), nullptr)) {
        launcher.jvmGate.withdraw();
        return;
    }
    (void)handOver.release(); // the thread's now
}

unsigned runInstanceListener(void* parameter) noexcept
{
    JavaLauncher& launcher = *static_cast<JavaLauncher*>(parameter);
    while (platform::waitForConnection(launcher.listenSocket, launcher.listenerWoken)) {
        platform::UniqueFileHandle connection;
        if (!platform::acceptLocal(launcher.listenSocket, connection)) {
            platform::sleepMilliseconds(acceptRetryMilliseconds);
            continue;
        }
        receiveHandOver(launcher, connection);
    }
    return 0;
}

// First instance, holding the lock. Any failure switches coordination off;
// the lock stays until the process ends, so later starts find no one to
// hand over to and end with -1, as they would on Windows.
void startListening(JavaLauncher& launcher) noexcept
{
    if (!platform::listenLocal(launcher.socketPath, launcher.listenSocket) ||
        !platform::makePipe(launcher.listenerWoken, launcher.listenerWake) ||
        !platform::startThread(runInstanceListener, &launcher, &launcher.listenerThread)) {
        launcher.listenSocket.reset();
        launcher.singleInstance = false;
        return;
    }
    launcher.listenerRunning = true;
}

// Further start: true once the first instance has answered that it took
// the frame.
bool handOver(const platform::UniqueFileHandle& connection, const std::string& frame) noexcept
{
    const std::uint64_t deadline = platform::monotonicMilliseconds() + answerMilliseconds;
    unsigned char answer = 0;
    return platform::sendAll(connection, frame.data(), frame.size(), deadline) &&
           platform::receiveAll(connection, &answer, 1, deadline) && answer == instance::handOverTaken;
}

} // namespace

bool setUpSingleInstance(JavaLauncher& launcher) noexcept
{
    std::string modulePath;
    const Coordination coordination = coordinationFor(modulePath);
    if (coordination != Coordination::requested) {
        return coordination == Coordination::notRequested;
    }
    launcher.singleInstance = true;
    std::string folder;
    if (!meetingFolder(folder)) {
        launcher.singleInstance = false;
        return true;
    }
    const std::string name = folder + "/" + instance::instanceSocketName(modulePath);
    launcher.socketPath = name + ".socket";
    if (!platform::openLockFile(name + ".lock", launcher.instanceLock)) {
        launcher.singleInstance = false;
        return true;
    }

    // Whoever holds the lock is the first instance; a start that finds it
    // taken hands over. The socket may not answer yet (its first instance is
    // still setting up, or already ending and about to let go of the lock),
    // so the start looks again for a while. A first instance closes the
    // connection without an answer only when it did not take the arguments,
    // so trying once more cannot deliver them twice.
    const std::uint64_t giveUp = platform::monotonicMilliseconds() + reachMilliseconds;
    std::string frame; // made once a first instance answers; never empty then
    do {
        if (platform::tryLockFile(launcher.instanceLock)) {
            launcher.isFirstInstance = true;
            startListening(launcher);
            return true;
        }
        platform::UniqueFileHandle connection;
        if (platform::connectLocal(launcher.socketPath, connection)) {
            if (frame.empty() && !instance::encodeHandOver(launcher.arguments, frame)) {
                return false; // more than any first instance takes
            }
            if (handOver(connection, frame)) {
                return true;
            }
        }
        platform::sleepMilliseconds(retryMilliseconds);
    } while (platform::monotonicMilliseconds() < giveUp);
    return false;
}

void stopSingleInstance(JavaLauncher& launcher) noexcept
{
    if (launcher.listenerRunning) {
        platform::writeWakeByte(launcher.listenerWake);
        platform::joinThread(launcher.listenerThread);
        launcher.listenerRunning = false;
    }
    // Pending further starts see their connection closed without an answer
    // and look again; the name goes before the lock, so that the next holder
    // of the lock finds no socket of ours.
    launcher.listenSocket.reset();
    if (launcher.isFirstInstance) {
        platform::removeFile(launcher.socketPath);
    }
    launcher.listenerWake.reset();
    launcher.listenerWoken.reset();
    launcher.instanceLock.reset();
}
