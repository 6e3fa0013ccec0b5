#include "jvm/Redirection.h"

#include "jvm/JavaStrings.h"
#include "launcher/JavaLauncher.h"

namespace {

// A failed step leaves a Java exception pending (a missing folder, a class
// that cannot load). Described and cleared here, the launch goes on without
// this redirection and no later JNI call runs with an exception pending.
bool failed(JNIEnv* env) noexcept
{
    if (env->ExceptionOccurred() != nullptr) {
        env->ExceptionDescribe();
    }
    return false;
}

bool redirect(JNIEnv* env, const std::string& fileName, const char* setter) noexcept
{
    jstring name = newJavaString(env, fileName);
    if (name == nullptr) {
        return failed(env);
    }
    jclass fileStreamClass = env->FindClass("java/io/FileOutputStream");
    if (fileStreamClass == nullptr) {
        return failed(env);
    }
    const jmethodID fileStreamInit = env->GetMethodID(fileStreamClass, "<init>", "(Ljava/lang/String;)V");
    if (fileStreamInit == nullptr) {
        return failed(env);
    }
    jobject fileStream = env->NewObject(fileStreamClass, fileStreamInit, name);
    if (fileStream == nullptr) {
        return failed(env);
    }
    jclass printStreamClass = env->FindClass("java/io/PrintStream");
    if (printStreamClass == nullptr) {
        return failed(env);
    }
    const jmethodID printStreamInit = env->GetMethodID(printStreamClass, "<init>", "(Ljava/io/OutputStream;)V");
    if (printStreamInit == nullptr) {
        return failed(env);
    }
    jobject printStream = env->NewObject(printStreamClass, printStreamInit, fileStream);
    if (printStream == nullptr) {
        return failed(env);
    }
    jclass systemClass = env->FindClass("java/lang/System");
    if (systemClass == nullptr) {
        return failed(env);
    }
    const jmethodID install = env->GetStaticMethodID(systemClass, setter, "(Ljava/io/PrintStream;)V");
    if (install == nullptr) {
        return failed(env);
    }
    env->CallStaticVoidMethod(systemClass, install, printStream);
    if (env->ExceptionOccurred() != nullptr) {
        env->ExceptionDescribe();
        return false;
    }
    // The local references stay: they belong to the Java thread's frame.
    return true;
}

} // namespace

bool redirectStandardOutput(JavaLauncher& launcher) noexcept
{
    return redirect(launcher.mainEnv, launcher.outputFile, "setOut");
}

bool redirectStandardError(JavaLauncher& launcher) noexcept
{
    return redirect(launcher.mainEnv, launcher.errorFile, "setErr");
}
