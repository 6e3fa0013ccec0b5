#include "jvm/JavaThread.h"

#include "jvm/JavaStrings.h"
#include "jvm/JvmLoader.h"
#include "jvm/UncaughtException.h"
#include "launcher/Errors.h"
#include "launcher/JavaLauncher.h"
#include "platform/Thread.h"
#include "resources/StringIds.h"
#include "resources/StringTable.h"
#include "text/AnsiText.h"

namespace {

unsigned threadEntry(void* launcher) { return javaThreadMain(static_cast<JavaLauncher*>(launcher)); }

// The thread creates the JVM before the JVM has looked at -Xss: on a stack
// of a few kilobytes (-Xss1, -Xss16k) creation itself overflows it and the
// process dies without a word. On this much the JVM always gets far enough
// to refuse such a value with its own message (32 KiB is measured to be
// enough on Linux); sizes above it, -Xss512k and up, are honoured as asked.
// The option handed to the JVM stays as configured.
constexpr std::uint32_t minimumJavaThreadStack = 256 * 1024;

// The main class a main module's descriptor names, as `java --module`
// finds it in the boot layer:
//   ModuleLayer.boot().findModule(name).orElse(null)
//              .getDescriptor().mainClass().orElse(null)
// False when the module is not there or names none (reported, with the
// module's name).
bool findModuleMainClass(JavaLauncher& launcher, JNIEnv* env) noexcept
{
    const jclass layerType = env->FindClass("java/lang/ModuleLayer");
    const jclass optionalType = layerType == nullptr ? nullptr : env->FindClass("java/util/Optional");
    const jclass moduleType = optionalType == nullptr ? nullptr : env->FindClass("java/lang/Module");
    const jclass descriptorType =
        moduleType == nullptr ? nullptr : env->FindClass("java/lang/module/ModuleDescriptor");
    jmethodID boot = nullptr, findModule = nullptr, orElse = nullptr, getDescriptor = nullptr, mainClass = nullptr;
    if (descriptorType != nullptr) {
        boot = env->GetStaticMethodID(layerType, "boot", "()Ljava/lang/ModuleLayer;");
        findModule = env->GetMethodID(layerType, "findModule", "(Ljava/lang/String;)Ljava/util/Optional;");
        orElse = env->GetMethodID(optionalType, "orElse", "(Ljava/lang/Object;)Ljava/lang/Object;");
        getDescriptor = env->GetMethodID(moduleType, "getDescriptor", "()Ljava/lang/module/ModuleDescriptor;");
        mainClass = env->GetMethodID(descriptorType, "mainClass", "()Ljava/util/Optional;");
    }
    // Each step only when every earlier one gave something and threw nothing.
    const auto next = [env](jobject earlier) { return earlier != nullptr && env->ExceptionCheck() == JNI_FALSE; };
    jobject found = nullptr;
    if (boot != nullptr && findModule != nullptr && orElse != nullptr && getDescriptor != nullptr &&
        mainClass != nullptr) {
        jobject layer = env->CallStaticObjectMethod(layerType, boot);
        jstring name = next(layer) ? newJavaString(env, launcher.mainModule) : nullptr;
        found = next(name) ? env->CallObjectMethod(layer, findModule, name) : nullptr;
        found = next(found) ? env->CallObjectMethod(found, orElse, nullptr) : nullptr;
        found = next(found) ? env->CallObjectMethod(found, getDescriptor) : nullptr;
        found = next(found) ? env->CallObjectMethod(found, mainClass) : nullptr;
        found = next(found) ? env->CallObjectMethod(found, orElse, nullptr) : nullptr;
    }
    const char* utfName = next(found) ? env->GetStringUTFChars(static_cast<jstring>(found), nullptr) : nullptr;
    if (utfName == nullptr) {
        if (env->ExceptionCheck()) {
            env->ExceptionDescribe();
        }
        printErrorArg(resources::loadString(resources::IDS_MAIN_MODULE_FAILED), launcher.mainModule);
        return false;
    }
    launcher.mainClass = utfName;
    env->ReleaseStringUTFChars(static_cast<jstring>(found), utfName);
    text::replaceChar(launcher.mainClass, '.', '/');
    return true;
}

// Looks the main class and main up and calls it; false when that could not
// be done (reported). Leaves no exception pending when it returns true.
bool callMain(JavaLauncher& launcher, JNIEnv* env) noexcept
{
    if (launcher.mainClass.empty() && !findModuleMainClass(launcher, env)) {
        return false;
    }
    jstring className = newJavaString(env, launcher.mainClass);
    if (className == nullptr) {
        printErrorArg(resources::loadString(resources::IDS_MAIN_CLASS_STRING_FAILED), launcher.mainClass);
        return false;
    }
    // Through a Java string, so that a name outside ASCII reaches FindClass
    // as the modified UTF-8 it expects rather than in the ANSI code page.
    const char* utfName = env->GetStringUTFChars(className, nullptr);
    if (utfName == nullptr) {
        env->ExceptionDescribe();
        return false;
    }
    const std::string name = utfName;
    jclass mainClass = env->FindClass(utfName);
    env->ReleaseStringUTFChars(className, utfName);
    if (mainClass == nullptr) {
        env->ExceptionDescribe();
        printErrorArg(resources::loadString(resources::IDS_MAIN_CLASS_NOT_FOUND), name);
        return false;
    }

    const jmethodID main = env->GetStaticMethodID(mainClass, "main", "([Ljava/lang/String;)V");
    if (main == nullptr) {
        // The JVM's own description says more than our line would.
        if (env->ExceptionOccurred() != nullptr) {
            env->ExceptionDescribe();
        } else {
            printError(resources::loadString(resources::IDS_NO_MAIN_METHOD));
        }
        return false;
    }
    jobjectArray arguments = newJavaStringArray(env, launcher.arguments);
    if (arguments == nullptr) {
        env->ExceptionDescribe();
        return false;
    }

    // From here on other threads may call into the program too.
    launcher.jvmGate.open(launcher.javaVm);
    env->CallStaticVoidMethod(mainClass, main, arguments);
    jthrowable thrown = env->ExceptionOccurred();
    if (thrown != nullptr) {
        handleUncaughtException(launcher, thrown);
    }
    return true;
}

} // namespace

std::uint32_t runJavaThread(JavaLauncher& launcher) noexcept
{
    if (launcher.mainThreadStackSize == 0) {
        launcher.mainThreadStackSize = queryDefaultJavaStackSize(launcher);
    }
    // 0 stays 0: the platform's default is far above the floor.
    std::uint32_t stackSize = launcher.mainThreadStackSize;
    if (stackSize != 0 && stackSize < minimumJavaThreadStack) {
        stackSize = minimumJavaThreadStack;
    }
    prepareJvmOptions(launcher);
    unsigned exitCode = 1;
    if (!platform::runThread(stackSize, threadEntry, &launcher, exitCode)) {
        // No thread of our own: the primary thread's stack will have to do.
        exitCode = javaThreadMain(&launcher);
    }
    return exitCode;
}

std::uint32_t javaThreadMain(JavaLauncher* launcher) noexcept
{
    if (launcher == nullptr) {
        return 1;
    }
    if (!createJvm(*launcher)) {
        launcher->jvmGate.close(); // no program will run: waiting threads end
        return 1;
    }
    return invokeMain(*launcher) ? 0 : 1;
}

bool invokeMain(JavaLauncher& launcher) noexcept
{
    const bool called = callMain(launcher, launcher.mainEnv);
    if (!called) {
        launcher.jvmGate.close(); // main never ran: nobody gets the JVM
    }
    // An attached native thread must detach before it ends, whatever happened.
    const bool detached = launcher.javaVm->DetachCurrentThread() == JNI_OK;
    return called && detached;
}
