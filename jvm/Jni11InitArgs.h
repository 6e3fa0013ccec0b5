#pragma once
// The JNI 1.1 argument block of JNI_GetDefaultJavaVMInitArgs, gone from
// current jni.h. The launcher reads only its version and javaStackSize, but a
// JVM library writes the whole layout, so all of it must be here.

#include <jni.h>

#include <cstdarg>
#include <cstdio>

struct JDK1_1InitArgs {
    jint version;
    char** properties;
    jint checkSource;
    jint nativeStackSize;
    jint javaStackSize;
    jint minHeapSize;
    jint maxHeapSize;
    jint verifyMode;
    char* classpath;
    jint(JNICALL* vfprintf)(FILE* fp, const char* format, va_list args);
    void(JNICALL* exit)(jint code);
    void(JNICALL* abort)(void);
    jint enableClassGC;
    jint enableVerboseGC;
    jint disableAsyncGC;
    jint verbose;
    jboolean debugging;
    jint debugPort;
};
