// Tests of the fake JVM library itself. Each case puts a copy of jvm.dll and
// a script into a scratch folder and runs this executable again as a small
// host (`--host <folder> ...`) that drives the library the way the launcher
// does, then checks the host's exit code, its output and the library's log.

#include "jvm/Jni11InitArgs.h"
#include <windows.h>

#include <jni.h>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "Script.h"

namespace {

// ---- the host: a launcher in miniature ---------------------------------------

using CreateJavaVm = jint(JNICALL*)(JavaVM**, void**, void*);
using GetDefaultArgs = jint(JNICALL*)(void*);

struct Host {
    std::string folder;
    std::string scenario;
    std::vector<std::string> options;
    std::string outputFile;
    std::string errorFile;
    bool capture = false;
    std::string forward;   // argument for secondaryMain from another thread
    bool stop = false;     // call stop() from another thread
    bool late = false;     // attach from another thread while the hooks run
    std::string mainClass;
    std::vector<std::string> arguments;
    CreateJavaVm create = nullptr;
    JavaVM* vm = nullptr;
    HANDLE created = nullptr;  // set once the JVM exists
};

void say(const std::string& text) {
    std::printf("host: %s\n", text.c_str());
    std::fflush(stdout);
}

jstring newJavaString(JNIEnv* env, const std::string& text) {
    jclass stringClass = env->FindClass("java/lang/String");
    if (stringClass == nullptr) {
        return nullptr;
    }
    jmethodID init = env->GetMethodID(stringClass, "<init>", "([B)V");
    if (init == nullptr) {
        return nullptr;
    }
    jbyteArray bytes = env->NewByteArray(static_cast<jsize>(text.size()));
    if (bytes == nullptr) {
        return nullptr;
    }
    env->SetByteArrayRegion(bytes, 0, static_cast<jsize>(text.size()),
                            reinterpret_cast<const jbyte*>(text.data()));
    jstring result = nullptr;
    if (env->ExceptionOccurred() == nullptr) {
        result = static_cast<jstring>(env->NewObject(stringClass, init, bytes));
    }
    env->DeleteLocalRef(bytes);
    return result;
}

jobjectArray newJavaStringArray(JNIEnv* env, const std::vector<std::string>& texts) {
    jclass stringClass = env->FindClass("java/lang/String");
    if (stringClass == nullptr) {
        return nullptr;
    }
    jobjectArray array =
        env->NewObjectArray(static_cast<jsize>(texts.size()), stringClass, nullptr);
    if (array == nullptr) {
        return nullptr;
    }
    for (std::size_t i = 0; i < texts.size(); ++i) {
        jstring text = newJavaString(env, texts[i]);
        if (text == nullptr) {
            return nullptr;
        }
        env->SetObjectArrayElement(array, static_cast<jsize>(i), text);
        env->DeleteLocalRef(text);
    }
    return array;
}

void redirect(JNIEnv* env, const std::string& file, const char* setter) {
    jstring name = newJavaString(env, file);
    jclass fileClass = name == nullptr ? nullptr : env->FindClass("java/io/FileOutputStream");
    jmethodID fileInit = fileClass == nullptr
                             ? nullptr
                             : env->GetMethodID(fileClass, "<init>", "(Ljava/lang/String;)V");
    jobject fileStream = fileInit == nullptr ? nullptr : env->NewObject(fileClass, fileInit, name);
    jclass printClass = fileStream == nullptr ? nullptr : env->FindClass("java/io/PrintStream");
    jmethodID printInit = printClass == nullptr
                              ? nullptr
                              : env->GetMethodID(printClass, "<init>", "(Ljava/io/OutputStream;)V");
    jobject printStream =
        printInit == nullptr ? nullptr : env->NewObject(printClass, printInit, fileStream);
    jclass system = printStream == nullptr ? nullptr : env->FindClass("java/lang/System");
    jmethodID set = system == nullptr
                        ? nullptr
                        : env->GetStaticMethodID(system, setter, "(Ljava/io/PrintStream;)V");
    if (set != nullptr) {
        env->CallStaticVoidMethod(system, set, printStream);
    }
    if (env->ExceptionOccurred() != nullptr) {
        env->ExceptionDescribe();
    }
}

std::string captureStackTrace(JNIEnv* env, jthrowable thrown) {
    jclass memoryClass = env->FindClass("java/io/ByteArrayOutputStream");
    jmethodID memoryInit = env->GetMethodID(memoryClass, "<init>", "()V");
    jobject memory = env->NewObject(memoryClass, memoryInit);
    jclass printClass = env->FindClass("java/io/PrintStream");
    jmethodID printInit = env->GetMethodID(printClass, "<init>", "(Ljava/io/OutputStream;)V");
    jobject print = env->NewObject(printClass, printInit, memory);
    jclass thrownClass = env->GetObjectClass(thrown);
    jmethodID printTrace =
        env->GetMethodID(thrownClass, "printStackTrace", "(Ljava/io/PrintStream;)V");
    env->CallVoidMethod(thrown, printTrace, print);
    jmethodID toString =
        env->GetMethodID(env->GetObjectClass(memory), "toString", "()Ljava/lang/String;");
    jstring text = static_cast<jstring>(env->CallObjectMethod(memory, toString));
    const char* bytes = env->GetStringUTFChars(text, nullptr);
    std::string copy = bytes;
    env->ReleaseStringUTFChars(text, bytes);
    return copy;
}

// What another thread of the launcher does: attach, call, describe, detach.
DWORD WINAPI callFromOtherThread(void* parameter) {
    Host& host = *static_cast<Host*>(parameter);
    WaitForSingleObject(host.created, INFINITE);
    JNIEnv* env = nullptr;
    if (host.vm->AttachCurrentThread(reinterpret_cast<void**>(&env), nullptr) != JNI_OK) {
        say("attach failed");
        return 0;
    }
    jclass mainClass = env->FindClass(host.mainClass.c_str());
    const bool secondary = !host.forward.empty();
    jmethodID method = mainClass == nullptr ? nullptr
                       : secondary
                           ? env->GetStaticMethodID(mainClass, "secondaryMain", "([Ljava/lang/String;)V")
                           : env->GetStaticMethodID(mainClass, "stop", "()V");
    if (method != nullptr && secondary) {
        jobjectArray array = newJavaStringArray(env, {host.forward});
        if (array != nullptr) {
            jvalue argument;
            argument.l = array;
            env->CallStaticVoidMethodA(mainClass, method, &argument);
        }
    } else if (method != nullptr) {
        env->CallStaticVoidMethod(mainClass, method);
    }
    if (env->ExceptionOccurred() != nullptr) {
        env->ExceptionDescribe();
    }
    host.vm->DetachCurrentThread();
    return 0;
}

// What the launcher asks an attached thread: whether the shutdown hooks run.
// The class of what Runtime.removeShutdownHook(null) throws.
std::string probeHooks(JNIEnv* env) {
    jclass runtimeClass = env->FindClass("java/lang/Runtime");
    jmethodID getRuntime =
        env->GetStaticMethodID(runtimeClass, "getRuntime", "()Ljava/lang/Runtime;");
    jmethodID remove =
        env->GetMethodID(runtimeClass, "removeShutdownHook", "(Ljava/lang/Thread;)Z");
    jobject runtime = env->CallStaticObjectMethod(runtimeClass, getRuntime);
    env->CallBooleanMethod(runtime, remove, nullptr);
    jthrowable thrown = env->ExceptionOccurred();
    env->ExceptionClear();
    if (thrown == nullptr) {
        return "nothing";
    }
    for (const char* name : {"java/lang/IllegalStateException", "java/lang/NullPointerException"}) {
        jclass type = env->FindClass(name);
        if (type != nullptr && env->IsInstanceOf(thrown, type)) {
            return name;
        }
        env->ExceptionClear();
    }
    return "another exception";
}

// A thread that attaches once the shutdown hook runs (it signals
// "st-hook-running"), as a late hand-over would: probes, calls
// secondaryMain and would detach afterwards.
DWORD WINAPI attachDuringHooks(void* parameter) {
    Host& host = *static_cast<Host*>(parameter);
    HANDLE hookRuns = CreateEventA(nullptr, TRUE, FALSE, "fakejvm-st-hook-running");
    WaitForSingleObject(hookRuns, 10000);
    CloseHandle(hookRuns);
    JNIEnv* env = nullptr;
    if (host.vm->AttachCurrentThread(reinterpret_cast<void**>(&env), nullptr) != JNI_OK) {
        say("late attach failed");
        return 0;
    }
    say("late probe " + probeHooks(env));
    jclass mainClass = env->FindClass(host.mainClass.c_str());
    jmethodID second =
        env->GetStaticMethodID(mainClass, "secondaryMain", "([Ljava/lang/String;)V");
    jobjectArray array = newJavaStringArray(env, {"late"});
    env->CallStaticVoidMethod(mainClass, second, array);
    host.vm->DetachCurrentThread();
    say("late thread detached");
    return 0;
}

DWORD WINAPI javaThread(void* parameter) {
    Host& host = *static_cast<Host*>(parameter);
    std::vector<JavaVMOption> options(host.options.size());
    for (std::size_t i = 0; i < options.size(); ++i) {
        options[i].optionString = const_cast<char*>(host.options[i].c_str());
        options[i].extraInfo = nullptr;
    }
    JavaVMInitArgs args;
    args.version = JNI_VERSION_1_2;
    args.nOptions = static_cast<jint>(options.size());
    args.options = options.data();
    args.ignoreUnrecognized = JNI_FALSE;
    JNIEnv* env = nullptr;
    const jint created = host.create(&host.vm, reinterpret_cast<void**>(&env), &args);
    if (created != JNI_OK) {
        say("create failed " + std::to_string(created));
        return 1;
    }
    SetEvent(host.created);
    if (!host.outputFile.empty()) {
        redirect(env, host.outputFile, "setOut");
    }
    if (!host.errorFile.empty()) {
        redirect(env, host.errorFile, "setErr");
    }
    bool good = false;
    jstring name = newJavaString(env, host.mainClass);
    const char* text = name == nullptr ? nullptr : env->GetStringUTFChars(name, nullptr);
    jclass mainClass = text == nullptr ? nullptr : env->FindClass(text);
    if (mainClass == nullptr) {
        env->ExceptionDescribe();
        say("no class");
    } else {
        env->ReleaseStringUTFChars(name, text);
        jmethodID main = env->GetStaticMethodID(mainClass, "main", "([Ljava/lang/String;)V");
        if (main == nullptr) {
            if (env->ExceptionOccurred() != nullptr) {
                env->ExceptionDescribe();
            } else {
                say("no main, nothing pending");
            }
        } else {
            jobjectArray array = newJavaStringArray(env, host.arguments);
            env->CallStaticVoidMethod(mainClass, main, array);
            if (host.late) {
                say("probe " + probeHooks(env));
            }
            jthrowable thrown = env->ExceptionOccurred();
            if (thrown != nullptr) {
                env->ExceptionDescribe();
                if (host.capture) {
                    say("captured [" + captureStackTrace(env, thrown) + "]");
                }
            }
            good = true;
        }
    }
    const jint detached = host.vm->DetachCurrentThread();
    return good && detached == JNI_OK ? 0 : 1;
}

DWORD WINAPI useForeignEnv(void* parameter) {
    static_cast<JNIEnv*>(parameter)->FindClass("java/lang/String");
    return 0;
}

DWORD WINAPI detachUnattached(void* parameter) {
    static_cast<JavaVM*>(parameter)->DetachCurrentThread();
    return 0;
}

DWORD WINAPI attachAndEnd(void* parameter) {
    JNIEnv* attached = nullptr;
    static_cast<JavaVM*>(parameter)->AttachCurrentThread(reinterpret_cast<void**>(&attached),
                                                         nullptr);
    return 0;
}

void onOtherThread(LPTHREAD_START_ROUTINE routine, void* parameter) {
    HANDLE other = CreateThread(nullptr, 0, routine, parameter, 0, nullptr);
    WaitForSingleObject(other, INFINITE);
    CloseHandle(other);
}

// Deliberate misuse, one per scenario; each must end the process.
void misuse(const std::string& kind, JNIEnv* env, JavaVM* vm) {
    if (kind == "pending") {
        env->FindClass("no/Such");
        env->FindClass("java/lang/String");
    } else if (kind == "thread") {
        onOtherThread(useForeignEnv, env);
    } else if (kind == "detach") {
        onOtherThread(detachUnattached, vm);
    } else if (kind == "ended") {
        onOtherThread(attachAndEnd, vm);
    } else if (kind == "slot") {
        env->GetVersion();
    } else if (kind == "deleted") {
        jclass stringClass = env->FindClass("java/lang/String");
        env->DeleteLocalRef(stringClass);
        env->GetMethodID(stringClass, "<init>", "([B)V");
    } else if (kind == "wrongcall") {
        jclass system = env->FindClass("java/lang/System");
        jmethodID exit = env->GetStaticMethodID(system, "exit", "(I)V");
        env->CallVoidMethod(system, exit, 3);
    } else if (kind == "release") {
        jstring text = newJavaString(env, "abc");
        env->ReleaseStringUTFChars(text, "abc");
    }
}

int runHost(int argc, char** argv) {
    _setmode(_fileno(stdout), _O_BINARY);  // the output is compared byte for byte
    Host host;
    host.folder = argv[2];
    host.scenario = argv[3];
    int i = 4;
    for (; i < argc && argv[i][0] == '-' && argv[i][1] == '-'; ++i) {
        const std::string flag = argv[i];
        if (flag == "--capture") {
            host.capture = true;
        } else if (flag == "--stop") {
            host.stop = true;
        } else if (flag == "--late") {
            host.late = true;
        } else if (i + 1 < argc) {
            const std::string value = argv[++i];
            if (flag == "--opt") {
                host.options.push_back(value);
            } else if (flag == "--out") {
                host.outputFile = value;
            } else if (flag == "--err") {
                host.errorFile = value;
            } else if (flag == "--forward") {
                host.forward = value;
            }
        }
    }
    if (i < argc) {
        host.mainClass = argv[i++];
    }
    for (; i < argc; ++i) {
        host.arguments.push_back(argv[i]);
    }

    const char* library = host.scenario == "exports" ? "jvmnodefault.dll" : "jvm.dll";
    HMODULE jvm = LoadLibraryA((host.folder + "\\" + library).c_str());
    if (jvm == nullptr) {
        say("load failed " + std::to_string(GetLastError()));
        return 2;
    }
    host.create = reinterpret_cast<CreateJavaVm>(
        reinterpret_cast<void*>(GetProcAddress(jvm, "JNI_CreateJavaVM")));
    auto getDefault = reinterpret_cast<GetDefaultArgs>(
        reinterpret_cast<void*>(GetProcAddress(jvm, "JNI_GetDefaultJavaVMInitArgs")));
    if (host.scenario == "exports") {
        say(std::string("create ") + (host.create != nullptr ? "found" : "missing") +
            ", defaults " + (getDefault != nullptr ? "found" : "missing"));
        return 0;
    }
    if (host.scenario != "run") {
        JavaVMInitArgs args{};
        args.version = JNI_VERSION_1_2;
        JNIEnv* env = nullptr;
        if (host.create(&host.vm, reinterpret_cast<void**>(&env), &args) != JNI_OK) {
            return 2;
        }
        misuse(host.scenario, env, host.vm);
        say("misuse went unnoticed");
        return 0;
    }

    JDK1_1InitArgs defaults{};
    defaults.version = JNI_VERSION_1_1;
    const jint result = getDefault(&defaults);
    say("default stack " + std::to_string(defaults.javaStackSize) + " result " +
        std::to_string(result) + " version " + std::to_string(defaults.version));

    host.created = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE other = nullptr;
    if (!host.forward.empty() || host.stop) {
        other = CreateThread(nullptr, 0, callFromOtherThread, &host, 0, nullptr);
    }
    HANDLE late = host.late ? CreateThread(nullptr, 0, attachDuringHooks, &host, 0, nullptr) : nullptr;
    HANDLE thread = CreateThread(nullptr, static_cast<SIZE_T>(defaults.javaStackSize), javaThread,
                                 &host, 0, nullptr);
    WaitForSingleObject(thread, INFINITE);
    DWORD code = 1;
    GetExitCodeThread(thread, &code);
    if (other != nullptr) {
        SetEvent(host.created);  // a failed creation must not leave it waiting
        WaitForSingleObject(other, INFINITE);
    }
    if (host.vm != nullptr) {
        say("destroy " + std::to_string(host.vm->DestroyJavaVM()));
    }
    if (late != nullptr) {
        // Frozen once the JVM has exited: it never comes back.
        say(WaitForSingleObject(late, 3000) == WAIT_TIMEOUT ? "late thread still inside" : "late thread ended");
    }
    return static_cast<int>(code);
}

// ---- the tests ---------------------------------------------------------------

std::string ownFolder() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string text = path;
    return text.substr(0, text.find_last_of('\\'));
}

std::string readFile(const std::string& path) {
    std::string text;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return "(missing)";
    }
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) {
        text.append(buffer, got);
    }
    CloseHandle(file);
    return text;
}

void writeFile(const std::string& path, const std::string& text) {
    HANDLE file =
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
}

struct Outcome {
    DWORD exitCode = 0;
    std::string out;
    std::string err;
    std::string log;
};

class FakeJvm : public ::testing::Test {
protected:
    void SetUp() override {
        folder = ownFolder() + "\\scratch";
        CreateDirectoryA(folder.c_str(), nullptr);
        folder += "\\";
        folder += ::testing::UnitTest::GetInstance()->current_test_info()->name();
        CreateDirectoryA(folder.c_str(), nullptr);
        for (const char* name : {"jvm.dll", "jvmnodefault.dll"}) {
            CopyFileA((ownFolder() + "\\" + name).c_str(), (folder + "\\" + name).c_str(), FALSE);
        }
        for (const char* name : {"fakejvm.log", "fakejvm.ini", "out.txt", "err.txt"}) {
            DeleteFileA((folder + "\\" + name).c_str());
        }
    }

    void script(const std::string& text) { writeFile(folder + "\\fakejvm.ini", text); }

    Outcome host(const std::vector<std::string>& arguments) {
        std::string command = "\"" + ownFolder() + "\\fakejvm_selftest.exe\" --host \"" + folder + "\"";
        for (const std::string& argument : arguments) {
            command += " \"" + argument + "\"";
        }
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        const std::string outPath = folder + "\\stdout.txt";
        const std::string errPath = folder + "\\stderr.txt";
        HANDLE out = CreateFileA(outPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                 CREATE_ALWAYS, 0, nullptr);
        HANDLE err = CreateFileA(errPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                 CREATE_ALWAYS, 0, nullptr);
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        startup.hStdOutput = out;
        startup.hStdError = err;
        PROCESS_INFORMATION process{};
        Outcome outcome;
        outcome.exitCode = 12345;
        if (CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr,
                           folder.c_str(), &startup, &process)) {
            if (WaitForSingleObject(process.hProcess, 60000) != WAIT_OBJECT_0) {
                TerminateProcess(process.hProcess, 54321);
                WaitForSingleObject(process.hProcess, INFINITE);
            }
            GetExitCodeProcess(process.hProcess, &outcome.exitCode);
            CloseHandle(process.hThread);
            CloseHandle(process.hProcess);
        } else {
            ADD_FAILURE() << "cannot start the host (error " << GetLastError() << "): " << command;
        }
        CloseHandle(out);
        CloseHandle(err);
        outcome.out = readFile(outPath);
        outcome.err = readFile(errPath);
        outcome.log = readFile(folder + "\\fakejvm.log");
        return outcome;
    }

    std::string folder;
};

const char* const appScript = "class=com/example/App\n";

// The host's own line about JNI_GetDefaultJavaVMInitArgs comes first.
std::string javaOutput(const std::string& out) {
    std::string text;
    std::size_t start = 0;
    while (start < out.size()) {
        std::size_t end = out.find('\n', start);
        end = end == std::string::npos ? out.size() : end + 1;
        const std::string line = out.substr(start, end - start);
        if (line.compare(0, 6, "host: ") != 0) {
            text += line;
        }
        start = end;
    }
    return text;
}

TEST_F(FakeJvm, LogsCreationArgumentsAndTheThreadsStack) {
    script(std::string(appScript) + "defaultStackSize=2097152\n");
    const Outcome outcome = host({"run", "--opt", "-Djava.class.path=app.jar", "--opt", "-Xss2m",
                                  "com/example/App"});
    EXPECT_EQ(0u, outcome.exitCode) << outcome.err;
    EXPECT_NE(std::string::npos,
              outcome.out.find("host: default stack 2097152 result -1 version 65538\n"));
    EXPECT_EQ(
        "GetDefaultJavaVMInitArgs version=0x00010001 javaStackSize=2097152 result=-1\n"
        "CreateJavaVM version=0x00010002 nOptions=2 ignoreUnrecognized=0 stack=2097152\n"
        "option[0]=-Djava.class.path=app.jar\n"
        "option[1]=-Xss2m\n"
        "CreateJavaVM result=0\n"
        "main argc=0\n"
        "main returned\n"
        "DetachCurrentThread main\n"
        "DestroyJavaVM\n"
        "DestroyJavaVM done\n",
        outcome.log);
}

TEST_F(FakeJvm, HooksRunAfterTheProgramsThreadsAndALateThreadIsFrozen) {
    // As HotSpot: DestroyJavaVM waits for the program's threads, then runs
    // the shutdown hooks; the runtime then refuses to touch its hooks; a
    // thread that attached while they ran is not waited for, and is frozen
    // when it next comes back into the JVM.
    script(std::string(appScript) +
           "main=spawn 200 worker done\n"
           "hook=out hook;signal st-hook-running;wait st-second 10000\n"
           "secondaryMain=signal st-second;sleep 300\n");
    const Outcome outcome = host({"run", "--late", "com/example/App"});
    EXPECT_EQ(0u, outcome.exitCode) << outcome.err;
    EXPECT_NE(std::string::npos, outcome.out.find("host: probe java/lang/NullPointerException\n")) << outcome.out;
    EXPECT_NE(std::string::npos, outcome.out.find("host: late probe java/lang/IllegalStateException\n"))
        << outcome.out;
    EXPECT_NE(std::string::npos, outcome.out.find("host: destroy 0\nhost: late thread still inside\n"))
        << outcome.out;
    EXPECT_EQ(std::string::npos, outcome.out.find("late thread detached")) << outcome.out;
    EXPECT_EQ("worker done\r\nhook\r\n", javaOutput(outcome.out));
    const std::string& log = outcome.log;
    const auto at = [&log](const char* line) { return log.find(std::string(line) + "\n"); };
    EXPECT_LT(at("Thread-0 ended"), at("hook Thread-1 runs")) << log;
    EXPECT_LT(at("hook Thread-1 runs"), at("AttachCurrentThread Thread-2")) << log;
    EXPECT_NE(std::string::npos, at("removeShutdownHook refused: shutdown in progress")) << log;
    EXPECT_LT(at("hook Thread-1 ends"), at("DestroyJavaVM leaves attached: Thread-2")) << log;
    EXPECT_LT(at("DestroyJavaVM leaves attached: Thread-2"), at("DestroyJavaVM done")) << log;
    EXPECT_NE(std::string::npos, at("frozen Thread-2")) << log;
}

TEST_F(FakeJvm, MainReceivesEveryArgumentInOrderWithItsBytes) {
    script(std::string(appScript) + "main=args\n");
    const Outcome outcome = host({"run", "com/example/App", "one", "two words", "", "caf\xe9"});
    EXPECT_EQ(0u, outcome.exitCode);
    EXPECT_EQ("arg[0]=one\r\narg[1]=two words\r\narg[2]=\r\narg[3]=caf\xe9\r\n",
              javaOutput(outcome.out));
    EXPECT_NE(std::string::npos, outcome.log.find("main argc=4\nmain arg[0]=one\n"
                                                  "main arg[1]=two words\nmain arg[2]=\n"
                                                  "main arg[3]=caf\xe9\n"));
}

TEST_F(FakeJvm, CreationFailsAsScripted) {
    struct Case {
        const char* script;
        std::vector<std::string> options;
        const char* result;
        const char* stderrText;
    };
    const Case cases[] = {
        {"create=-4\n", {}, "-4", ""},
        {"create=-77\n", {}, "-77", ""},
        {"reject=-Xfoo\n", {"-Xms8m", "-Xfoo"}, "-1", "Unrecognized option: -Xfoo\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script);
        script(std::string(appScript) + c.script);
        DeleteFileA((folder + "\\fakejvm.log").c_str());
        std::vector<std::string> arguments = {"run"};
        for (const std::string& option : c.options) {
            arguments.push_back("--opt");
            arguments.push_back(option);
        }
        arguments.push_back("com/example/App");
        const Outcome outcome = host(arguments);
        EXPECT_EQ(1u, outcome.exitCode);
        EXPECT_NE(std::string::npos, outcome.out.find(std::string("host: create failed ") + c.result));
        EXPECT_NE(std::string::npos, outcome.log.find(std::string("CreateJavaVM result=") + c.result));
        EXPECT_EQ(std::string::npos, outcome.log.find("DestroyJavaVM"));
        EXPECT_EQ(c.stderrText, outcome.err);
    }
}

TEST_F(FakeJvm, ExceptionsAreDescribedOnSystemErr) {
    struct Case {
        const char* script;
        const char* mainClass;
        const char* stderrText;
        const char* hostLine;
    };
    const Case cases[] = {
        {"main=out before;throw java/lang/IllegalStateException boom;out after\n",
         "com/example/App",
         "Exception in thread \"main\" java.lang.IllegalStateException: boom\r\n"
         "\tat com.example.App.main(App.java)\r\n",
         nullptr},
        {"main=throw java/lang/Error\n", "com/example/App",
         "Exception in thread \"main\" java.lang.Error\r\n\tat com.example.App.main(App.java)\r\n",
         nullptr},
        {"", "com.example.App",
         "Exception in thread \"main\" java.lang.NoClassDefFoundError: com.example.App\r\n",
         "host: no class"},
        {"nomain\n", "com/example/App",
         "Exception in thread \"main\" java.lang.NoSuchMethodError: main\r\n", nullptr},
        {"nomain=quiet\n", "com/example/App", "", "host: no main, nothing pending"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script);
        script(std::string(appScript) + c.script);
        const Outcome outcome = host({"run", c.mainClass});
        EXPECT_EQ(c.stderrText, outcome.err);
        if (c.hostLine != nullptr) {
            EXPECT_NE(std::string::npos, outcome.out.find(c.hostLine));
        }
    }
    EXPECT_EQ(std::string::npos, readFile(folder + "\\stdout.txt").find("after"));
}

TEST_F(FakeJvm, RedirectedStreamsWriteIntoTheirFiles) {
    script(std::string(appScript) +
           "main=out to out;err to err;throw java/lang/RuntimeException x\n");
    writeFile(folder + "\\out.txt", "old content that must go");
    const Outcome outcome =
        host({"run", "--out", "out.txt", "--err", folder + "\\err.txt", "com/example/App"});
    EXPECT_EQ(0u, outcome.exitCode);
    EXPECT_EQ("to out\r\n", readFile(folder + "\\out.txt"));
    EXPECT_EQ("to err\r\nException in thread \"main\" java.lang.RuntimeException: x\r\n"
              "\tat com.example.App.main(App.java)\r\n",
              readFile(folder + "\\err.txt"));
    EXPECT_EQ("", javaOutput(outcome.out));
    EXPECT_EQ("", outcome.err);
    const std::size_t setOut = outcome.log.find("setOut out.txt\n");
    EXPECT_NE(std::string::npos, setOut);
    EXPECT_LT(setOut, outcome.log.find("setErr " + folder + "\\err.txt\n"));
}

TEST_F(FakeJvm, FailedRedirectionLeavesTheStreamAlone) {
    struct Case {
        const char* script;
        const char* file;
        const char* described;
    };
    const Case cases[] = {
        {"", "no such folder\\out.txt", "java.io.FileNotFoundException: no such folder\\out.txt ("},
        {"hide=java/io/PrintStream\n", "out.txt", "java.lang.NoClassDefFoundError: java/io/PrintStream"},
        {"fail=java/lang/System.setOut java/lang/SecurityException not allowed\n", "out.txt",
         "java.lang.SecurityException: not allowed\r\n\tat java.lang.System.setOut(System.java)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script);
        script(std::string(appScript) + c.script + "main=out still here\n");
        const Outcome outcome = host({"run", "--out", c.file, "com/example/App"});
        EXPECT_EQ(0u, outcome.exitCode);
        EXPECT_EQ("still here\r\n", javaOutput(outcome.out));
        EXPECT_NE(std::string::npos, outcome.err.find(c.described)) << outcome.err;
    }
}

TEST_F(FakeJvm, StackTraceCanBeCapturedIntoMemory) {
    script(std::string(appScript) + "main=throw java/lang/IllegalArgumentException bad input\n");
    const Outcome outcome = host({"run", "--capture", "com/example/App"});
    EXPECT_EQ(0u, outcome.exitCode);
    const std::string trace =
        "java.lang.IllegalArgumentException: bad input\r\n\tat com.example.App.main(App.java)\r\n";
    EXPECT_NE(std::string::npos, outcome.out.find("host: captured [" + trace + "]"));
    EXPECT_NE(std::string::npos,
              outcome.log.find("printStackTrace java/lang/IllegalArgumentException\n"
                               "printStackTrace captured " +
                               std::to_string(trace.size()) + " bytes\n"));
}

TEST_F(FakeJvm, SystemExitEndsTheProcessWithItsStatus) {
    script(std::string(appScript) + "main=out first;exit 7;out never\n");
    const Outcome outcome = host({"run", "com/example/App"});
    EXPECT_EQ(7u, outcome.exitCode);
    EXPECT_EQ("first\r\n", javaOutput(outcome.out));
    EXPECT_NE(std::string::npos, outcome.log.find("System.exit 7\n"));
    EXPECT_EQ(std::string::npos, outcome.log.find("DestroyJavaVM"));
}

TEST_F(FakeJvm, DestroyWaitsForTheProgramsThreads) {
    script(std::string(appScript) + "main=spawn 300 late;out early\n");
    const Outcome outcome = host({"run", "com/example/App"});
    EXPECT_EQ(0u, outcome.exitCode);
    EXPECT_EQ("early\r\nlate\r\n", javaOutput(outcome.out));
    const std::size_t destroy = outcome.log.find("DestroyJavaVM\n");
    const std::size_t ended = outcome.log.find("Thread-0 ended\n");
    const std::size_t done = outcome.log.find("DestroyJavaVM done\n");
    EXPECT_LT(destroy, ended);
    EXPECT_LT(ended, done);
    EXPECT_NE(std::string::npos, done);
}

TEST_F(FakeJvm, OtherThreadsAttachAndCallIn) {
    script(std::string(appScript) +
           "main=await secondaryMain 1 10000;out main ends\n"
           "secondaryMain=args;out second done\n");
    Outcome outcome = host({"run", "--forward", "handed over", "com/example/App"});
    EXPECT_EQ(0u, outcome.exitCode) << outcome.err;
    EXPECT_EQ("arg[0]=handed over\r\nsecond done\r\nmain ends\r\n", javaOutput(outcome.out));
    EXPECT_NE(std::string::npos, outcome.log.find("AttachCurrentThread Thread-0\n"));
    EXPECT_NE(std::string::npos, outcome.log.find("secondaryMain arg[0]=handed over\n"));
    EXPECT_NE(std::string::npos, outcome.log.find("DetachCurrentThread Thread-0\n"));

    script(std::string(appScript) + "main=await stop 1 10000\nstop=throw java/lang/Exception no\n");
    outcome = host({"run", "--stop", "com/example/App"});
    EXPECT_EQ(0u, outcome.exitCode);
    EXPECT_EQ("Exception in thread \"Thread-0\" java.lang.Exception: no\r\n"
              "\tat com.example.App.stop(App.java)\r\n",
              outcome.err);
    EXPECT_EQ(std::string::npos, outcome.log.find("timed out"));
}

TEST_F(FakeJvm, MethodsWaitForEachOtherAndCreationCanBeSlow) {
    // main holds until stop releases it, as a service's main holds until stopped.
    script(std::string(appScript) + "createDelay=300\nmain=wait selftest-release 10000;out released\n"
                                    "stop=signal selftest-release\n");
    const DWORD started = GetTickCount();
    const Outcome outcome = host({"run", "--stop", "com/example/App"});
    EXPECT_GE(GetTickCount() - started, 280u); // the tick counts in steps of about 16 ms
    EXPECT_EQ(0u, outcome.exitCode) << outcome.err;
    EXPECT_EQ("released\r\n", javaOutput(outcome.out));
    EXPECT_NE(std::string::npos, outcome.log.find("signal selftest-release\n")) << outcome.log;
    EXPECT_EQ(std::string::npos, outcome.log.find("timed out")) << outcome.log;

    script(std::string(appScript) + "main=wait selftest-never 200;out gave up\n");
    const Outcome alone = host({"run", "com/example/App"});
    EXPECT_EQ("gave up\r\n", javaOutput(alone.out));
    EXPECT_NE(std::string::npos, alone.log.find("wait selftest-never timed out\n"));
}

TEST_F(FakeJvm, ScriptedAttachAndDetachResults) {
    script(std::string(appScript) + "detach=-1\n");
    Outcome outcome = host({"run", "com/example/App"});
    EXPECT_EQ(1u, outcome.exitCode);
    EXPECT_NE(std::string::npos, outcome.out.find("host: destroy 0"));

    script(std::string(appScript) + "attach=-2\nstop=out never\n");
    outcome = host({"run", "--stop", "com/example/App"});
    EXPECT_NE(std::string::npos, outcome.out.find("host: attach failed"));
    EXPECT_NE(std::string::npos, outcome.log.find("AttachCurrentThread refused -2\n"));
}

TEST_F(FakeJvm, EnvironmentAndFolderAreVisibleToTheProgram) {
    script(std::string(appScript) + "main=env FAKEJVM_TEST_VALUE;env FAKEJVM_UNSET;cwd\n");
    SetEnvironmentVariableA("FAKEJVM_TEST_VALUE", "C:\\somewhere");
    const Outcome outcome = host({"run", "com/example/App"});
    SetEnvironmentVariableA("FAKEJVM_TEST_VALUE", nullptr);
    EXPECT_EQ("FAKEJVM_TEST_VALUE=C:\\somewhere\r\nFAKEJVM_UNSET is not set\r\n" + folder + "\r\n",
              javaOutput(outcome.out));
}

TEST_F(FakeJvm, LibraryWithoutDefaultsExportsOnlyCreation) {
    const Outcome outcome = host({"exports"});
    EXPECT_NE(std::string::npos, outcome.out.find("host: create found, defaults missing"));
}

TEST_F(FakeJvm, MisuseEndsTheProcess) {
    struct Case {
        const char* scenario;
        DWORD exitCode;
        const char* diagnostic;
    };
    const Case cases[] = {
        {"pending", 98, "fakejvm: FATAL FindClass called with java.lang.NoClassDefFoundError pending"},
        {"thread", 98, "fakejvm: FATAL FindClass: JNIEnv of main used on another thread"},
        {"detach", 98, "fakejvm: FATAL DetachCurrentThread on a thread that is not attached"},
        {"slot", 97, "fakejvm: unexpected JNI call GetVersion"},
        {"deleted", 98, "fakejvm: FATAL GetMethodID: local reference used after it was deleted"},
        {"wrongcall", 98, "fakejvm: FATAL CallVoidMethodV: not an instance method ID"},
        {"release", 98, "fakejvm: FATAL ReleaseStringUTFChars: chars not obtained"},
        {"ended", 98, "fakejvm: FATAL thread Thread-0 ended without DetachCurrentThread"},
    };
    script(appScript);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.scenario);
        const Outcome outcome = host({c.scenario});
        EXPECT_EQ(c.exitCode, outcome.exitCode);
        EXPECT_EQ(0u, outcome.err.find(c.diagnostic)) << outcome.err;
        EXPECT_EQ(std::string::npos, outcome.out.find("unnoticed"));
    }
}

TEST_F(FakeJvm, BrokenScriptIsFatal) {
    script("class=com/example/App\nmian=out typo\n");
    const Outcome outcome = host({"run", "com/example/App"});
    EXPECT_EQ(98u, outcome.exitCode);
    EXPECT_NE(std::string::npos, outcome.err.find("unknown key 'mian'"));
}

// ---- the script parser on its own ----------------------------------------------

TEST(ScriptParser, ReadsEveryKey) {
    fakejvm::Script script;
    std::string error;
    ASSERT_TRUE(fakejvm::parseScript(
        "# comment\r\n"
        "create=-4\r\n"
        "createDelay=250\n"
        "reject=-Xfoo\n"
        "loaded=user32.dll\n"
        "loaded=gdi32.dll\n"
        "defaultStackSize=0x100000\n"
        "class=com/example/App\n"
        "main=out a b ; args;throw java/lang/Error  two  spaces\n"
        "\n"
        "nomain=quiet\n"
        "secondaryMain=\n"
        "stop=exit 3\n"
        "hide=java/lang/System.exit\n"
        "fail=java/io/FileOutputStream.<init> java/io/FileNotFoundException denied here\n"
        "attach=-2\n"
        "detach=-1\n",
        script, error))
        << error;
    EXPECT_EQ(-4, script.createResult);
    EXPECT_EQ(250, script.createDelayMs);
    EXPECT_EQ(std::vector<std::string>{"-Xfoo"}, script.rejectedOptions);
    EXPECT_EQ((std::vector<std::string>{"user32.dll", "gdi32.dll"}), script.reportedModules);
    EXPECT_EQ(0x100000, script.defaultStackSize);
    EXPECT_EQ("com/example/App", script.mainClass);
    ASSERT_EQ(3u, script.main.size());
    EXPECT_EQ("out", script.main[0].verb);
    EXPECT_EQ("a b ", script.main[0].text);
    EXPECT_EQ("args", script.main[1].verb);
    EXPECT_EQ("java/lang/Error  two  spaces", script.main[2].text);
    EXPECT_FALSE(script.hasMain);
    EXPECT_TRUE(script.mainMissingQuietly);
    EXPECT_TRUE(script.hasSecondaryMain);
    EXPECT_TRUE(script.secondaryMain.empty());
    ASSERT_EQ(1u, script.stop.size());
    EXPECT_EQ(std::vector<std::string>{"java/lang/System.exit"}, script.hidden);
    const fakejvm::Failure& failure = script.failures.at("java/io/FileOutputStream.<init>");
    EXPECT_EQ("java/io/FileNotFoundException", failure.exceptionClass);
    EXPECT_EQ("denied here", failure.message);
    EXPECT_EQ(-2, script.attachResult);
    EXPECT_EQ(-1, script.detachResult);
}

TEST(ScriptParser, RejectsMistakesAndKeepsTheScript) {
    const char* const broken[] = {
        "create=four\n", "main=out a;jump b\n", "nomain=loud\n", "fail=java/lang/System.exit\n",
        "colour=blue\n", "detach=\n", "createDelay=-5\n", "loaded=\n",
    };
    for (const char* text : broken) {
        SCOPED_TRACE(text);
        fakejvm::Script script;
        script.mainClass = "untouched";
        std::string error;
        EXPECT_FALSE(fakejvm::parseScript(std::string("class=x\n") + text, script, error));
        EXPECT_EQ("untouched", script.mainClass);
        EXPECT_EQ(0u, error.find("line 2 ")) << error;
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 4 && std::strcmp(argv[1], "--host") == 0) {
        return runHost(argc, argv);
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
