#include "instance/SingleInstance.h"

#include "instance/InstanceBlock.h"
#include "instance/SecondaryMain.h"
#include "launcher/Errors.h"
#include "launcher/JavaLauncher.h"
#include "launcher/Trace.h"
#include "platform/NamedSync.h"
#include "platform/SharedMemory.h"
#include "platform/Thread.h"
#include "platform/ThreadMessages.h"
#include "resources/StringIds.h"
#include "resources/StringTable.h"

#include <cstring>
#include <memory>
#include <new>

// Between processes the block and the registered message are all there is,
// exactly as any instance of this executable expects them. Named objects
// beside them keep concurrent further starts from replacing one another's
// arguments (a mutex that gives one start at a time the argument area, and
// an event by which the first instance says it has copied the area), and
// carry the answer (see InstanceBlock.h). A peer that knows none of them
// still meets ours through the block alone.
//
// Inside a first instance: the listener thread copies each hand-over as it
// arrives and gives the copy to a forwarding thread of its own, which waits
// at the launcher's gate until the Java program runs (hand-overs are held,
// in arrival order, while the JVM is being created) and answers then.

// What a launch keeps of its coordination while it runs.
struct InstanceState {
    // One start at a time hands over: the named mutex, and this process's
    // hold on it, released before the mutex's handle closes and after
    // everything below it (members go in reverse order), so that a start
    // after this one never finds a block that only a leaving start holds.
    platform::UniqueHandle turnMutex;
    platform::UniqueMutexHold turnHold;
    platform::UniqueMappedView block; // this process's view of the shared block
    platform::UniqueHandle mapping;
    platform::UniqueHandle listenerThread; // first instance
    // The event by which a first instance says it has copied a hand-over,
    // and the answer to the further start that holds the turn (first
    // instance's; see instance/InstanceBlock.h).
    platform::UniqueHandle copied;
    platform::UniqueHandle answered;
    platform::UniqueHandle answerMapping;
    platform::UniqueMappedView answerWord;
};

void InstanceStateRelease::operator()(InstanceState* state) const noexcept { delete state; }

namespace {

constexpr const char* turnSuffix = "~turn";
constexpr const char* copiedSuffix = "~copied";
constexpr const char* answerSuffix = "~answer";
constexpr const char* answeredSuffix = "~answered";
// How long a further start waits for its arguments to be copied: a first
// instance that does not copy them by then hangs.
constexpr std::uint32_t copyWaitMilliseconds = 5000;
// How long a copied hand-over may wait for the program to start.
constexpr std::uint32_t heldMilliseconds = 30000;
// A start holds the turn until it has its answer: waiting longer than that
// can take means its holder is stuck, and the start goes on without it.
constexpr std::uint32_t turnWaitMilliseconds = copyWaitMilliseconds + heldMilliseconds;
// How long a further start waits for a first instance whose program is
// shutting down to end, so that it can take its place.
constexpr std::uint32_t endingMilliseconds = 10000;
constexpr std::uint32_t endingRetryMilliseconds = 50;
constexpr std::uint32_t listenerStopPollMilliseconds = 50;

unsigned char* blockOf(const InstanceState& state) noexcept
{
    return static_cast<unsigned char*>(state.block.get());
}

// A hand-over copied from the block, answered through the answer word
// when its start asked for one.
class BlockHandOver final : public HandOver {
public:
    explicit BlockHandOver(JavaLauncher& launcher) noexcept : HandOver(launcher) {}

    std::vector<std::string> arguments() const override { return readForwardedArguments(area); }
    bool take() noexcept override { return settle(instance::Verdict::taken); }
    void refuse() noexcept override { (void)settle(instance::Verdict::refused); }

    unsigned char area[instance::argumentAreaSize];
    bool answered = false; // its start waits for the answer in the word

private:
    // False when the further start has withdrawn first.
    bool settle(instance::Verdict verdict) const noexcept
    {
        if (!answered) {
            return true; // it waits for no answer: hand on, as always
        }
        const InstanceState& state = *launcher().instanceState;
        const bool settled =
            instance::exchangeVerdict(state.answerWord.get(), instance::Verdict::seen, verdict) == instance::Verdict::seen;
        platform::signalEvent(state.answered);
        return settled;
    }
};

// What the listener needs before it may be relied upon; lives on the
// starter's stack until `ready` is signalled.
struct ListenerStart {
    JavaLauncher* launcher;
    const platform::UniqueHandle* ready;
};

// The hand-over turn, when the mutex exists and can be had in time; empty
// otherwise, and the caller goes on unserialised.
platform::UniqueMutexHold takeTurn(const InstanceState& state) noexcept
{
    platform::UniqueMutexHold held;
    if (state.turnMutex) {
        (void)platform::takeMutex(state.turnMutex, turnWaitMilliseconds, held);
    }
    return held;
}

void receiveHandOver(JavaLauncher& launcher) noexcept
{
    InstanceState& state = *launcher.instanceState;
    // Copied at once, so that the next further start may write the area
    // while this one waits for the program.
    std::unique_ptr<BlockHandOver> handOver(new (std::nothrow) BlockHandOver(launcher));
    if (handOver) {
        std::memcpy(handOver->area, blockOf(state) + instance::argumentAreaOffset, instance::argumentAreaSize);
        handOver->answered =
            state.answerWord && instance::exchangeVerdict(state.answerWord.get(), instance::Verdict::asking,
                                                          instance::Verdict::seen) == instance::Verdict::asking;
    }
    if (state.copied) {
        platform::signalEvent(state.copied);
    }
    if (!handOver) {
        return;
    }
    trace("hand-over received from a further start");
    startForwarding(std::move(handOver));
}

unsigned runInstanceListener(void* parameter) noexcept
{
    const ListenerStart* start = static_cast<const ListenerStart*>(parameter);
    JavaLauncher& launcher = *start->launcher;
    platform::createMessageQueue();
    platform::signalEvent(*start->ready); // `start` is gone from here on
    std::uint32_t message = 0;
    while (platform::nextThreadMessage(message)) {
        if (message == instance::loadField(blockOf(*launcher.instanceState), instance::messageIdOffset)) {
            receiveHandOver(launcher);
        }
    }
    return 0;
}

// First instance. Any failure switches coordination off; what was made so
// far stays until the process ends, so later starts still find the block.
void startListening(JavaLauncher& launcher, const std::string& name) noexcept
{
    InstanceState& state = *launcher.instanceState;
    unsigned char* block = blockOf(state);
    const std::uint32_t message = platform::registerMessage(name);
    if (message == 0) {
        launcher.singleInstance = false;
        return;
    }
    instance::storeField(block, instance::messageIdOffset, message);
    // Without the first, further starts do not wait for their copy to be
    // taken; without the others, they get no answer.
    bool existed = false;
    if (!platform::createEvent((name + copiedSuffix).c_str(), state.copied) ||
        !platform::createEvent((name + answeredSuffix).c_str(), state.answered) ||
        !platform::createSharedMemory(name + answerSuffix, instance::verdictSize, state.answerMapping, existed) ||
        !platform::mapSharedMemory(state.answerMapping, state.answerWord)) {
        state.answerMapping.reset();
    }

    platform::UniqueHandle ready;
    std::uint32_t listenerId = 0;
    ListenerStart start{&launcher, &ready};
    if (!platform::createEvent(nullptr, ready) ||
        !platform::startThread(runInstanceListener, &start, false, state.listenerThread, listenerId)) {
        launcher.singleInstance = false;
        return;
    }
    instance::storeField(block, instance::threadIdOffset, listenerId);
    // Only once the listener's queue exists can a post to it succeed. The
    // wait has no limit because nothing but making that queue lies between
    // the thread's start and its signal.
    // The event resets itself as the wait takes it: only the wait's own
    // answer says which of the two it was.
    if (!platform::waitForEither(ready.get(), state.listenerThread.get())) {
        state.listenerThread.reset(); // ended before it was ready
        launcher.singleInstance = false;
    }
}

enum class Answer { taken, refused, withdrawn, notHandedOver };

// The first instance's answer objects, as a further start holding the turn
// finds them; empty for a peer that makes none.
struct AnswerSlot {
    platform::UniqueHandle mapping;
    platform::UniqueMappedView word;
    platform::UniqueHandle answered;

    explicit operator bool() const noexcept { return static_cast<bool>(answered); }
    void open(const std::string& name) noexcept
    {
        if (!platform::openSharedMemory(name + answerSuffix, mapping) || !platform::mapSharedMemory(mapping, word) ||
            !platform::openNamedEvent(name + answeredSuffix, answered)) {
            answered.reset();
            return;
        }
        platform::clearEvent(answered);
        instance::storeVerdict(word.get(), instance::Verdict::asking);
    }
    // The start stops waiting: the answer given before (taken or refused),
    // or withdrawn. The word is idle again afterwards, for the next start.
    instance::Verdict withdraw() const noexcept
    {
        instance::Verdict now = instance::loadVerdict(word.get());
        while (now == instance::Verdict::asking || now == instance::Verdict::seen) {
            if (instance::exchangeVerdict(word.get(), now, instance::Verdict::withdrawn) == now) {
                now = instance::Verdict::withdrawn;
                break;
            }
            now = instance::loadVerdict(word.get());
        }
        instance::storeVerdict(word.get(), instance::Verdict::idle);
        return now;
    }
};

// Further start, holding the turn when it could be had. Lets go of the
// block once the arguments are copied, but not of the turn: the answer
// word is this start's until it has its answer.
Answer handOver(JavaLauncher& launcher, const std::string& name) noexcept
{
    InstanceState& state = *launcher.instanceState;
    unsigned char* block = blockOf(state);
    // Only a first instance of ours makes the events, and waiting for them
    // only means something while this start holds the turn.
    platform::UniqueHandle copied;
    AnswerSlot answer;
    if (state.turnHold && platform::openNamedEvent(name + copiedSuffix, copied)) {
        platform::clearEvent(copied); // a copy meant for a start that stopped waiting
        answer.open(name);
    }
    const std::uint32_t listener = instance::loadField(block, instance::threadIdOffset);
    // Otherwise Windows refuses to let secondaryMain bring its window to the
    // front: only a process that may take the foreground can pass that on,
    // and only to a first instance of this very executable.
    trace("foreground rights for the running instance: %s",
          platform::allowForegroundForOwnInstance(listener) ? "granted" : "refused, not this executable");
    platform::UniqueHandle listenerThread;
    (void)platform::openThreadToWaitFor(listener, listenerThread);
    if (!writeForwardedArguments(launcher.arguments, block + instance::argumentAreaOffset) ||
        !platform::postThreadMessage(listener, instance::loadField(block, instance::messageIdOffset))) {
        if (answer) {
            (void)answer.withdraw();
        }
        return Answer::notHandedOver;
    }
    const bool wasCopied = copied && platform::waitForObject(copied.get(), copyWaitMilliseconds);
    // The block goes first: a start after this one must never find a block
    // that only a leaving start still holds.
    state.block.reset();
    state.mapping.reset();
    if (!answer) {
        return Answer::taken; // the post stands: the listener copies when it can
    }
    if (wasCopied && instance::loadVerdict(answer.word.get()) == instance::Verdict::asking) {
        (void)answer.withdraw();
        return Answer::taken; // copied, never seen: a first instance that answers no one hands on, as always
    }
    // Not even copied in time: a first instance that hangs, which takes
    // nothing once this start has withdrawn.
    const platform::WaitOutcome outcome =
        wasCopied ? platform::waitForEitherWithin(answer.answered.get(), listenerThread.get(), heldMilliseconds)
                  : platform::WaitOutcome::timedOut;
    switch (answer.withdraw()) {
    case instance::Verdict::taken:
        return Answer::taken;
    case instance::Verdict::refused:
        return Answer::refused;
    default:
        // No answer in time. A first instance that ended without one took
        // nothing: this start takes its place, as after a refusal.
        return outcome == platform::WaitOutcome::second ? Answer::refused : Answer::withdrawn;
    }
}

} // namespace

InstanceState* newInstanceState() noexcept { return new (std::nothrow) InstanceState; }

bool meetOtherInstances(JavaLauncher& launcher, InstanceState& state, const std::string& modulePath) noexcept
{
    const std::string name = makeInstanceName(modulePath);
    (void)platform::createNamedMutex(name + turnSuffix, state.turnMutex);

    // A start whose hand-over the running program refused (it is shutting
    // down) looks again until that instance has ended, and then takes its
    // place.
    std::uint64_t giveUp = 0;
    for (;;) {
        // Taken before the block can exist and held until this start is done
        // with it: a further start meanwhile waits, rather than finding a
        // block whose listener is not there yet.
        state.turnHold = takeTurn(state);
        bool existed = false;
        if (!platform::createSharedMemory(name, instance::blockSize, state.mapping, existed)) {
            launcher.singleInstance = false;
            return true;
        }
        launcher.isFirstInstance = !existed;
        if (!platform::mapSharedMemory(state.mapping, state.block)) {
            launcher.singleInstance = false;
            return true;
        }
        if (launcher.isFirstInstance) {
            startListening(launcher, name);
            state.turnHold.reset(); // further starts may hand over now
            return true;
        }
        const Answer answer = handOver(launcher, name);
        // Kept until this start's view of the block and its answer are gone.
        state.block.reset();
        state.mapping.reset();
        state.turnHold.reset();
        if (answer != Answer::refused) {
            return answer == Answer::taken;
        }
        const std::uint64_t now = platform::monotonicMilliseconds();
        if (giveUp == 0) {
            trace("the running instance is shutting down: waiting for it to end");
            giveUp = now + endingMilliseconds;
        } else if (now >= giveUp) {
            printError(resources::loadString(resources::IDS_INSTANCE_STILL_ENDING));
            return false;
        }
        platform::sleepMilliseconds(endingRetryMilliseconds);
    }
}

void stopSingleInstance(JavaLauncher& launcher) noexcept
{
    if (!launcher.singleInstance || !launcher.instanceState) {
        return;
    }
    InstanceState& state = *launcher.instanceState;
    if (launcher.isFirstInstance && state.listenerThread) {
        // Held until the block is gone: a start from here on waits and then
        // creates the block afresh, as the first instance of its own, instead
        // of handing over to a listener that is ending.
        state.turnHold = takeTurn(state);
        // The listener's own identifier, not the one in the block, which any
        // process may overwrite: a wrong one there must not keep us here.
        const std::uint32_t listener = platform::threadIdOf(state.listenerThread);
        do {
            (void)platform::postQuit(listener); // may be refused, e.g. by a full queue: try again
            (void)platform::waitForThread(state.listenerThread, listenerStopPollMilliseconds);
        } while (platform::threadStillActive(state.listenerThread));
        state.listenerThread.reset();
    }
    launcher.instanceState.reset();
}
