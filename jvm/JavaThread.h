#pragma once
// The Java thread: creates the JVM, calls the main class's static main with
// the launcher's arguments, and detaches. runJavaThread (jvm/JvmHost.h)
// starts it and waits for it.

#include "jvm/JvmHost.h"

#include <cstdint>

// The thread routine: 0 once main was called and the thread has detached
// (also when main threw), 1 when the JVM or main could not be had (reported)
// or for a null launcher.
std::uint32_t javaThreadMain(JavaLauncher* launcher) noexcept;

// Everything after creation on the Java thread: finds the class and main,
// calls it, hands an escaping exception on, and always detaches. False when
// the class, main or the argument array could not be had, or the detach
// failed.
[[nodiscard]] bool invokeMain(JavaLauncher& launcher) noexcept;
