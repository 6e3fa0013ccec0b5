#include "FakeJvm.h"

#include <cstdarg>
#include <cstddef>
#include <cstring>
#include <map>
#include <utility>

#include "JniSlots.h"

// The JNIEnv function table. Every entry checks its caller the way
// -Xcheck:jni would (right thread, no exception pending, live references,
// matching method IDs), and every slot the launcher has no use for traps.

namespace fakejvm {
namespace {

// ---- traps for every slot --------------------------------------------------

#define FAKEJVM_SLOT_NAME(name) #name,
constexpr const char* slotNames[] = {FAKEJVM_JNI_SLOTS(FAKEJVM_SLOT_NAME)};
#undef FAKEJVM_SLOT_NAME
#define FAKEJVM_SLOT_OFFSET(name) offsetof(JNINativeInterface_, name),
constexpr std::size_t slotOffsets[] = {FAKEJVM_JNI_SLOTS(FAKEJVM_SLOT_OFFSET)};
#undef FAKEJVM_SLOT_OFFSET
constexpr std::size_t slotCount = sizeof slotNames / sizeof *slotNames;

constexpr bool slotsMatchTable() {
    for (std::size_t i = 0; i < slotCount; ++i) {
        if (slotOffsets[i] != i * sizeof(void*)) {
            return false;
        }
    }
    return slotCount * sizeof(void*) == sizeof(JNINativeInterface_);
}
static_assert(slotsMatchTable(), "JniSlots.h does not follow jni.h");

using Trap = void(JNICALL*)();

// Never returns, so the arguments that __stdcall would have it pop do not matter.
template <std::size_t Slot>
void JNICALL trap() {
    unexpectedCall(slotNames[Slot]);
}

template <std::size_t... Slot>
void fillWithTraps(JNINativeInterface_& table, std::index_sequence<Slot...>) {
    static_assert(sizeof(Trap) == sizeof(void*), "function pointers are table slots");
    const Trap traps[] = {&trap<Slot>...};
    static_assert(sizeof traps == sizeof table, "one trap per slot");
    std::memcpy(static_cast<void*>(&table), traps, sizeof traps);
}

// ---- checks shared by the entries ------------------------------------------

// The caller's thread, with no exception allowed to be pending.
ThreadState& enter(JNIEnv* env, const char* call) {
    ThreadState& thread = threadOf(env, call);
    Locked locked;
    if (thread.pending != nullptr) {
        fatal(std::string(call) + " called with " + dotted(thread.pending->className) +
              " pending");
    }
    return thread;
}

void require(bool condition, const char* call, const char* what) {
    if (!condition) {
        fatal(std::string(call) + ": " + what);
    }
}

Object* requireClass(ThreadState& thread, jclass clazz, const char* call) {
    Object* object = resolve(thread, clazz, call);
    require(object != nullptr, call, "null class");
    require(object->kind == Kind::Class, call, "not a class reference");
    return object;
}

const Method& requireMethod(jmethodID id, const char* call) {
    const Method* method = methodOf(id);
    require(method != nullptr, call, "not a method ID of this JVM");
    return *method;
}

char returnTypeOf(const Method& method) {
    const std::size_t close = method.signature.find(')');
    return close == std::string::npos ? '?' : method.signature[close + 1];
}

bool returnsObject(const Method& method) {
    const char type = returnTypeOf(method);
    return type == 'L' || type == '[';
}

bool isThrowableReceiver(const Object& self, const Method& method) {
    return method.className == "java/lang/Throwable" && self.kind == Kind::Throwable;
}

// Parameter types of a descriptor, one letter each: 'L' for any reference.
std::string parameterTypes(const Method& method) {
    std::string types;
    const std::string& signature = method.signature;
    for (std::size_t i = 1; i < signature.size() && signature[i] != ')'; ++i) {
        bool reference = false;
        while (signature[i] == '[') {
            reference = true;
            ++i;
        }
        if (signature[i] == 'L') {
            reference = true;
            i = signature.find(';', i);
        }
        types += reference ? 'L' : signature[i];
    }
    return types;
}

Value argumentFromRef(ThreadState& thread, jobject ref, const char* call) {
    Value value;
    value.object = resolve(thread, ref, call);
    return value;
}

std::vector<Value> argumentsFromList(ThreadState& thread, const Method& method, va_list list,
                                     const char* call) {
    std::vector<Value> values;
    for (const char type : parameterTypes(method)) {
        Value value;
        switch (type) {
            case 'L':
                value = argumentFromRef(thread, va_arg(list, jobject), call);
                break;
            case 'J':
                value.primitive.j = va_arg(list, jlong);
                break;
            case 'F':
            case 'D':
                value.primitive.d = va_arg(list, double);
                break;
            default:  // the types narrower than int arrive promoted to int
                value.primitive.i = va_arg(list, jint);
                break;
        }
        values.push_back(value);
    }
    return values;
}

std::vector<Value> argumentsFromArray(ThreadState& thread, const Method& method,
                                      const jvalue* array, const char* call) {
    std::vector<Value> values;
    const std::string types = parameterTypes(method);
    require(types.empty() || array != nullptr, call, "null argument array");
    for (std::size_t i = 0; i < types.size(); ++i) {
        Value value;
        if (types[i] == 'L') {
            value = argumentFromRef(thread, array[i].l, call);
        } else {
            value.primitive = array[i];
        }
        values.push_back(value);
    }
    return values;
}

Kind kindOfInstance(const std::string& className) {
    if (className == "java/lang/String") {
        return Kind::String;
    }
    if (className == "java/io/FileOutputStream") {
        return Kind::FileStream;
    }
    if (className == "java/io/ByteArrayOutputStream") {
        return Kind::MemoryStream;
    }
    if (className == "java/io/PrintStream") {
        return Kind::PrintStream;
    }
    return Kind::Plain;
}

// The three shapes of a call differ only in where the arguments come from.
struct Arguments {
    va_list* list = nullptr;
    const jvalue* array = nullptr;
};

std::vector<Value> collect(ThreadState& thread, const Method& method, const Arguments& from,
                           const char* call) {
    if (from.list != nullptr) {
        return argumentsFromList(thread, method, *from.list, call);
    }
    return argumentsFromArray(thread, method, from.array, call);
}

jobject newObjectWith(JNIEnv* env, jclass clazz, jmethodID id, const Arguments& from,
                      const char* call) {
    ThreadState& thread = enter(env, call);
    Object* type = requireClass(thread, clazz, call);
    const Method& method = requireMethod(id, call);
    require(method.name == "<init>" && method.className == type->name, call,
            "method ID is not a constructor of that class");
    const std::vector<Value> args = collect(thread, method, from, call);
    Object* object = newObject(kindOfInstance(type->name), type->name);
    invoke(thread, method, object, args);
    // A constructor that throws yields no object.
    return thread.pending != nullptr ? nullptr : localRef(thread, object);
}

Object* callInstance(JNIEnv* env, jobject self, jmethodID id, const Arguments& from, char kind,
                     const char* call) {
    ThreadState& thread = enter(env, call);
    Object* receiver = resolve(thread, self, call);
    require(receiver != nullptr, call, "null receiver");
    const Method& method = requireMethod(id, call);
    require(!method.isStatic && method.name != "<init>", call, "not an instance method ID");
    require(method.className == receiver->className || isThrowableReceiver(*receiver, method),
            call, "method ID of another class than the receiver's");
    require(kind == 'L' ? returnsObject(method) : returnTypeOf(method) == kind, call,
            "method's return type does not fit this Call function");
    const std::vector<Value> args = collect(thread, method, from, call);
    return invoke(thread, method, receiver, args);
}

Object* callStatic(JNIEnv* env, jclass clazz, jmethodID id, const Arguments& from, char kind,
                   const char* call) {
    ThreadState& thread = enter(env, call);
    Object* type = requireClass(thread, clazz, call);
    const Method& method = requireMethod(id, call);
    require(method.isStatic, call, "not a static method ID");
    require(method.className == type->name, call, "method ID of another class");
    require(kind == 'L' ? returnsObject(method) : returnTypeOf(method) == kind, call,
            "method's return type does not fit this Call function");
    const std::vector<Value> args = collect(thread, method, from, call);
    return invoke(thread, method, nullptr, args);
}

void callStaticVoid(JNIEnv* env, jclass clazz, jmethodID id, const Arguments& from,
                    const char* call) {
    callStatic(env, clazz, id, from, 'V', call);
}

// ---- the entries -------------------------------------------------------------

jclass JNICALL jniFindClass(JNIEnv* env, const char* name) {
    ThreadState& thread = enter(env, "FindClass");
    require(name != nullptr, "FindClass", "null name");
    return static_cast<jclass>(localRef(thread, findClass(thread, name)));
}

jmethodID lookUpMethod(JNIEnv* env, jclass clazz, const char* name, const char* signature,
                       bool isStatic, const char* call) {
    ThreadState& thread = enter(env, call);
    Object* type = requireClass(thread, clazz, call);
    require(name != nullptr && signature != nullptr, call, "null name or descriptor");
    const Method* method = findMethod(thread, type, name, signature, isStatic);
    return reinterpret_cast<jmethodID>(const_cast<Method*>(method));
}

jmethodID JNICALL jniGetMethodID(JNIEnv* env, jclass clazz, const char* name,
                                 const char* signature) {
    return lookUpMethod(env, clazz, name, signature, false, "GetMethodID");
}

jmethodID JNICALL jniGetStaticMethodID(JNIEnv* env, jclass clazz, const char* name,
                                       const char* signature) {
    return lookUpMethod(env, clazz, name, signature, true, "GetStaticMethodID");
}

jclass JNICALL jniGetObjectClass(JNIEnv* env, jobject object) {
    ThreadState& thread = enter(env, "GetObjectClass");
    Object* target = resolve(thread, object, "GetObjectClass");
    require(target != nullptr, "GetObjectClass", "null object");
    return static_cast<jclass>(localRef(thread, classOf(*target)));
}

jobject JNICALL jniNewObjectV(JNIEnv* env, jclass clazz, jmethodID id, va_list list) {
    Arguments from;
    va_list copy;
    va_copy(copy, list);
    from.list = &copy;
    jobject result = newObjectWith(env, clazz, id, from, "NewObjectV");
    va_end(copy);
    return result;
}

jobject JNICALL jniNewObject(JNIEnv* env, jclass clazz, jmethodID id, ...) {
    va_list list;
    va_start(list, id);
    Arguments from;
    from.list = &list;
    jobject result = newObjectWith(env, clazz, id, from, "NewObject");
    va_end(list);
    return result;
}

jobject JNICALL jniNewObjectA(JNIEnv* env, jclass clazz, jmethodID id, const jvalue* args) {
    Arguments from;
    from.array = args;
    return newObjectWith(env, clazz, id, from, "NewObjectA");
}

jobject objectResult(JNIEnv* env, Object* result) {
    ThreadState& thread = threadOf(env, "CallObjectMethod");
    return thread.pending != nullptr ? nullptr : localRef(thread, result);
}

jobject JNICALL jniCallObjectMethodV(JNIEnv* env, jobject self, jmethodID id, va_list list) {
    Arguments from;
    va_list copy;
    va_copy(copy, list);
    from.list = &copy;
    Object* result = callInstance(env, self, id, from, 'L', "CallObjectMethodV");
    va_end(copy);
    return objectResult(env, result);
}

jobject JNICALL jniCallObjectMethod(JNIEnv* env, jobject self, jmethodID id, ...) {
    va_list list;
    va_start(list, id);
    Arguments from;
    from.list = &list;
    Object* result = callInstance(env, self, id, from, 'L', "CallObjectMethod");
    va_end(list);
    return objectResult(env, result);
}

jobject JNICALL jniCallObjectMethodA(JNIEnv* env, jobject self, jmethodID id,
                                     const jvalue* args) {
    Arguments from;
    from.array = args;
    return objectResult(env, callInstance(env, self, id, from, 'L', "CallObjectMethodA"));
}

void JNICALL jniCallVoidMethodV(JNIEnv* env, jobject self, jmethodID id, va_list list) {
    Arguments from;
    va_list copy;
    va_copy(copy, list);
    from.list = &copy;
    callInstance(env, self, id, from, 'V', "CallVoidMethodV");
    va_end(copy);
}

void JNICALL jniCallVoidMethod(JNIEnv* env, jobject self, jmethodID id, ...) {
    va_list list;
    va_start(list, id);
    Arguments from;
    from.list = &list;
    callInstance(env, self, id, from, 'V', "CallVoidMethod");
    va_end(list);
}

void JNICALL jniCallVoidMethodA(JNIEnv* env, jobject self, jmethodID id, const jvalue* args) {
    Arguments from;
    from.array = args;
    callInstance(env, self, id, from, 'V', "CallVoidMethodA");
}

void JNICALL jniCallStaticVoidMethodV(JNIEnv* env, jclass clazz, jmethodID id, va_list list) {
    Arguments from;
    va_list copy;
    va_copy(copy, list);
    from.list = &copy;
    callStaticVoid(env, clazz, id, from, "CallStaticVoidMethodV");
    va_end(copy);
}

void JNICALL jniCallStaticVoidMethod(JNIEnv* env, jclass clazz, jmethodID id, ...) {
    va_list list;
    va_start(list, id);
    Arguments from;
    from.list = &list;
    callStaticVoid(env, clazz, id, from, "CallStaticVoidMethod");
    va_end(list);
}

void JNICALL jniCallStaticVoidMethodA(JNIEnv* env, jclass clazz, jmethodID id,
                                      const jvalue* args) {
    Arguments from;
    from.array = args;
    callStaticVoid(env, clazz, id, from, "CallStaticVoidMethodA");
}

jobject JNICALL jniCallStaticObjectMethodV(JNIEnv* env, jclass clazz, jmethodID id, va_list list) {
    Arguments from;
    va_list copy;
    va_copy(copy, list);
    from.list = &copy;
    Object* result = callStatic(env, clazz, id, from, 'L', "CallStaticObjectMethodV");
    va_end(copy);
    return objectResult(env, result);
}

jobject JNICALL jniCallStaticObjectMethod(JNIEnv* env, jclass clazz, jmethodID id, ...) {
    va_list list;
    va_start(list, id);
    jobject result = jniCallStaticObjectMethodV(env, clazz, id, list);
    va_end(list);
    return result;
}

jobject JNICALL jniCallStaticObjectMethodA(JNIEnv* env, jclass clazz, jmethodID id,
                                           const jvalue* args) {
    Arguments from;
    from.array = args;
    return objectResult(env, callStatic(env, clazz, id, from, 'L', "CallStaticObjectMethodA"));
}

jboolean booleanResult(JNIEnv* env) {
    ThreadState& thread = threadOf(env, "CallBooleanMethod");
    return thread.pending != nullptr ? JNI_FALSE : thread.returnedBoolean;
}

jboolean JNICALL jniCallBooleanMethodV(JNIEnv* env, jobject self, jmethodID id, va_list list) {
    Arguments from;
    va_list copy;
    va_copy(copy, list);
    from.list = &copy;
    callInstance(env, self, id, from, 'Z', "CallBooleanMethodV");
    va_end(copy);
    return booleanResult(env);
}

jboolean JNICALL jniCallBooleanMethod(JNIEnv* env, jobject self, jmethodID id, ...) {
    va_list list;
    va_start(list, id);
    const jboolean result = jniCallBooleanMethodV(env, self, id, list);
    va_end(list);
    return result;
}

jboolean JNICALL jniCallBooleanMethodA(JNIEnv* env, jobject self, jmethodID id, const jvalue* args) {
    Arguments from;
    from.array = args;
    callInstance(env, self, id, from, 'Z', "CallBooleanMethodA");
    return booleanResult(env);
}

jboolean JNICALL jniIsInstanceOf(JNIEnv* env, jobject object, jclass clazz) {
    ThreadState& thread = enter(env, "IsInstanceOf");
    Object* type = requireClass(thread, clazz, "IsInstanceOf");
    Object* target = resolve(thread, object, "IsInstanceOf");
    if (target == nullptr) {
        return JNI_TRUE; // null is an instance of every class, as JNI has it
    }
    return target->className == type->name ||
                   (type->name == "java/lang/Throwable" && target->kind == Kind::Throwable)
               ? JNI_TRUE
               : JNI_FALSE;
}

jbyteArray JNICALL jniNewByteArray(JNIEnv* env, jsize length) {
    ThreadState& thread = enter(env, "NewByteArray");
    if (length < 0) {
        throwNew(thread, "java/lang/NegativeArraySizeException", std::to_string(length), "");
        return nullptr;
    }
    Object* array = newObject(Kind::ByteArray, "[B");
    array->bytes.assign(static_cast<std::size_t>(length), '\0');
    return static_cast<jbyteArray>(localRef(thread, array));
}

void JNICALL jniSetByteArrayRegion(JNIEnv* env, jbyteArray arrayRef, jsize start, jsize length,
                                   const jbyte* bytes) {
    ThreadState& thread = enter(env, "SetByteArrayRegion");
    Object* array = resolve(thread, arrayRef, "SetByteArrayRegion");
    require(array != nullptr && array->kind == Kind::ByteArray, "SetByteArrayRegion",
            "not a byte array");
    const long long size = static_cast<long long>(array->bytes.size());
    if (start < 0 || length < 0 || static_cast<long long>(start) + length > size) {
        throwNew(thread, "java/lang/ArrayIndexOutOfBoundsException",
                 "Array region " + std::to_string(start) + ".." +
                     std::to_string(static_cast<long long>(start) + length) +
                     " out of bounds for length " + std::to_string(size),
                 "");
        return;
    }
    require(length == 0 || bytes != nullptr, "SetByteArrayRegion", "null buffer");
    Locked locked;
    if (length > 0) {
        std::memcpy(&array->bytes[static_cast<std::size_t>(start)], bytes,
                    static_cast<std::size_t>(length));
    }
}

jobjectArray JNICALL jniNewObjectArray(JNIEnv* env, jsize length, jclass clazz, jobject init) {
    ThreadState& thread = enter(env, "NewObjectArray");
    Object* type = requireClass(thread, clazz, "NewObjectArray");
    Object* initial = resolve(thread, init, "NewObjectArray");
    if (length < 0) {
        throwNew(thread, "java/lang/NegativeArraySizeException", std::to_string(length), "");
        return nullptr;
    }
    Object* array = newObject(Kind::ObjectArray, "[L" + type->name + ";");
    array->elementClass = type->name;
    array->elements.assign(static_cast<std::size_t>(length), initial);
    return static_cast<jobjectArray>(localRef(thread, array));
}

void JNICALL jniSetObjectArrayElement(JNIEnv* env, jobjectArray arrayRef, jsize index,
                                      jobject valueRef) {
    ThreadState& thread = enter(env, "SetObjectArrayElement");
    Object* array = resolve(thread, arrayRef, "SetObjectArrayElement");
    require(array != nullptr && array->kind == Kind::ObjectArray, "SetObjectArrayElement",
            "not an object array");
    Object* value = resolve(thread, valueRef, "SetObjectArrayElement");
    const std::size_t size = array->elements.size();
    if (index < 0 || static_cast<std::size_t>(index) >= size) {
        throwNew(thread, "java/lang/ArrayIndexOutOfBoundsException",
                 "Index " + std::to_string(index) + " out of bounds for length " +
                     std::to_string(size),
                 "");
        return;
    }
    if (value != nullptr && array->elementClass != "java/lang/Object" &&
        value->className != array->elementClass) {
        throwNew(thread, "java/lang/ArrayStoreException", dotted(value->className), "");
        return;
    }
    Locked locked;
    array->elements[static_cast<std::size_t>(index)] = value;
}

void JNICALL jniDeleteLocalRef(JNIEnv* env, jobject ref) {
    deleteLocalRef(threadOf(env, "DeleteLocalRef"), ref);
}

// Copies handed out by GetStringUTFChars, until released.
std::map<const char*, Object*> utfCopies;  // guarded by the world lock

const char* JNICALL jniGetStringUTFChars(JNIEnv* env, jstring string, jboolean* isCopy) {
    ThreadState& thread = enter(env, "GetStringUTFChars");
    Object* text = resolve(thread, string, "GetStringUTFChars");
    require(text != nullptr && text->kind == Kind::String, "GetStringUTFChars",
            "not a string");
    Locked locked;
    char* copy = new char[text->bytes.size() + 1];
    std::memcpy(copy, text->bytes.c_str(), text->bytes.size() + 1);
    utfCopies[copy] = text;
    if (isCopy != nullptr) {
        *isCopy = JNI_TRUE;
    }
    if (text->holdsTrace) {
        logLine("printStackTrace captured " + std::to_string(text->bytes.size()) + " bytes");
    }
    return copy;
}

void JNICALL jniReleaseStringUTFChars(JNIEnv* env, jstring string, const char* chars) {
    ThreadState& thread = threadOf(env, "ReleaseStringUTFChars");
    Object* text = resolve(thread, string, "ReleaseStringUTFChars");
    Locked locked;
    const auto copy = utfCopies.find(chars);
    require(copy != utfCopies.end() && copy->second == text, "ReleaseStringUTFChars",
            "chars not obtained from GetStringUTFChars of that string");
    delete[] copy->first;
    utfCopies.erase(copy);
}

jthrowable JNICALL jniExceptionOccurred(JNIEnv* env) {
    ThreadState& thread = threadOf(env, "ExceptionOccurred");
    return static_cast<jthrowable>(localRef(thread, thread.pending));
}

void JNICALL jniExceptionDescribe(JNIEnv* env) {
    describePending(threadOf(env, "ExceptionDescribe"));
}

void JNICALL jniExceptionClear(JNIEnv* env) {
    ThreadState& thread = threadOf(env, "ExceptionClear");
    Locked locked;
    if (thread.pending != nullptr) {
        logLine("ExceptionClear " + dotted(thread.pending->className));
        thread.pending = nullptr;
    }
}

jboolean JNICALL jniExceptionCheck(JNIEnv* env) {
    ThreadState& thread = threadOf(env, "ExceptionCheck");
    Locked locked;
    return thread.pending != nullptr ? JNI_TRUE : JNI_FALSE;
}

JNINativeInterface_ buildTable() {
    JNINativeInterface_ table;
    fillWithTraps(table, std::make_index_sequence<slotCount>());
    table.reserved0 = nullptr;
    table.reserved1 = nullptr;
    table.reserved2 = nullptr;
    table.reserved3 = nullptr;
    table.FindClass = jniFindClass;
    table.GetMethodID = jniGetMethodID;
    table.GetStaticMethodID = jniGetStaticMethodID;
    table.GetObjectClass = jniGetObjectClass;
    table.NewObject = jniNewObject;
    table.NewObjectV = jniNewObjectV;
    table.NewObjectA = jniNewObjectA;
    table.CallObjectMethod = jniCallObjectMethod;
    table.CallObjectMethodV = jniCallObjectMethodV;
    table.CallObjectMethodA = jniCallObjectMethodA;
    table.CallVoidMethod = jniCallVoidMethod;
    table.CallVoidMethodV = jniCallVoidMethodV;
    table.CallVoidMethodA = jniCallVoidMethodA;
    table.CallStaticVoidMethod = jniCallStaticVoidMethod;
    table.CallStaticObjectMethod = jniCallStaticObjectMethod;
    table.CallStaticObjectMethodV = jniCallStaticObjectMethodV;
    table.CallStaticObjectMethodA = jniCallStaticObjectMethodA;
    table.CallBooleanMethod = jniCallBooleanMethod;
    table.CallBooleanMethodV = jniCallBooleanMethodV;
    table.CallBooleanMethodA = jniCallBooleanMethodA;
    table.IsInstanceOf = jniIsInstanceOf;
    table.CallStaticVoidMethodV = jniCallStaticVoidMethodV;
    table.CallStaticVoidMethodA = jniCallStaticVoidMethodA;
    table.NewByteArray = jniNewByteArray;
    table.SetByteArrayRegion = jniSetByteArrayRegion;
    table.NewObjectArray = jniNewObjectArray;
    table.SetObjectArrayElement = jniSetObjectArrayElement;
    table.DeleteLocalRef = jniDeleteLocalRef;
    table.GetStringUTFChars = jniGetStringUTFChars;
    table.ReleaseStringUTFChars = jniReleaseStringUTFChars;
    table.ExceptionOccurred = jniExceptionOccurred;
    table.ExceptionDescribe = jniExceptionDescribe;
    table.ExceptionClear = jniExceptionClear;
    table.ExceptionCheck = jniExceptionCheck;
    return table;
}

}  // namespace

const JNINativeInterface_* envTable() {
    static const JNINativeInterface_ table = buildTable();
    return &table;
}

}  // namespace fakejvm
