#include "FakeJvm.h"
#include "jvm/Jni11InitArgs.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

// The JavaVM table, the registry of attached threads, the library's two
// exports and its DllMain. JNI_GetDefaultJavaVMInitArgs is left out of the
// variant built with FAKEJVM_NO_DEFAULT_ARGS, for the missing-export test.

namespace fakejvm {

void(JNICALL* exitHook)(jint status) = nullptr;

namespace {

// Guarded by the world lock. States are never freed, so a stale JNIEnv
// still leads to its thread's name in the diagnostic.
std::vector<ThreadState*> threads;
int nextThreadNumber = 0;
bool created = false;
bool destroyed = false;
bool shuttingDown = false;  // the hooks have begun
bool exited = false;        // DestroyJavaVM has brought the JVM down

std::string hex(jint value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08x", static_cast<unsigned>(value));
    return text;
}

bool isSupportedVersion(jint version) {
    return version == JNI_VERSION_1_2 || version == JNI_VERSION_1_4 ||
           version == JNI_VERSION_1_6 || version == JNI_VERSION_1_8 ||
           version == JNI_VERSION_9 || version == JNI_VERSION_10;
}

// The reservation of the calling thread's stack: from the top the TEB
// records down to the base of the region the stack was allocated in.
// (GCC 12 takes the segment read in NtCurrentTeb for an array access.)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Warray-bounds"
unsigned long long stackReservation() {
    const NT_TIB* tib = reinterpret_cast<const NT_TIB*>(NtCurrentTeb());
    MEMORY_BASIC_INFORMATION region{};
    if (VirtualQuery(&region, &region, sizeof region) == 0) {
        return 0;
    }
    return static_cast<unsigned long long>(static_cast<const char*>(tib->StackBase) -
                                           static_cast<const char*>(region.AllocationBase));
}
#pragma GCC diagnostic pop

HANDLE currentThreadHandle() {
    HANDLE handle = nullptr;
    DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &handle, 0,
                    FALSE, DUPLICATE_SAME_ACCESS);
    return handle;
}

ThreadState* attachedThread(DWORD id) {
    Locked locked;
    for (ThreadState* thread : threads) {
        if (thread->attached && thread->threadId == id) {
            return thread;
        }
    }
    return nullptr;
}

JavaVM& theVm();

void checkVm(JavaVM* vm, const char* call) {
    if (vm != &theVm() || !created) {
        fatal(std::string(call) + ": not the JavaVM this library created");
    }
}

jint JNICALL destroyJavaVm(JavaVM* vm) {
    checkVm(vm, "DestroyJavaVM");
    {
        Locked locked;
        if (destroyed) {
            fatal("DestroyJavaVM called twice");
        }
    }
    logLine("DestroyJavaVM");
    // Like HotSpot: wait for the program's other threads, attached native
    // threads included, and then run the shutdown hooks. The wait ends in
    // the same step that begins the shutdown, so a thread that attaches
    // later is not waited for. A thread that ended without detaching is a
    // fault, and one that never detaches would hang the test.
    ThreadState* self = currentThread();
    const DWORD start = GetTickCount();
    bool hooksToRun = false;
    for (;;) {
        ThreadState* waitingFor = nullptr;
        {
            Locked locked;
            for (ThreadState* thread : threads) {
                if (!thread->attached || thread == self) {
                    continue;
                }
                if (WaitForSingleObject(thread->thread, 0) == WAIT_OBJECT_0) {
                    fatal("thread " + thread->name + " ended without DetachCurrentThread");
                }
                waitingFor = thread;
            }
            if (waitingFor == nullptr) {
                hooksToRun = beginShutdown();
                break;
            }
        }
        if (GetTickCount() - start > 60000) {
            fatal("DestroyJavaVM: thread " + waitingFor->name + " still attached after 60 s");
        }
        Sleep(10);
    }
    if (hooksToRun) {
        runShutdownHooks();
    }
    if (self != nullptr) {
        detachThread(*self);
    }
    std::string frozen;
    {
        Locked locked;
        destroyed = true;
        exited = true;
        for (ThreadState* thread : threads) {
            if (thread->attached) {
                frozen += " " + thread->name;
            }
        }
    }
    if (!frozen.empty()) {
        logLine("DestroyJavaVM leaves attached:" + frozen);
    }
    logLine("DestroyJavaVM done");
    return JNI_OK;
}

jint JNICALL attachCurrentThread(JavaVM* vm, void** penv, void* args) {
    checkVm(vm, "AttachCurrentThread");
    if (penv == nullptr) {
        fatal("AttachCurrentThread: null penv");
    }
    {
        Locked locked;
        if (destroyed) {
            logLine("AttachCurrentThread after DestroyJavaVM");
            *penv = nullptr;
            return JNI_ERR;
        }
    }
    const std::string withArguments = args == nullptr ? "" : " with attach arguments";
    if (script().attachResult != JNI_OK) {
        logLine("AttachCurrentThread refused " + std::to_string(script().attachResult));
        *penv = nullptr;
        return script().attachResult;
    }
    if (ThreadState* already = currentThread()) {
        logLine("AttachCurrentThread " + already->name + " (already attached)" + withArguments);
        *penv = &already->env;
        return JNI_OK;
    }
    ThreadState& thread = attachThread(GetCurrentThreadId(), currentThreadHandle(), false);
    logLine("AttachCurrentThread " + thread.name + withArguments);
    *penv = &thread.env;
    return JNI_OK;
}

jint JNICALL detachCurrentThread(JavaVM* vm) {
    checkVm(vm, "DetachCurrentThread");
    freezeIfExited();
    ThreadState* thread = currentThread();
    if (thread == nullptr) {
        fatal("DetachCurrentThread on a thread that is not attached");
    }
    std::string line = "DetachCurrentThread " + thread->name;
    if (thread->pending != nullptr) {
        line += " with " + dotted(thread->pending->className) + " pending";
    }
    logLine(line);
    detachThread(*thread);
    return script().detachResult;
}

jint JNICALL getEnv(JavaVM* vm, void** penv, jint version) {
    checkVm(vm, "GetEnv");
    if (penv == nullptr) {
        fatal("GetEnv: null penv");
    }
    if (!isSupportedVersion(version)) {
        *penv = nullptr;
        return JNI_EVERSION;
    }
    ThreadState* thread = currentThread();
    *penv = thread == nullptr ? nullptr : &thread->env;
    return thread == nullptr ? JNI_EDETACHED : JNI_OK;
}

jint JNICALL attachCurrentThreadAsDaemon(JavaVM*, void**, void*) {
    unexpectedCall("AttachCurrentThreadAsDaemon");
}

JavaVM& theVm() {
    static const JNIInvokeInterface_ table = [] {
        JNIInvokeInterface_ functions{};
        functions.DestroyJavaVM = destroyJavaVm;
        functions.AttachCurrentThread = attachCurrentThread;
        functions.DetachCurrentThread = detachCurrentThread;
        functions.GetEnv = getEnv;
        functions.AttachCurrentThreadAsDaemon = attachCurrentThreadAsDaemon;
        return functions;
    }();
    static JavaVM vm{&table};
    return vm;
}

// The part of class-data sharing a launcher sees: the class list written
// where -XX:DumpLoadedClassList says, and -Xshare:dump writing an archive
// from a list and then ending the process, as the real JVM does. An archive
// is this double's marker line and the list it was made from.
const char* const archiveMarker = "fakejvm class-data archive\n";

std::string optionValue(const JavaVMInitArgs& args, const std::string& prefix) {
    std::string value;
    for (jint i = 0; i < args.nOptions; ++i) {
        const char* text = args.options[i].optionString;
        if (text != nullptr && std::strncmp(text, prefix.c_str(), prefix.size()) == 0) {
            value = text + prefix.size();
        }
    }
    return value;
}

bool hasOption(const JavaVMInitArgs& args, const char* wanted) {
    for (jint i = 0; i < args.nOptions; ++i) {
        if (args.options[i].optionString != nullptr && std::strcmp(args.options[i].optionString, wanted) == 0) {
            return true;
        }
    }
    return false;
}

bool writeWhole(const std::string& path, const std::string& bytes) {
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                    nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD written = 0;
    const bool whole = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                       written == bytes.size();
    CloseHandle(file);
    return whole;
}

void emulateSharing(const JavaVMInitArgs& args, const Script& program) {
    const std::string list = optionValue(args, "-XX:DumpLoadedClassList=");
    if (!list.empty()) {
        logLine(std::string("class list ") + (writeWhole(list, "java/lang/Object\n" + program.mainClass + "\n")
                                                  ? "written"
                                                  : "not written"));
    }
    const std::string archive = optionValue(args, "-XX:SharedArchiveFile=");
    bool found = false; // a missing file reads as empty, which neither step takes
    if (hasOption(args, "-Xshare:dump")) {
        const std::string from = readWholeFile(optionValue(args, "-XX:SharedClassListFile="), found);
        const bool written = !from.empty() && writeWhole(archive, archiveMarker + from);
        logLine(std::string("archive ") + (written ? "dumped" : "not dumped"));
        // As the real JVM: read-only, and up to Java 24 the process ends
        // once it is written.
        SetFileAttributesA(archive.c_str(), FILE_ATTRIBUTE_READONLY);
        if (!program.dumpReturns) {
            ExitProcess(written ? 0 : 1);
        }
    } else if (!archive.empty()) {
        const std::string bytes = readWholeFile(archive, found);
        logLine(std::string("archive ") +
                (bytes.compare(0, std::strlen(archiveMarker), archiveMarker) == 0 ? "mapped" : "passed over"));
    }
}

using VfprintfHook = jint(JNICALL*)(FILE*, const char*, va_list);

jint callVfprintf(VfprintfHook hook, FILE* stream, const char* format, ...) {
    va_list args;
    va_start(args, format);
    const jint written = hook(stream, format, args);
    va_end(args);
    return written;
}

// As the JVM explains a failed creation: through the host's hook, or on
// standard error.
void explainFailure(const JavaVMInitArgs& args, const std::string& message) {
    for (jint i = 0; i < args.nOptions; ++i) {
        const JavaVMOption& option = args.options[i];
        if (option.optionString != nullptr && std::strcmp(option.optionString, "vfprintf") == 0 &&
            option.extraInfo != nullptr) {
            callVfprintf(reinterpret_cast<VfprintfHook>(option.extraInfo), stderr, "%s\n", message.c_str());
            return;
        }
    }
    writeStd(STD_ERROR_HANDLE, message + "\n");
}

jint createJavaVm(JavaVM** pvm, void** penv, void* initArgs) {
    if (pvm == nullptr || penv == nullptr || initArgs == nullptr) {
        fatal("JNI_CreateJavaVM: null argument");
    }
    const Script& program = script();
    const JavaVMInitArgs& args = *static_cast<const JavaVMInitArgs*>(initArgs);
    logLine("CreateJavaVM version=" + hex(args.version) +
            " nOptions=" + std::to_string(args.nOptions) +
            " ignoreUnrecognized=" + std::to_string(static_cast<int>(args.ignoreUnrecognized)) +
            " stack=" + std::to_string(stackReservation()));
    for (const std::string& module : program.reportedModules) {
        logLine("loaded " + module + "=" + (GetModuleHandleA(module.c_str()) != nullptr ? "1" : "0"));
    }
    if (args.nOptions > 0 && args.options == nullptr) {
        fatal("JNI_CreateJavaVM: options missing");
    }
    std::string rejected;
    for (jint i = 0; i < args.nOptions; ++i) {
        const JavaVMOption& option = args.options[i];
        const std::string text = option.optionString == nullptr ? "(null)" : option.optionString;
        logLine("option[" + std::to_string(i) + "]=" + text +
                (option.extraInfo == nullptr ? "" : " (extraInfo set)"));
        if (text == "exit" && option.extraInfo != nullptr) {
            exitHook = reinterpret_cast<void(JNICALL*)(jint)>(option.extraInfo);
        }
        for (const std::string& unknown : program.rejectedOptions) {
            if (text == unknown && rejected.empty()) {
                rejected = text;
            }
        }
    }
    emulateSharing(args, program);
    if (program.createDelayMs > 0) {
        Sleep(static_cast<DWORD>(program.createDelayMs));
    }
    if (!program.createWait.empty() &&
        WaitForSingleObject(namedEvent(program.createWait), 30000) != WAIT_OBJECT_0) {
        logLine("createWait " + program.createWait + " timed out");
    }
    *pvm = nullptr;
    *penv = nullptr;
    jint result = JNI_OK;
    {
        Locked locked;
        if (created) {
            result = JNI_EEXIST;
        } else if (!isSupportedVersion(args.version)) {
            result = JNI_EVERSION;
        } else if (args.nOptions < 0) {
            result = JNI_EINVAL;
        } else if (program.createResult != JNI_OK) {
            result = program.createResult;
            if (!program.createMessage.empty()) {
                explainFailure(args, program.createMessage);
            }
        } else if (!rejected.empty() && !args.ignoreUnrecognized) {
            writeStd(STD_ERROR_HANDLE, "Unrecognized option: " + rejected + "\n");
            result = JNI_ERR;
        } else {
            created = true;
            ThreadState& thread = attachThread(GetCurrentThreadId(), currentThreadHandle(), true);
            *pvm = &theVm();
            *penv = &thread.env;
        }
    }
    logLine("CreateJavaVM result=" + std::to_string(result));
    return result;
}

#ifndef FAKEJVM_NO_DEFAULT_ARGS
jint getDefaultInitArgs(void* initArgs) {
    if (initArgs == nullptr) {
        fatal("JNI_GetDefaultJavaVMInitArgs: null argument");
    }
    // As the real JVM does: a 1.1 block only learns the default stack size,
    // and the call still fails because 1.1 is no longer supported.
    JDK1_1InitArgs& args = *static_cast<JDK1_1InitArgs*>(initArgs);
    const jint version = args.version;
    jint result = isSupportedVersion(version) ? JNI_OK : JNI_ERR;
    std::string line = "GetDefaultJavaVMInitArgs version=" + hex(version);
    if (version == JNI_VERSION_1_1) {
        args.version = JNI_VERSION_1_2;
        args.javaStackSize = script().defaultStackSize;
        line += " javaStackSize=" + std::to_string(args.javaStackSize);
    }
    logLine(line + " result=" + std::to_string(result));
    return result;
}
#endif

// The hook thread's state, filled in once it is attached (it is created
// suspended, since attaching needs its identifier).
struct HookStart {
    ThreadState* thread = nullptr;
};

DWORD WINAPI runHook(void* parameter) {
    const HookStart* start = static_cast<const HookStart*>(parameter);
    ThreadState& thread = *start->thread;
    delete start;
    logLine("hook " + thread.name + " runs");
    runActions(thread, script().hook, nullptr, frameOf(script().mainClass, "lambda$main$0"));
    {
        Locked locked;
        thread.pending = nullptr;
    }
    logLine("hook " + thread.name + " ends");
    detachThread(thread);
    return 0;
}

}  // namespace

bool beginShutdown() {
    Locked locked;
    if (shuttingDown) {
        return false;
    }
    shuttingDown = true;
    return true;
}

bool shutdownBegun() {
    Locked locked;
    return shuttingDown;
}

void runShutdownHooks() {
    if (!script().hasHook) {
        return;
    }
    HookStart* start = new HookStart;
    DWORD id = 0;
    HANDLE handle = CreateThread(nullptr, 0, runHook, start, CREATE_SUSPENDED, &id);
    if (handle == nullptr) {
        fatal("shutdown hook: CreateThread failed");
    }
    HANDLE waitable = nullptr;
    DuplicateHandle(GetCurrentProcess(), handle, GetCurrentProcess(), &waitable, 0, FALSE,
                    DUPLICATE_SAME_ACCESS);
    start->thread = &attachThread(id, handle, false);
    ResumeThread(waitable);
    WaitForSingleObject(waitable, INFINITE);
    CloseHandle(waitable);
}

void freezeIfExited() {
    bool frozen = false;
    std::string name;
    {
        Locked locked;
        if (exited) {
            for (ThreadState* thread : threads) {
                if (thread->attached && thread->threadId == GetCurrentThreadId()) {
                    frozen = true;
                    name = thread->name;
                }
            }
        }
    }
    if (frozen) {
        logLine("frozen " + name);
        Sleep(INFINITE);
    }
}

ThreadState* currentThread() {
    return attachedThread(GetCurrentThreadId());
}

ThreadState& attachThread(DWORD id, HANDLE handle, bool isMain) {
    Locked locked;
    ThreadState* thread = new ThreadState;
    thread->env.functions = envTable();
    thread->threadId = id;
    thread->thread = handle;
    thread->name = isMain ? "main" : "Thread-" + std::to_string(nextThreadNumber++);
    thread->attached = true;
    threads.push_back(thread);
    return *thread;
}

void detachThread(ThreadState& thread) {
    Locked locked;
    thread.attached = false;
    thread.pending = nullptr;
    dropLocalRefs(thread);
    CloseHandle(thread.thread);
    thread.thread = nullptr;
}

ThreadState& threadOf(JNIEnv* env, const char* call) {
    freezeIfExited();
    Locked locked;
    for (ThreadState* thread : threads) {
        if (&thread->env != env) {
            continue;
        }
        if (!thread->attached) {
            fatal(std::string(call) + ": JNIEnv of " + thread->name +
                  " used after that thread detached");
        }
        if (thread->threadId != GetCurrentThreadId()) {
            fatal(std::string(call) + ": JNIEnv of " + thread->name +
                  " used on another thread (id " + std::to_string(GetCurrentThreadId()) + ")");
        }
        return *thread;
    }
    fatal(std::string(call) + ": not a JNIEnv of this JVM");
}

}  // namespace fakejvm

jint JNICALL JNI_CreateJavaVM(JavaVM** pvm, void** penv, void* args) {
    return fakejvm::createJavaVm(pvm, penv, args);
}

#ifndef FAKEJVM_NO_DEFAULT_ARGS
jint JNICALL JNI_GetDefaultJavaVMInitArgs(void* args) {
    return fakejvm::getDefaultInitArgs(args);
}
#endif

// A thread that ends while attached leaves the real JVM with a dangling
// thread; here it ends the test. Under the loader lock, so the process is
// ended without running anybody's detach handlers.
extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_THREAD_DETACH) {
        if (fakejvm::ThreadState* thread = fakejvm::currentThread()) {
            const std::string text = "thread " + thread->name + " ended without DetachCurrentThread";
            fakejvm::writeStd(STD_ERROR_HANDLE, "fakejvm: FATAL " + text + "\n");
            fakejvm::logLine("FATAL " + text);
            TerminateProcess(GetCurrentProcess(), 98);
        }
    }
    return TRUE;
}
