#pragma once
// Java strings from narrow text: the bytes go through the String(byte[])
// constructor, so the JVM decodes them with its default character set.

#include <jni.h>

#include <string>
#include <vector>

// A new local reference, or null with a Java exception pending (when the
// String class, its constructor or the byte array could not be had).
jstring newJavaString(JNIEnv* env, const std::string& text) noexcept;

// A String[] holding the texts in order (empty for no texts), or null with a
// Java exception pending.
jobjectArray newJavaStringArray(JNIEnv* env, const std::vector<std::string>& texts) noexcept;

// The class named by narrow text, looked up through a Java string, so that a
// name outside ASCII reaches FindClass as the modified UTF-8 it expects (as
// the main class's name does for main). Null with an exception pending.
jclass findClassNamed(JNIEnv* env, const std::string& name) noexcept;
