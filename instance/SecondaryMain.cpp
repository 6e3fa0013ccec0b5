#include "instance/SecondaryMain.h"

#include "jvm/JavaStrings.h"
#include "launcher/JavaLauncher.h"

namespace {

void callSecondaryMain(const JavaLauncher& launcher, JavaVM* vm, JvmGateTurn& turn,
                       const std::vector<std::string>& texts) noexcept
{
    JNIEnv* env = nullptr;
    if (vm->AttachCurrentThread(reinterpret_cast<void**>(&env), nullptr) != JNI_OK) {
        return;
    }
    jclass mainClass = findClassNamed(env, launcher.mainClass);
    const jmethodID secondaryMain =
        mainClass == nullptr ? nullptr : env->GetStaticMethodID(mainClass, "secondaryMain", "([Ljava/lang/String;)V");
    jobjectArray arguments = secondaryMain == nullptr ? nullptr : newJavaStringArray(env, texts);
    // The next hand-over may start as soon as this one is under way: calls
    // begin in arrival order and then run side by side.
    turn.pass();
    if (arguments != nullptr) {
        env->CallStaticVoidMethod(mainClass, secondaryMain, arguments);
    }
    if (env->ExceptionOccurred() != nullptr) {
        env->ExceptionDescribe();
    }
    vm->DetachCurrentThread();
}

} // namespace

void deliverToSecondaryMain(JavaLauncher& launcher, std::uint64_t ticket,
                            const std::vector<std::string>& arguments) noexcept
{
    JvmGate& gate = launcher.jvmGate;
    if (JavaVM* vm = gate.awaitTurn(ticket)) {
        JvmGateTurn turn(gate);
        callSecondaryMain(launcher, vm, turn, arguments);
    }
}
