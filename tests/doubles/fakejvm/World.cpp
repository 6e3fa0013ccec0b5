#include "FakeJvm.h"

#include <algorithm>
#include <map>
#include <memory>
#include <set>

namespace fakejvm {
namespace {

struct Ref {
    Object* object = nullptr;
    ThreadState* owner = nullptr;
    bool live = true;
};

// All guarded by the world lock.
std::set<const Ref*> allRefs;
std::map<std::string, Object*> classes;
std::set<std::string> throwableClasses;
std::vector<std::unique_ptr<Method>> methods;
Object* outStream = nullptr;
Object* errStream = nullptr;

const char* const builtInClasses[] = {
    "java/lang/Object",     "java/lang/String",  "java/lang/System",
    "java/lang/Throwable",  "java/io/OutputStream", "java/io/FileOutputStream",
    "java/io/PrintStream",  "java/io/ByteArrayOutputStream",
    "java/lang/Runtime",    "java/lang/IllegalStateException",
};
Object* theRuntime = nullptr;

void addMethod(const std::string& className, const std::string& name,
               const std::string& signature, bool isStatic, Body body) {
    auto method = std::make_unique<Method>();
    method->className = className;
    method->name = name;
    method->signature = signature;
    method->isStatic = isStatic;
    method->body = body;
    methods.push_back(std::move(method));
}

void buildWorld() {
    if (!classes.empty()) {
        return;
    }
    const Script& program = script();
    for (const char* name : builtInClasses) {
        classes[name] = nullptr;
    }
    throwableClasses.insert("java/lang/Throwable");
    throwableClasses.insert("java/lang/IllegalStateException");
    addMethod("java/lang/String", "<init>", "([B)V", false, Body::StringInit);
    addMethod("java/io/FileOutputStream", "<init>", "(Ljava/lang/String;)V", false,
              Body::FileStreamInit);
    addMethod("java/io/PrintStream", "<init>", "(Ljava/io/OutputStream;)V", false,
              Body::PrintStreamInit);
    addMethod("java/io/ByteArrayOutputStream", "<init>", "()V", false, Body::MemoryStreamInit);
    addMethod("java/io/ByteArrayOutputStream", "toString", "()Ljava/lang/String;", false,
              Body::MemoryStreamToString);
    addMethod("java/lang/Throwable", "printStackTrace", "(Ljava/io/PrintStream;)V", false,
              Body::PrintStackTrace);
    addMethod("java/lang/System", "setOut", "(Ljava/io/PrintStream;)V", true, Body::SetOut);
    addMethod("java/lang/System", "setErr", "(Ljava/io/PrintStream;)V", true, Body::SetErr);
    addMethod("java/lang/System", "exit", "(I)V", true, Body::Exit);
    addMethod("java/lang/Runtime", "getRuntime", "()Ljava/lang/Runtime;", true, Body::GetRuntime);
    addMethod("java/lang/Runtime", "removeShutdownHook", "(Ljava/lang/Thread;)Z", false,
              Body::RemoveShutdownHook);
    if (!program.mainClass.empty()) {
        classes[program.mainClass] = nullptr;
        if (program.hasMain) {
            addMethod(program.mainClass, "main", "([Ljava/lang/String;)V", true, Body::Main);
        }
        if (program.hasSecondaryMain) {
            addMethod(program.mainClass, "secondaryMain", "([Ljava/lang/String;)V", true,
                      Body::SecondaryMain);
        }
        if (program.hasStop) {
            addMethod(program.mainClass, "stop", "()V", true, Body::Stop);
        }
    }
}

bool isHidden(const std::string& what) {
    const std::vector<std::string>& hidden = script().hidden;
    return std::find(hidden.begin(), hidden.end(), what) != hidden.end();
}

// Creates the class object on first use; exception classes come into being
// when something throws them, as if loaded then.
Object* classObject(const std::string& name) {
    Object*& slot = classes[name];
    if (slot == nullptr) {
        slot = newObject(Kind::Class, "java/lang/Class");
        slot->name = name;
    }
    return slot;
}

std::string headline(const Object& throwable) {
    std::string text = dotted(throwable.className);
    if (throwable.hasMessage) {
        text += ": " + throwable.bytes;
    }
    return text;
}

std::string traceOf(const Object& throwable) {
    std::string text = headline(throwable) + "\r\n";
    if (!throwable.where.empty()) {
        text += "\tat " + throwable.where + "\r\n";
    }
    return text;
}

// The stream at the end of a chain of print streams.
Object* sinkOf(Object* stream) {
    while (stream != nullptr && stream->kind == Kind::PrintStream) {
        stream = stream->target;
    }
    return stream;
}

void writeTo(Object* stream, const std::string& bytes) {
    Locked locked;
    Object* sink = sinkOf(stream);
    if (sink == nullptr) {
        return;
    }
    DWORD written = 0;
    switch (sink->kind) {
        case Kind::FileStream:
            WriteFile(sink->file, bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                      nullptr);
            break;
        case Kind::StdStream:
            writeStd(sink->stdHandle, bytes);
            break;
        case Kind::MemoryStream:
            sink->bytes += bytes;
            break;
        default:
            break;
    }
}

std::string streamName(Object* stream) {
    Object* sink = sinkOf(stream);
    if (sink == nullptr) {
        return "null";
    }
    switch (sink->kind) {
        case Kind::FileStream:
        case Kind::StdStream:
            return sink->name;
        case Kind::MemoryStream:
            return "memory";
        default:
            return "?";
    }
}

bool isStream(const Object* object) {
    return object->kind == Kind::FileStream || object->kind == Kind::StdStream ||
           object->kind == Kind::MemoryStream || object->kind == Kind::PrintStream;
}

Object* standardStream(DWORD which, const char* name) {
    Object* sink = newObject(Kind::StdStream, "java/io/FileOutputStream");
    sink->stdHandle = which;
    sink->name = name;
    Object* print = newObject(Kind::PrintStream, "java/io/PrintStream");
    print->target = sink;
    return print;
}

std::string systemErrorText(DWORD code) {
    char buffer[512] = {};
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, code, 0, buffer, sizeof buffer, nullptr);
    std::string text(buffer, length);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == '.')) {
        text.pop_back();
    }
    return text.empty() ? "error " + std::to_string(code) : text;
}

void openFileStream(ThreadState& thread, Object* self, Object* name) {
    const std::string frame = frameOf("java/io/FileOutputStream", "<init>");
    if (name == nullptr) {
        throwNew(thread, "java/lang/NullPointerException", "", frame);
        return;
    }
    HANDLE file = CreateFileA(name->bytes.c_str(), GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        logLine("FileOutputStream " + name->bytes + " failed " + std::to_string(code));
        throwNew(thread, "java/io/FileNotFoundException",
                 name->bytes + " (" + systemErrorText(code) + ")", frame);
        return;
    }
    Locked locked;
    self->file = file;
    self->name = name->bytes;
    logLine("FileOutputStream " + name->bytes);
}

void runProgramMethod(ThreadState& thread, const Method& method, const std::vector<Value>& args) {
    const Script& program = script();
    Object* arguments = args.empty() ? nullptr : args[0].object;
    if (method.body != Body::Stop) {
        if (arguments == nullptr) {
            logLine(method.name + " args=null");
        } else {
            logLine(method.name + " argc=" + std::to_string(arguments->elements.size()));
            for (std::size_t i = 0; i < arguments->elements.size(); ++i) {
                const Object* element = arguments->elements[i];
                logLine(method.name + " arg[" + std::to_string(i) +
                        "]=" + (element == nullptr ? std::string("null") : element->bytes));
            }
        }
    } else {
        logLine("stop called");
    }
    const std::vector<Action>& body = method.body == Body::Main            ? program.main
                                      : method.body == Body::SecondaryMain ? program.secondaryMain
                                                                           : program.stop;
    runActions(thread, body, arguments, frameOf(method.className, method.name));
    Object* thrown = nullptr;
    {
        Locked locked;
        thrown = thread.pending;
    }
    logLine(method.name + (thrown == nullptr ? " returned" : " threw " + thrown->className));
    if (method.body != Body::Main) {
        countFinished(method.name);
    }
}

}  // namespace

Object* newObject(Kind kind, const std::string& className) {
    Object* object = new Object;
    object->kind = kind;
    object->className = className;
    return object;
}

jobject localRef(ThreadState& thread, Object* object) {
    if (object == nullptr) {
        return nullptr;
    }
    Locked locked;
    Ref* ref = new Ref;
    ref->object = object;
    ref->owner = &thread;
    allRefs.insert(ref);
    return reinterpret_cast<jobject>(ref);
}

Object* resolve(ThreadState& thread, jobject handle, const char* call) {
    if (handle == nullptr) {
        return nullptr;
    }
    Locked locked;
    const Ref* ref = reinterpret_cast<const Ref*>(handle);
    if (allRefs.count(ref) == 0) {
        fatal(std::string(call) + ": not a reference handed out by this JVM");
    }
    if (!ref->live) {
        fatal(std::string(call) + ": local reference used after it was deleted");
    }
    if (ref->owner != &thread) {
        fatal(std::string(call) + ": local reference of thread " + ref->owner->name +
              " used on thread " + thread.name);
    }
    return ref->object;
}

void deleteLocalRef(ThreadState& thread, jobject handle) {
    if (handle == nullptr) {
        return;
    }
    Locked locked;
    resolve(thread, handle, "DeleteLocalRef");
    reinterpret_cast<Ref*>(handle)->live = false;
}

void dropLocalRefs(ThreadState& thread) {
    Locked locked;
    for (const Ref* ref : allRefs) {
        if (ref->owner == &thread) {
            const_cast<Ref*>(ref)->live = false;
        }
    }
}

std::string dotted(const std::string& className) {
    std::string text = className;
    std::replace(text.begin(), text.end(), '/', '.');
    return text;
}

std::string frameOf(const std::string& className, const std::string& method) {
    const std::size_t slash = className.rfind('/');
    const std::string simple = slash == std::string::npos ? className : className.substr(slash + 1);
    return dotted(className) + "." + method + "(" + simple + ".java)";
}

void throwNew(ThreadState& thread, const std::string& className, const std::string& message,
              const std::string& where) {
    Locked locked;
    buildWorld();
    classObject(className);
    throwableClasses.insert(className);
    Object* throwable = newObject(Kind::Throwable, className);
    throwable->hasMessage = !message.empty();
    throwable->bytes = message;
    throwable->where = where;
    thread.pending = throwable;
}

void describePending(ThreadState& thread) {
    Object* throwable = nullptr;
    {
        Locked locked;
        throwable = thread.pending;
        thread.pending = nullptr;
    }
    if (throwable == nullptr) {
        logLine("ExceptionDescribe (nothing pending)");
        return;
    }
    logLine("ExceptionDescribe " + headline(*throwable));
    writeTo(systemErr(), "Exception in thread \"" + thread.name + "\" " + traceOf(*throwable));
}

Object* systemOut() {
    Locked locked;
    if (outStream == nullptr) {
        outStream = standardStream(STD_OUTPUT_HANDLE, "stdout");
    }
    return outStream;
}

Object* systemErr() {
    Locked locked;
    if (errStream == nullptr) {
        errStream = standardStream(STD_ERROR_HANDLE, "stderr");
    }
    return errStream;
}

void println(Object* stream, const std::string& text) {
    writeTo(stream, text + "\r\n");
}

void systemExit(int status) {
    logLine("System.exit " + std::to_string(status));
    if (beginShutdown()) {
        runShutdownHooks();
    }
    if (exitHook != nullptr) {
        logLine("exit hook " + std::to_string(status));
        exitHook(status);
    }
    ExitProcess(static_cast<UINT>(status));
}

Object* findClass(ThreadState& thread, const std::string& name) {
    Locked locked;
    buildWorld();
    if (classes.count(name) == 0 || isHidden(name)) {
        throwNew(thread, "java/lang/NoClassDefFoundError", name, "");
        return nullptr;
    }
    return classObject(name);
}

Object* classOf(const Object& object) {
    Locked locked;
    buildWorld();
    return classObject(object.className);
}

const Method* findMethod(ThreadState& thread, Object* clazz, const std::string& name,
                         const std::string& signature, bool isStatic) {
    Locked locked;
    buildWorld();
    const std::string& owner = clazz->name;
    const Script& program = script();
    if (owner == program.mainClass && name == "main" && !program.hasMain &&
        program.mainMissingQuietly) {
        return nullptr;
    }
    for (const auto& method : methods) {
        const bool inherited = !isStatic && method->className == "java/lang/Throwable" &&
                               throwableClasses.count(owner) != 0;
        if ((method->className == owner || inherited) && method->name == name &&
            method->signature == signature && method->isStatic == isStatic &&
            !isHidden(owner + "." + name) && !isHidden(method->className + "." + name)) {
            return method.get();
        }
    }
    // Raised by the lookup itself, so the trace has no Java frame.
    throwNew(thread, "java/lang/NoSuchMethodError", name, "");
    return nullptr;
}

const Method* methodOf(jmethodID id) {
    Locked locked;
    for (const auto& method : methods) {
        if (reinterpret_cast<jmethodID>(method.get()) == id) {
            return method.get();
        }
    }
    return nullptr;
}

Object* invoke(ThreadState& thread, const Method& method, Object* self,
               const std::vector<Value>& args) {
    const auto failure = script().failures.find(method.className + "." + method.name);
    if (failure != script().failures.end()) {
        logLine(method.className + "." + method.name + " throws " +
                failure->second.exceptionClass);
        throwNew(thread, failure->second.exceptionClass, failure->second.message,
                 frameOf(method.className, method.name));
        return nullptr;
    }
    Object* arg = args.empty() ? nullptr : args[0].object;
    switch (method.body) {
        case Body::StringInit:
            if (arg == nullptr) {
                throwNew(thread, "java/lang/NullPointerException", "",
                         frameOf(method.className, method.name));
            } else {
                self->bytes = arg->bytes;
            }
            return nullptr;
        case Body::FileStreamInit:
            openFileStream(thread, self, arg);
            return nullptr;
        case Body::PrintStreamInit:
            if (arg == nullptr) {
                throwNew(thread, "java/lang/NullPointerException", "Null output stream",
                         frameOf(method.className, method.name));
            } else if (!isStream(arg)) {
                fatal("PrintStream.<init> given a " + arg->className + " as its OutputStream");
            } else {
                self->target = arg;
            }
            return nullptr;
        case Body::MemoryStreamInit:
            return nullptr;
        case Body::MemoryStreamToString: {
            Object* text = newObject(Kind::String, "java/lang/String");
            text->bytes = self->bytes;
            text->holdsTrace = self->holdsTrace;
            return text;
        }
        case Body::PrintStackTrace:
            if (arg == nullptr) {
                throwNew(thread, "java/lang/NullPointerException", "",
                         frameOf("java/lang/Throwable", "printStackTrace"));
                return nullptr;
            }
            if (arg->kind != Kind::PrintStream) {
                fatal("printStackTrace given a " + arg->className + " as its PrintStream");
            }
            logLine("printStackTrace " + self->className);
            writeTo(arg, traceOf(*self));
            {
                Locked locked;
                sinkOf(arg)->holdsTrace = true;
            }
            return nullptr;
        case Body::SetOut:
        case Body::SetErr:
            if (arg != nullptr && arg->kind != Kind::PrintStream) {
                fatal("System." + method.name + " given a " + arg->className);
            }
            {
                Locked locked;
                (method.body == Body::SetOut ? outStream : errStream) = arg;
            }
            logLine(method.name + " " + streamName(arg));
            return nullptr;
        case Body::Exit:
            systemExit(args.empty() ? 0 : args[0].primitive.i);
        case Body::GetRuntime: {
            Locked locked;
            if (theRuntime == nullptr) {
                theRuntime = newObject(Kind::Plain, "java/lang/Runtime");
            }
            return theRuntime;
        }
        case Body::RemoveShutdownHook: {
            // In the order the JDK checks: the shutdown first, then the hook.
            if (shutdownBegun()) {
                logLine("removeShutdownHook refused: shutdown in progress");
                throwNew(thread, "java/lang/IllegalStateException", "Shutdown in progress",
                         frameOf("java/lang/ApplicationShutdownHooks", "remove"));
                return nullptr;
            }
            if (arg == nullptr) {
                throwNew(thread, "java/lang/NullPointerException", "",
                         frameOf("java/lang/ApplicationShutdownHooks", "remove"));
                return nullptr;
            }
            // No program of this JVM registers hooks through JNI.
            thread.returnedBoolean = JNI_FALSE;
            return nullptr;
        }

        case Body::Main:
        case Body::SecondaryMain:
        case Body::Stop:
            runProgramMethod(thread, method, args);
            return nullptr;
    }
    return nullptr;
}

}  // namespace fakejvm
