#pragma once
// Inside the fake JVM library: a small Java world (objects, classes and the
// few methods the launcher names), the threads attached to it, and the log
// a test reads afterwards. Everything here is shared by the JNIEnv table,
// the JavaVM table and the exports; one process-wide lock guards it.

#include <windows.h>

#include <jni.h>

#include <string>
#include <vector>

#include "Script.h"

namespace fakejvm {

// ---- log and diagnostics (Log.cpp) ---------------------------------------

// Folder of this DLL with a trailing backslash.
const std::string& moduleFolder();
// The test's script, read from fakejvm.ini on first use; a broken script is
// fatal, a missing one gives the defaults.
const Script& script();
// Appends one line to fakejvm.log; written through at once, so it survives
// ExitProcess and can be read after the process has ended.
void logLine(const std::string& line);
// A fault of the caller: diagnostic on stderr and in the log, exit code 98.
[[noreturn]] void fatal(const std::string& text);
// A JNIEnv or JavaVM slot the launcher has no business calling: exit 97.
[[noreturn]] void unexpectedCall(const char* slot);
// Writes bytes to a standard handle of the process, ignoring failures.
void writeStd(DWORD which, const std::string& bytes);
// A file's bytes; empty, with `found` false, when it cannot be opened.
std::string readWholeFile(const std::string& path, bool& found);

// ---- the lock ------------------------------------------------------------

// Recursive; held only for bookkeeping, never while Java code sleeps or waits.
class Locked {
public:
    Locked();
    ~Locked();
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;
};

// ---- Java objects (World.cpp) --------------------------------------------

enum class Kind {
    Class,         // `name` is the class it stands for
    String,        // `bytes`, taken as the default charset's encoding
    ByteArray,     // `bytes`
    ObjectArray,   // `elements` of `elementClass`
    FileStream,    // java/io/FileOutputStream on `file`, named `name`
    StdStream,     // the process's stdout or stderr (`stdHandle`)
    MemoryStream,  // java/io/ByteArrayOutputStream: `bytes`
    PrintStream,   // java/io/PrintStream over `target`
    Throwable,     // `className`, `bytes` = message if `hasMessage`, `where` = frame
    Plain,         // any other object (a Thread, the Runtime): only its class
};

// Objects are never freed: a test process is short, and a stale reference
// must stay detectable instead of pointing at reused memory.
struct Object {
    Kind kind = Kind::Class;
    std::string className;
    std::string name;
    std::string bytes;
    bool hasMessage = false;
    std::string where;
    std::vector<Object*> elements;
    std::string elementClass;
    HANDLE file = INVALID_HANDLE_VALUE;
    DWORD stdHandle = 0;
    Object* target = nullptr;
    bool holdsTrace = false;  // a stack trace went into it (or it came from one)
};

enum class Body {
    StringInit,
    FileStreamInit,
    PrintStreamInit,
    MemoryStreamInit,
    MemoryStreamToString,
    PrintStackTrace,
    SetOut,
    SetErr,
    Exit,
    GetRuntime,
    RemoveShutdownHook,
    Main,
    SecondaryMain,
    Stop,
};

struct Method {
    std::string className;
    std::string name;
    std::string signature;
    bool isStatic = false;
    Body body = Body::Main;
};

// One argument of a call: objects already resolved from their references.
struct Value {
    Object* object = nullptr;
    jvalue primitive{};
};

// ---- threads (Invocation.cpp) --------------------------------------------

// Each attachment of a thread has its own JNIEnv; an env is traced back to
// its state through the registry, never by casting.
struct ThreadState {
    JNIEnv env{};
    DWORD threadId = 0;
    HANDLE thread = nullptr;  // owned, for telling whether it still runs
    std::string name;         // "main" for the creating thread, else Thread-<n>
    bool attached = false;
    Object* pending = nullptr;
    jboolean returnedBoolean = JNI_FALSE;  // of the latest boolean method
};

// The calling thread's state if it is attached, else null.
ThreadState* currentThread();
// Attaches thread `id` (whose handle it takes over) as "main" or under the
// next Thread-<n> name. Java threads of the program are attached before they
// start, so DestroyJavaVM cannot miss them.
ThreadState& attachThread(DWORD id, HANDLE handle, bool isMain);
// Detaches; the thread's local references die with it.
void detachThread(ThreadState& thread);
// The state that owns `env`; fatal for an env this JVM did not hand out, one
// of a detached thread, or one used on another thread than its own.
ThreadState& threadOf(JNIEnv* env, const char* call);
// The JNIEnv function table.
const JNINativeInterface_* envTable();

// ---- the program's own methods (Program.cpp) -------------------------------

// Runs a scripted body on `thread`; a `throw` leaves the exception pending.
void runActions(ThreadState& thread, const std::vector<Action>& actions, Object* arguments,
                const std::string& frame);
// Counts a finished secondaryMain or stop, for `await`.
void countFinished(const std::string& method);

// ---- the Java world (World.cpp) --------------------------------------------

Object* newObject(Kind kind, const std::string& className);
// A new local reference of `thread` to `object` (null for null).
jobject localRef(ThreadState& thread, Object* object);
// The object behind a reference; null for null. Fatal for a reference that
// this JVM did not hand out, one already deleted, or one of another thread.
Object* resolve(ThreadState& thread, jobject ref, const char* call);
// Deletes a local reference; fatal for one that is not live.
void deleteLocalRef(ThreadState& thread, jobject ref);
// Kills every local reference of a thread that detaches.
void dropLocalRefs(ThreadState& thread);

// Makes `className` pending on `thread`, thrown in frame `where`.
void throwNew(ThreadState& thread, const std::string& className, const std::string& message,
              const std::string& where);
// Prints the pending exception the way the JVM does and clears it.
void describePending(ThreadState& thread);

// The class object named `name`, or null with NoClassDefFoundError pending.
Object* findClass(ThreadState& thread, const std::string& name);
// The class object of an object's class.
Object* classOf(const Object& object);
// Looks a method up; null with NoSuchMethodError pending (or, for a main
// the script says is missing quietly, with nothing pending).
const Method* findMethod(ThreadState& thread, Object* clazz, const std::string& name,
                         const std::string& signature, bool isStatic);
// Whether `id` is one of the method IDs handed out.
const Method* methodOf(jmethodID id);
// Runs a method; returns its result object (null for void or on a throw).
// Called without the lock held, because program code may sleep or wait.
Object* invoke(ThreadState& thread, const Method& method, Object* self,
               const std::vector<Value>& args);

// Java-style text for a class name: slashes become dots.
std::string dotted(const std::string& className);
// A stack frame as a trace prints it: pkg.Class.method(Class.java).
std::string frameOf(const std::string& className, const std::string& method);
// println on a stream object (a PrintStream or what it wraps); CR LF ends
// the line, as on Windows.
void println(Object* stream, const std::string& text);
Object* systemOut();
Object* systemErr();
// System.exit: the shutdown hooks run, then the host's exit hook (the "exit"
// option), then the process ends with `status`.
[[noreturn]] void systemExit(int status);
extern void(JNICALL* exitHook)(jint status);

// ---- shutdown (Invocation.cpp) ---------------------------------------------

// Marks the shutdown as begun, unless it has; true for the caller that
// marked it, which must then run the hooks. From here on
// Runtime.removeShutdownHook is refused, as the JDK refuses it.
bool beginShutdown();
bool shutdownBegun();
// Runs the program's scripted hook, if any, on a thread of its own, and
// waits for it.
void runShutdownHooks();
// As HotSpot does once the JVM has exited: a thread still attached is
// frozen for good the next time it calls into the JVM or comes back from
// what it was doing in Java.
void freezeIfExited();

// ---- the program's events (Program.cpp) ------------------------------------

// The manual-reset event "fakejvm-<name>" of the session, made on first use
// and kept until the process ends.
HANDLE namedEvent(const std::string& name);

}  // namespace fakejvm
