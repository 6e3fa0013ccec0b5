#include "jvm/ProgramVisit.h"

ProgramVisit::ProgramVisit(JvmGate& gate, std::uint64_t ticket) noexcept : gate_(gate)
{
    vm_ = gate_.awaitTurn(ticket);
    if (vm_ == nullptr) {
        return;
    }
    turnHeld_ = true;
    JNIEnv* env = nullptr;
    if (vm_->AttachCurrentThread(reinterpret_cast<void**>(&env), nullptr) != JNI_OK || env == nullptr) {
        return;
    }
    env_ = env;
    if (shutdownHooksRunning(env_)) {
        gate_.markEnding();
        vm_->DetachCurrentThread();
        env_ = nullptr;
    }
}

ProgramVisit::~ProgramVisit()
{
    passTurn();
    if (vm_ == nullptr) {
        return;
    }
    if (env_ != nullptr) {
        // An attached native thread must detach before it ends, whatever
        // happened.
        vm_->DetachCurrentThread();
    }
    gate_.leftJava();
}

void ProgramVisit::passTurn() noexcept
{
    if (turnHeld_) {
        turnHeld_ = false;
        gate_.passTurn();
    }
}

namespace {

// Whether a step left an exception pending; cleared either way, so that
// the next JNI call finds none.
bool failed(JNIEnv* env) noexcept
{
    if (env->ExceptionCheck() == JNI_FALSE) {
        return false;
    }
    env->ExceptionClear();
    return true;
}

} // namespace

bool shutdownHooksRunning(JNIEnv* env) noexcept
{
    jclass runtimeClass = env->FindClass("java/lang/Runtime");
    if (failed(env) || runtimeClass == nullptr) {
        return false;
    }
    const jmethodID getRuntime = env->GetStaticMethodID(runtimeClass, "getRuntime", "()Ljava/lang/Runtime;");
    if (failed(env) || getRuntime == nullptr) {
        return false;
    }
    const jmethodID remove = env->GetMethodID(runtimeClass, "removeShutdownHook", "(Ljava/lang/Thread;)Z");
    if (failed(env) || remove == nullptr) {
        return false;
    }
    jobject runtime = env->CallStaticObjectMethod(runtimeClass, getRuntime);
    if (failed(env) || runtime == nullptr) {
        return false;
    }
    // Taking back no hook at all is refused: with IllegalStateException
    // once the hooks have begun, with NullPointerException before.
    (void)env->CallBooleanMethod(runtime, remove, nullptr);
    jthrowable refused = env->ExceptionOccurred();
    env->ExceptionClear();
    jclass illegalState = env->FindClass("java/lang/IllegalStateException");
    if (failed(env) || illegalState == nullptr) {
        return false;
    }
    return refused != nullptr && env->IsInstanceOf(refused, illegalState) == JNI_TRUE;
}
