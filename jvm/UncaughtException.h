#pragma once
// An exception that escapes main: the JVM describes it, and with "Failure
// Check" the launcher captures its stack trace and decides whether to stop.

#include <jni.h>

#include <string>

class JavaLauncher;

enum FailureAnswer : int {
    FailureContinue = 0,
    FailureStop = 1,
};

// On the Java thread, with the exception pending (ExceptionOccurred already
// gave it). Leaves nothing pending; with the answer stop the process ends.
void handleUncaughtException(JavaLauncher& launcher, jthrowable thrown) noexcept;

// Stop or continue, after the exception was described and cleared. Captures
// the trace and answers continue; nothing is shown.
int decideOnFailure(JavaLauncher& launcher, jthrowable thrown) noexcept;

// What the exception's printStackTrace(PrintStream) writes, as the modified
// UTF-8 bytes of the text; empty when it cannot be obtained. Exceptions
// raised on the way are described by the JVM; none is left pending.
std::string captureStackTrace(JNIEnv* env, jthrowable thrown) noexcept;

// System.exit(-1); returns only when the exit was refused (described).
void exitJava(JavaLauncher& launcher) noexcept;
