#include "instance/SecondaryMain.h"

#include "jvm/JavaStrings.h"
#include "jvm/ProgramVisit.h"
#include "launcher/JavaLauncher.h"

namespace {

void deliver(HandOver& handOver) noexcept
{
    JavaLauncher& launcher = handOver.launcher();
    ProgramVisit visit(launcher.jvmGate, handOver.ticket);
    JNIEnv* env = visit.env();
    if (env == nullptr) {
        handOver.refuse();
        return;
    }
    if (!handOver.take()) {
        return;
    }
    jclass mainClass = findClassNamed(env, launcher.mainClass);
    const jmethodID secondaryMain =
        mainClass == nullptr ? nullptr : env->GetStaticMethodID(mainClass, "secondaryMain", "([Ljava/lang/String;)V");
    jobjectArray texts = secondaryMain == nullptr ? nullptr : newJavaStringArray(env, handOver.arguments());
    // The next hand-over may start as soon as this one is under way: calls
    // begin in arrival order and then run side by side.
    visit.passTurn();
    if (texts != nullptr) {
        env->CallStaticVoidMethod(mainClass, secondaryMain, texts);
    }
    if (env->ExceptionOccurred() != nullptr) {
        env->ExceptionDescribe();
    }
}

unsigned runForwarding(void* parameter) noexcept
{
    std::unique_ptr<HandOver> handOver(static_cast<HandOver*>(static_cast<GateUser*>(parameter)));
    JvmGate& gate = handOver->launcher().jvmGate;
    deliver(*handOver);
    handOver.reset();
    gate.leave(); // the last touch: the launcher may be gone right after
    return 0;
}

} // namespace

void startForwarding(std::unique_ptr<HandOver> handOver) noexcept
{
    if (!handOver->launcher().jvmGate.startUser(runForwarding, handOver.get())) {
        handOver->refuse();
        return;
    }
    (void)handOver.release(); // the thread's now
}
