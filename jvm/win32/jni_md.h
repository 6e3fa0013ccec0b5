#pragma once
// The machine-dependent part of the JNI declarations for Windows, where the
// JDK's own copy is not at hand (the cross build uses the Linux JDK's jni.h).
// Found before the JDK's include folder, so <jni.h> takes it from here.
//
// The JNI ABI on Windows: entry points and function tables use __stdcall,
// which decorates and pops arguments on 32-bit x86 and is ignored on x64;
// jint is 32 bits on both, so it cannot be `long` only by accident of the
// LLP64 model and is spelled `int`; jlong is always 64 bits.

#define JNIEXPORT __declspec(dllexport)
#define JNIIMPORT __declspec(dllimport)
#define JNICALL __stdcall

typedef int jint;
typedef long long jlong;
typedef signed char jbyte;
