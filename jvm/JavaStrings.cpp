#include "jvm/JavaStrings.h"

jstring newJavaString(JNIEnv* env, const std::string& text) noexcept
{
    jclass stringClass = env->FindClass("java/lang/String");
    if (stringClass == nullptr) {
        return nullptr;
    }
    const jmethodID constructor = env->GetMethodID(stringClass, "<init>", "([B)V");
    if (constructor == nullptr) {
        return nullptr;
    }
    const jsize length = static_cast<jsize>(text.size());
    jbyteArray bytes = env->NewByteArray(length);
    if (bytes == nullptr) {
        return nullptr;
    }
    env->SetByteArrayRegion(bytes, 0, length, reinterpret_cast<const jbyte*>(text.data()));
    jstring result = nullptr;
    if (env->ExceptionOccurred() == nullptr) {
        result = static_cast<jstring>(env->NewObject(stringClass, constructor, bytes));
    }
    env->DeleteLocalRef(bytes);
    // Called once per argument on a thread whose frame lives as long as the
    // program: the class reference must not pile up there either.
    env->DeleteLocalRef(stringClass);
    return result;
}

jobjectArray newJavaStringArray(JNIEnv* env, const std::vector<std::string>& texts) noexcept
{
    jclass stringClass = env->FindClass("java/lang/String");
    if (stringClass == nullptr) {
        return nullptr;
    }
    jobjectArray array = env->NewObjectArray(static_cast<jsize>(texts.size()), stringClass, nullptr);
    if (array == nullptr) {
        return nullptr;
    }
    for (std::size_t i = 0; i < texts.size(); ++i) {
        jstring element = newJavaString(env, texts[i]);
        if (element == nullptr) {
            return nullptr;
        }
        env->SetObjectArrayElement(array, static_cast<jsize>(i), element);
        env->DeleteLocalRef(element);
    }
    return array;
}

jclass findClassNamed(JNIEnv* env, const std::string& name) noexcept
{
    jstring javaName = newJavaString(env, name);
    if (javaName == nullptr) {
        return nullptr;
    }
    const char* utfName = env->GetStringUTFChars(javaName, nullptr);
    if (utfName == nullptr) {
        return nullptr;
    }
    jclass found = env->FindClass(utfName);
    env->ReleaseStringUTFChars(javaName, utfName);
    env->DeleteLocalRef(javaName);
    return found;
}
