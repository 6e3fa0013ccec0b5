#include "instance/SingleInstance.h"

#include "instance/InstanceBlock.h"
#include "instance/SecondaryMain.h"
#include "launcher/JavaLauncher.h"
#include "platform/System.h"

#include <cstring>
#include <memory>
#include <new>

// Between processes the block and the registered message are all there is,
// exactly as any instance of this executable expects them. Two named objects
// beside them keep concurrent further starts from replacing one another's
// arguments: a mutex that gives one start at a time the argument area, and
// an event by which the first instance says it has copied the area. A peer
// that knows neither still meets ours through the block alone.
//
// Inside a first instance: the listener thread copies each hand-over as it
// arrives and gives the copy to a forwarding thread of its own, which waits
// at the launcher's gate until the Java program runs (hand-overs are held,
// in arrival order, while the JVM is being created) or is gone (they are
// dropped).

namespace {

constexpr const char* turnSuffix = "~turn";
constexpr const char* copiedSuffix = "~copied";
// A start holds the turn for no more than a few steps of its own; waiting
// longer means its holder is stuck, and the start goes on without it.
constexpr std::uint32_t turnWaitMilliseconds = 5000;
// Past this the post still stands: the listener will copy when it can.
constexpr std::uint32_t copyWaitMilliseconds = 5000;
constexpr std::uint32_t listenerStopPollMilliseconds = 50;

unsigned char* blockOf(const JavaLauncher& launcher) noexcept
{
    return static_cast<unsigned char*>(launcher.instanceBlock.get());
}

// One hand-over on its way to secondaryMain; owned by its forwarding thread.
struct HandOver {
    JavaLauncher* launcher;
    std::uint64_t ticket; // its place at the gate
    unsigned char area[instance::argumentAreaSize];
};

// What the listener needs before it may be relied upon; lives on the
// starter's stack until `ready` is signalled.
struct ListenerStart {
    JavaLauncher* launcher;
    const platform::UniqueHandle* ready;
};

// The hand-over turn, when the mutex exists and can be had in time; empty
// otherwise, and the caller goes on unserialised.
platform::UniqueMutexHold takeTurn(const JavaLauncher& launcher) noexcept
{
    platform::UniqueMutexHold held;
    if (launcher.handOverMutex) {
        (void)platform::takeMutex(launcher.handOverMutex, turnWaitMilliseconds, held);
    }
    return held;
}

unsigned forwardToSecondaryMain(void* parameter) noexcept
{
    std::unique_ptr<HandOver> handOver(static_cast<HandOver*>(parameter));
    JavaLauncher& launcher = *handOver->launcher;
    deliverToSecondaryMain(launcher, handOver->ticket, readForwardedArguments(handOver->area));
    handOver.reset();
    launcher.jvmGate.leave(); // the last touch: the launcher may be gone right after
    return 0;
}

void receiveHandOver(JavaLauncher& launcher) noexcept
{
    // Copied at once, so that the next further start may write the area
    // while this one waits for the program.
    std::unique_ptr<HandOver> handOver(new (std::nothrow) HandOver);
    if (handOver) {
        std::memcpy(handOver->area, blockOf(launcher) + instance::argumentAreaOffset, instance::argumentAreaSize);
    }
    if (launcher.handOverCopied) {
        platform::signalEvent(launcher.handOverCopied);
    }
    if (!handOver) {
        return;
    }
    handOver->launcher = &launcher;
    handOver->ticket = launcher.jvmGate.admit();
    platform::UniqueHandle thread; // not kept: nobody waits for it but the gate
    std::uint32_t threadId = 0;
    if (!platform::startThread(forwardToSecondaryMain, handOver.get(), true, thread, threadId)) {
        launcher.jvmGate.withdraw();
        return;
    }
    (void)handOver.release(); // the thread's now
    platform::resumeThread(thread);
}

unsigned runInstanceListener(void* parameter) noexcept
{
    const ListenerStart* start = static_cast<const ListenerStart*>(parameter);
    JavaLauncher& launcher = *start->launcher;
    platform::createMessageQueue();
    platform::signalEvent(*start->ready); // `start` is gone from here on
    std::uint32_t message = 0;
    while (platform::nextThreadMessage(message)) {
        if (message == instance::loadField(blockOf(launcher), instance::messageIdOffset)) {
            receiveHandOver(launcher);
        }
    }
    return 0;
}

// First instance. Any failure switches coordination off; what was made so
// far stays until the process ends, so later starts still find the block.
void startListening(JavaLauncher& launcher, const std::string& name) noexcept
{
    unsigned char* block = blockOf(launcher);
    const std::uint32_t message = platform::registerMessage(name);
    if (message == 0) {
        launcher.singleInstance = false;
        return;
    }
    instance::storeField(block, instance::messageIdOffset, message);
    // Without it, further starts do not wait for their copy to be taken.
    (void)platform::createEvent((name + copiedSuffix).c_str(), launcher.handOverCopied);

    platform::UniqueHandle ready;
    std::uint32_t listenerId = 0;
    ListenerStart start{&launcher, &ready};
    if (!platform::createEvent(nullptr, ready) ||
        !platform::startThread(runInstanceListener, &start, false, launcher.listenerThread, listenerId)) {
        launcher.singleInstance = false;
        return;
    }
    instance::storeField(block, instance::threadIdOffset, listenerId);
    // Only once the listener's queue exists can a post to it succeed. The
    // wait has no limit because nothing but making that queue lies between
    // the thread's start and its signal.
    // The event resets itself as the wait takes it: only the wait's own
    // answer says which of the two it was.
    if (!platform::waitForEither(ready.get(), launcher.listenerThread.get())) {
        launcher.listenerThread.reset(); // ended before it was ready
        launcher.singleInstance = false;
    }
}

// Further start, holding the turn when it could be had.
bool handOver(JavaLauncher& launcher, const std::string& name) noexcept
{
    unsigned char* block = blockOf(launcher);
    // Only a first instance of ours makes the event, and waiting for it only
    // means something while this start holds the turn.
    platform::UniqueHandle copied;
    if (launcher.handOverHold && platform::openNamedEvent(name + copiedSuffix, copied)) {
        platform::clearEvent(copied); // a copy meant for a start that stopped waiting
    }
    if (!writeForwardedArguments(launcher.arguments, block + instance::argumentAreaOffset)) {
        return false;
    }
    const std::uint32_t listener = instance::loadField(block, instance::threadIdOffset);
    // Otherwise Windows refuses to let secondaryMain bring its window to the
    // front: only a process that may take the foreground can pass that on.
    platform::allowForegroundForThreadOwner(listener);
    if (!platform::postThreadMessage(listener, instance::loadField(block, instance::messageIdOffset))) {
        return false;
    }
    if (copied) {
        (void)platform::waitForObject(copied.get(), copyWaitMilliseconds);
    }
    return true;
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
    const std::string name = makeInstanceName(modulePath);

    // Taken before the block can exist and held until this start is done
    // with it: a further start meanwhile waits, rather than finding a block
    // whose listener is not there yet.
    (void)platform::createNamedMutex(name + turnSuffix, launcher.handOverMutex);
    platform::UniqueMutexHold turn = takeTurn(launcher);

    bool existed = false;
    if (!platform::createSharedMemory(name, instance::blockSize, launcher.mappingHandle, existed)) {
        launcher.singleInstance = false;
        return true;
    }
    launcher.isFirstInstance = !existed;
    if (!platform::mapSharedMemory(launcher.mappingHandle, launcher.instanceBlock)) {
        launcher.singleInstance = false;
        return true;
    }
    if (launcher.isFirstInstance) {
        startListening(launcher, name);
        return true; // the turn goes: further starts may hand over now
    }
    // Kept until this start's view of the block is gone, so that a start
    // after it never finds a block that only a leaving start still holds.
    launcher.handOverHold = std::move(turn);
    return handOver(launcher, name);
}

void stopSingleInstance(JavaLauncher& launcher) noexcept
{
    if (!launcher.singleInstance) {
        return;
    }
    if (launcher.isFirstInstance && launcher.listenerThread) {
        // Held until the block is gone: a start from here on waits and then
        // creates the block afresh, as the first instance of its own, instead
        // of handing over to a listener that is ending.
        launcher.handOverHold = takeTurn(launcher);
        // The listener's own identifier, not the one in the block, which any
        // process may overwrite: a wrong one there must not keep us here.
        const std::uint32_t listener = platform::threadIdOf(launcher.listenerThread);
        do {
            (void)platform::postQuit(listener); // may be refused, e.g. by a full queue: try again
            (void)platform::waitForThread(launcher.listenerThread, listenerStopPollMilliseconds);
        } while (platform::threadStillActive(launcher.listenerThread));
        launcher.listenerThread.reset();
    }
    launcher.instanceBlock.reset();
    launcher.mappingHandle.reset();
    launcher.handOverCopied.reset();
    launcher.handOverHold.reset();
}
