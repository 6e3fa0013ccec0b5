#include "FakeJvm.h"

// fakejvm.log, beside the DLL, is appended to and never truncated: a test
// deletes it before a run. One event per line, LF-terminated:
//
//   GetDefaultJavaVMInitArgs version=0x00010001 javaStackSize=<n> result=-1
//   CreateJavaVM version=0x<8 hex> nOptions=<n> ignoreUnrecognized=<0|1> stack=<bytes>
//   loaded <dll>=<0|1>   per scripted loaded=, before the options
//   option[<i>]=<optionString>[ (extraInfo set)]
//   CreateJavaVM result=<code>
//   AttachCurrentThread <name>[ (already attached)][ with attach arguments]
//   AttachCurrentThread refused <code> | AttachCurrentThread after DestroyJavaVM
//   FileOutputStream <name> | FileOutputStream <name> failed <win32 error>
//   setOut <target> | setErr <target>     target: file name, memory, stdout, stderr, null
//   main argc=<n>, then main arg[<i>]=<bytes> per argument (or main args=null)
//   secondaryMain argc=<n> ... likewise | stop called
//   <method> returned | <method> threw <slash class name>
//   spawn Thread-<n> | Thread-<n> ended
//   await <method> timed out | wait <name> timed out | signal <name>
//   ExceptionDescribe <dotted class>[: <message>] | ExceptionDescribe (nothing pending)
//   ExceptionClear <dotted class>
//   printStackTrace <slash class name>
//   printStackTrace captured <n> bytes   (the launcher read the captured text)
//   <class>.<method> throws <exception class>   (a scripted fail=)
//   System.exit <n>
//   DetachCurrentThread <name>[ with <dotted class> pending]
//   DestroyJavaVM, then DestroyJavaVM done once the other threads are gone
//   and the hooks have run; before it, DestroyJavaVM leaves attached: <names>
//   for threads that attached while the hooks ran
//   hook Thread-<n> runs | hook Thread-<n> ends
//   removeShutdownHook refused: shutdown in progress
//   frozen <name>   (a thread still attached came back after the JVM exited)
//   createWait <name> timed out
//   FATAL <diagnostic> | unexpected JNI call <slot>
//   script <path> missing, defaults used
//
// Thread names: "main" for the thread that created the JVM, Thread-<n> for
// attached threads and the program's own, numbered from 0 in order.

namespace fakejvm {
namespace {

CRITICAL_SECTION worldLock;
CRITICAL_SECTION logLock;
HANDLE logFile = INVALID_HANDLE_VALUE;

struct LockSetUp {
    LockSetUp() {
        InitializeCriticalSection(&worldLock);
        InitializeCriticalSection(&logLock);
    }
} lockSetUp;

}  // namespace

std::string readWholeFile(const std::string& path, bool& found) {
    std::string text;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    found = file != INVALID_HANDLE_VALUE;
    if (!found) {
        return text;
    }
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) {
        text.append(buffer, got);
    }
    CloseHandle(file);
    return text;
}

Locked::Locked() {
    EnterCriticalSection(&worldLock);
}

Locked::~Locked() {
    LeaveCriticalSection(&worldLock);
}

const std::string& moduleFolder() {
    static const std::string folder = [] {
        HMODULE self = nullptr;
        char path[MAX_PATH] = {};
        if (GetModuleHandleExA(
                GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                reinterpret_cast<LPCSTR>(&moduleFolder), &self)) {
            GetModuleFileNameA(self, path, MAX_PATH);
        }
        std::string text = path;
        const std::size_t slash = text.find_last_of("\\/");
        return slash == std::string::npos ? std::string() : text.substr(0, slash + 1);
    }();
    return folder;
}

const Script& script() {
    static const Script loaded = [] {
        Script parsed;
        bool found = false;
        const std::string path = moduleFolder() + "fakejvm.ini";
        const std::string text = readWholeFile(path, found);
        std::string error;
        if (!found) {
            logLine("script " + path + " missing, defaults used");
        } else if (!parseScript(text, parsed, error)) {
            fatal("script " + path + ": " + error);
        }
        return parsed;
    }();
    return loaded;
}

void writeStd(DWORD which, const std::string& bytes) {
    HANDLE handle = GetStdHandle(which);
    DWORD written = 0;
    if (handle != nullptr && handle != INVALID_HANDLE_VALUE && !bytes.empty()) {
        WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    }
}

void logLine(const std::string& line) {
    EnterCriticalSection(&logLock);
    if (logFile == INVALID_HANDLE_VALUE) {
        // Append-only access makes every line one atomic append, even with
        // another process writing the same log.
        logFile = CreateFileA((moduleFolder() + "fakejvm.log").c_str(), FILE_APPEND_DATA,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    const std::string text = line + "\n";
    DWORD written = 0;
    if (logFile != INVALID_HANDLE_VALUE) {
        WriteFile(logFile, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    }
    LeaveCriticalSection(&logLock);
}

void fatal(const std::string& text) {
    writeStd(STD_ERROR_HANDLE, "fakejvm: FATAL " + text + "\n");
    logLine("FATAL " + text);
    ExitProcess(98);
}

void unexpectedCall(const char* slot) {
    writeStd(STD_ERROR_HANDLE, std::string("fakejvm: unexpected JNI call ") + slot + "\n");
    logLine(std::string("unexpected JNI call ") + slot);
    ExitProcess(97);
}

}  // namespace fakejvm
