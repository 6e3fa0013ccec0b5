#include "instance/SecondaryMain.h"

#include "jvm/JavaStrings.h"
#include "jvm/ProgramVisit.h"
#include "launcher/JavaLauncher.h"

void forwardHandOver(JavaLauncher& launcher, std::uint64_t ticket, const std::vector<std::string>& arguments,
                     HandOverReply& reply) noexcept
{
    ProgramVisit visit(launcher.jvmGate, ticket);
    JNIEnv* env = visit.env();
    if (env == nullptr) {
        reply.refuse();
        return;
    }
    if (!reply.take()) {
        return;
    }
    jclass mainClass = findClassNamed(env, launcher.mainClass);
    const jmethodID secondaryMain =
        mainClass == nullptr ? nullptr : env->GetStaticMethodID(mainClass, "secondaryMain", "([Ljava/lang/String;)V");
    jobjectArray texts = secondaryMain == nullptr ? nullptr : newJavaStringArray(env, arguments);
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
