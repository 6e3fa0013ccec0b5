#pragma once
// A visit to the running Java program by a thread other than the Java
// thread: a hand-over to secondaryMain, a stop request. The visitor waits at
// the launcher's gate for its turn, attaches to the JVM, and makes sure the
// program has not begun to shut down.
//
// Why the check: the JVM waits for attached threads only until it starts
// its shutdown hooks (main returned and no other thread kept it alive, or
// System.exit). A thread that attaches while the hooks run is not waited
// for; when the JVM exits it is frozen for good, wherever it is. A visitor
// that finds the hooks running therefore leaves at once, and the gate turns
// away every visitor after it.

#include "jvm/JvmGate.h"

#include <jni.h>

#include <cstdint>

class ProgramVisit {
public:
    // Waits for the turn of `ticket` (from JvmGate::admit), attaches and
    // checks. env() is null when there is no program to visit: it never
    // started, it is gone, it is shutting down, or the attach failed.
    ProgramVisit(JvmGate& gate, std::uint64_t ticket) noexcept;
    // Passes the turn, detaches and tells the gate; the thread still leaves
    // the gate itself, as its last act.
    ~ProgramVisit();
    ProgramVisit(const ProgramVisit&) = delete;
    ProgramVisit& operator=(const ProgramVisit&) = delete;

    JNIEnv* env() const noexcept { return env_; }
    // The next visitor may go: once this one's Java call has begun.
    void passTurn() noexcept;

private:
    JvmGate& gate_;
    JavaVM* vm_ = nullptr;
    JNIEnv* env_ = nullptr;
    bool turnHeld_ = false;
};

// Whether the program has begun running its shutdown hooks, as seen from an
// attached thread: the runtime then refuses to touch its hooks with
// IllegalStateException. Leaves no exception pending. Unknown (a security
// manager that forbids hooks) counts as not.
bool shutdownHooksRunning(JNIEnv* env) noexcept;
