#include "jvm/JvmLoader.h"
#include "jvm/Jni11InitArgs.h"

#include "cache/StartupCache.h"
#include "jre/JvmLibrary.h"
#include "jvm/Redirection.h"
#include "launcher/Errors.h"
#include "launcher/JavaLauncher.h"
#include "launcher/Trace.h"
#include "platform/Errors.h"
#include "platform/Library.h"
#include "platform/Output.h"
#include "platform/Process.h"
#include "resources/StringIds.h"
#include "resources/StringTable.h"

#include <atomic>
#include <cstdio>
#include <cstdarg>
#include <vector>

namespace {

void reportLoadFailure(const std::string& jvmPath) noexcept
{
    const int error = static_cast<int>(platform::lastError());
#ifdef _WIN32
    const std::string& subject = jvmPath;
#else
    // dlopen's own text says why (a missing file, a wrong architecture, an
    // unresolved symbol), which errno alone cannot; it starts with the path.
    std::string subject = platform::libraryErrorText();
    if (subject.empty()) {
        subject = jvmPath;
    } else if (subject.compare(0, jvmPath.size(), jvmPath) != 0) {
        subject = jvmPath + ": " + subject;
    }
#endif
    printErrorCode(resources::loadString(resources::IDS_LOAD_JVM_FAILED), subject, error);
}

void reportMissingEntryPoint() noexcept
{
    const int error = static_cast<int>(platform::lastError());
    printErrorCode(resources::loadString(resources::IDS_WINDOWS_EXCEPTION),
                   resources::loadString(resources::IDS_NO_CREATE_JAVA_VM), error);
}

// The launch whose JVM is being created with a main module. The JVM ends
// the process (exit code 1) when it cannot make the boot layer, because the
// module is not there or cannot be resolved; its abort hook, called just
// before, reports that failure as the launcher's own and ends with -1.
std::atomic<const JavaLauncher*> creatingWithModule{nullptr};

void JNICALL moduleAbortHook()
{
    const JavaLauncher* launcher = creatingWithModule.load();
    if (launcher != nullptr) {
        printErrorArg(resources::loadString(resources::IDS_MAIN_MODULE_FAILED), launcher->mainModule);
        platform::endProcessNow(-1);
    }
}

// A window program without standard output has nowhere for the JVM's own
// messages: they are kept for the report's box.
// Only what it says while it is being created: that explains a failed
// creation, and no later thread of the program writes into the report.
std::atomic<bool> jvmBeingCreated{false};

jint JNICALL keepJvmOutput(FILE*, const char* format, va_list args)
{
    const std::string text = platform::formatArguments(format, args);
    if (jvmBeingCreated.load()) {
        keepJvmWords(text);
    }
    return static_cast<jint>(text.size());
}

} // namespace

bool loadJvmLibrary(JavaLauncher& launcher) noexcept
{
    trace("loading JVM library %s", launcher.jvmPath.c_str());
    void* library = platform::loadLibrary(launcher.jvmPath);
    if (library == nullptr) {
        reportLoadFailure(launcher.jvmPath);
        return false;
    }
    void* create = platform::findSymbol(library, "JNI_CreateJavaVM");
    if (create == nullptr) {
        reportMissingEntryPoint();
        return false;
    }
    void* defaults = platform::findSymbol(library, "JNI_GetDefaultJavaVMInitArgs");
    if (defaults == nullptr) {
        reportMissingEntryPoint();
        return false;
    }
    launcher.createJavaVm = reinterpret_cast<CreateJavaVmFunction>(create);
    launcher.getDefaultJavaVmInitArgs = reinterpret_cast<GetDefaultJavaVmInitArgsFunction>(defaults);
    publishJvmEnvironment(launcher.jvmPath);
    return true;
}

unsigned jniFailureReasonId(jint result) noexcept
{
    switch (result) {
    case JNI_ERR:
        return resources::IDS_JNI_ERR;
    case JNI_EDETACHED:
        return resources::IDS_JNI_EDETACHED;
    case JNI_EVERSION:
        return resources::IDS_JNI_EVERSION;
    case JNI_ENOMEM:
        return resources::IDS_JNI_ENOMEM;
    case JNI_EEXIST:
        return resources::IDS_JNI_EEXIST;
    case JNI_EINVAL:
        return resources::IDS_JNI_EINVAL;
    default:
        return 0;
    }
}

void prepareJvmOptions(JavaLauncher& launcher)
{
    std::vector<JavaVMOption>& options = launcher.jvmOptionArray;
    options.resize(launcher.jvmOptions.size());
    for (std::size_t i = 0; i < options.size(); ++i) {
        // The JVM copies what it keeps; the strings outlive the call.
        options[i].optionString = const_cast<char*>(launcher.jvmOptions[i].c_str());
        options[i].extraInfo = nullptr;
    }
    cache::addStartupCacheHooks(launcher, options);
    if (!launcher.mainModule.empty()) {
        options.push_back(JavaVMOption{const_cast<char*>("abort"), reinterpret_cast<void*>(moduleAbortHook)});
    }
    if (platform::isWindowProgram() && reportsInBoxes()) {
        options.push_back(JavaVMOption{const_cast<char*>("vfprintf"), reinterpret_cast<void*>(keepJvmOutput)});
    }
}

bool createJvm(JavaLauncher& launcher) noexcept
{
    if (launcher.jvmOptionArray.empty() && !launcher.jvmOptions.empty()) {
        prepareJvmOptions(launcher); // a caller that starts no thread of its own
    }
    std::vector<JavaVMOption>& options = launcher.jvmOptionArray;
    for (const JavaVMOption& option : options) {
        trace("JVM option %s", option.optionString);
    }
    JavaVMInitArgs args{};
    args.version = JNI_VERSION_1_2;
    args.nOptions = static_cast<jint>(options.size());
    args.options = options.empty() ? nullptr : options.data();
    args.ignoreUnrecognized = JNI_FALSE;

    JavaVM* vm = nullptr;
    JNIEnv* env = nullptr;
    if (!launcher.mainModule.empty()) {
        creatingWithModule.store(&launcher);
    }
    jvmBeingCreated.store(true);
    const jint result = launcher.createJavaVm(&vm, reinterpret_cast<void**>(&env), &args);
    jvmBeingCreated.store(false);
    creatingWithModule.store(nullptr);
    if (result != JNI_OK) {
        const unsigned reason = jniFailureReasonId(result);
        printErrorReason(resources::loadString(resources::IDS_JNI_EXCEPTION),
                         resources::loadString(resources::IDS_CREATE_JVM_FAILED),
                         reason == 0 ? std::string() : resources::loadString(reason));
        return false;
    }
    launcher.javaVm = vm;
    launcher.mainEnv = env;

    // A failed redirection was described by the JVM and leaves that stream
    // where it was; the program still runs.
    if (!launcher.outputFile.empty()) {
        static_cast<void>(redirectStandardOutput(launcher));
    }
    if (!launcher.errorFile.empty()) {
        static_cast<void>(redirectStandardError(launcher));
    }
    return true;
}

std::uint32_t queryDefaultJavaStackSize(JavaLauncher& launcher) noexcept
{
    JDK1_1InitArgs args{};
    args.version = JNI_VERSION_1_1;
    // Current JVMs refuse version 1.1 yet still fill in the stack size.
    static_cast<void>(launcher.getDefaultJavaVmInitArgs(&args));
    return args.javaStackSize > 0 ? static_cast<std::uint32_t>(args.javaStackSize) : 0;
}
