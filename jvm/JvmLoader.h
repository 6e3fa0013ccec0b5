#pragma once
// The JVM library in this process: loading it and finding its entry points
// (loadJvmLibrary, jvm/JvmHost.h), creating the JVM, and asking it for its
// default Java stack size.

#include "jvm/JvmHost.h"

#include <jni.h>

#include <cstdint>

// On the primary thread: launcher.jvmOptions as the JVM takes them, in
// launcher.jvmOptionArray. Made before the Java thread starts, since the
// first heap block a new thread asks for makes the C library set up a heap
// arena of its own for that thread.
void prepareJvmOptions(JavaLauncher& launcher);

// On the Java thread: creates the JVM from launcher.jvmOptions, which
// attaches the calling thread, then installs the configured redirections.
// On failure reports the JNI result's reason and leaves javaVm and mainEnv
// null.
[[nodiscard]] bool createJvm(JavaLauncher& launcher) noexcept;

// The library's default Java stack size in bytes, 0 when it names none.
// Needs a loaded library.
std::uint32_t queryDefaultJavaStackSize(JavaLauncher& launcher) noexcept;

// String-table ID of the reason text for a failed creation's result, 0 for a
// result outside the published codes.
unsigned jniFailureReasonId(jint result) noexcept;
