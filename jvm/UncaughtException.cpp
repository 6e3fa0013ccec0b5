#include "jvm/UncaughtException.h"

#include "launcher/JavaLauncher.h"

namespace {

void describeIfPending(JNIEnv* env) noexcept
{
    if (env->ExceptionOccurred() != nullptr) {
        env->ExceptionDescribe();
    }
}

// A PrintStream over a new ByteArrayOutputStream; null when either cannot be
// made, with the exception left pending.
jobject newMemoryPrintStream(JNIEnv* env, jobject& memory) noexcept
{
    jclass memoryClass = env->FindClass("java/io/ByteArrayOutputStream");
    if (memoryClass == nullptr) {
        return nullptr;
    }
    const jmethodID memoryInit = env->GetMethodID(memoryClass, "<init>", "()V");
    if (memoryInit == nullptr) {
        return nullptr;
    }
    jobject stream = env->NewObject(memoryClass, memoryInit);
    if (stream == nullptr) {
        return nullptr;
    }
    jclass printStreamClass = env->FindClass("java/io/PrintStream");
    if (printStreamClass == nullptr) {
        return nullptr;
    }
    const jmethodID printStreamInit = env->GetMethodID(printStreamClass, "<init>", "(Ljava/io/OutputStream;)V");
    if (printStreamInit == nullptr) {
        return nullptr;
    }
    jobject printStream = env->NewObject(printStreamClass, printStreamInit, stream);
    if (printStream != nullptr) {
        memory = stream;
    }
    return printStream;
}

std::string captured(JNIEnv* env, jthrowable thrown) noexcept
{
    jobject memory = nullptr;
    jobject printStream = newMemoryPrintStream(env, memory);
    if (printStream == nullptr) {
        return {};
    }

    jclass thrownClass = env->GetObjectClass(thrown);
    if (thrownClass == nullptr) {
        return {};
    }
    const jmethodID printStackTrace = env->GetMethodID(thrownClass, "printStackTrace", "(Ljava/io/PrintStream;)V");
    if (printStackTrace == nullptr) {
        return {};
    }
    env->CallVoidMethod(thrown, printStackTrace, printStream);
    // Whatever was written before it failed is still worth having.
    describeIfPending(env);

    jclass memoryClass = env->GetObjectClass(memory);
    if (memoryClass == nullptr) {
        return {};
    }
    const jmethodID toString = env->GetMethodID(memoryClass, "toString", "()Ljava/lang/String;");
    if (toString == nullptr) {
        return {};
    }
    jstring text = static_cast<jstring>(env->CallObjectMethod(memory, toString));
    describeIfPending(env);
    if (text == nullptr) {
        return {};
    }
    const char* utf = env->GetStringUTFChars(text, nullptr);
    if (utf == nullptr) {
        return {};
    }
    std::string copy = utf; // modified UTF-8 as it is: it never holds a zero byte
    env->ReleaseStringUTFChars(text, utf);
    return copy;
}

} // namespace

void handleUncaughtException(JavaLauncher& launcher, jthrowable thrown) noexcept
{
    launcher.mainEnv->ExceptionDescribe();
    if (!launcher.failureCheck) {
        return;
    }
    if (decideOnFailure(launcher, thrown) == FailureStop) {
        exitJava(launcher);
    }
}

int decideOnFailure(JavaLauncher& launcher, jthrowable thrown) noexcept
{
    // The trace is captured as a dialog would need it, but nobody is asked:
    // the program goes on.
    static_cast<void>(captureStackTrace(launcher.mainEnv, thrown));
    return FailureContinue;
}

std::string captureStackTrace(JNIEnv* env, jthrowable thrown) noexcept
{
    std::string text = captured(env, thrown);
    // A step that failed with an exception leaves it to be described, so the
    // decision and the detach that follow find nothing pending.
    describeIfPending(env);
    return text;
}

void exitJava(JavaLauncher& launcher) noexcept
{
    JNIEnv* env = launcher.mainEnv;
    jclass systemClass = env->FindClass("java/lang/System");
    if (systemClass == nullptr) {
        describeIfPending(env);
        return;
    }
    const jmethodID exit = env->GetStaticMethodID(systemClass, "exit", "(I)V");
    if (exit == nullptr) {
        describeIfPending(env);
        return;
    }
    env->CallStaticVoidMethod(systemClass, exit, static_cast<jint>(-1));
    // Back only when a security manager refused: go on as for continue.
    describeIfPending(env);
}
