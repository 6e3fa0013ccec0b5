#pragma once
// Where threads other than the main Java thread wait for the Java program:
// the single-instance forwarding threads and the service's stop threads.
// Such a thread can be started before the JVM exists (a second start during
// JVM creation, a stop request right after the service started); it must not
// be lost for arriving early, and it must not outlive the launcher's
// teardown either. The gate gives each one the JVM once the main class's
// main is about to run, in the order in which they arrived, or nothing when
// no Java program runs, or the program has begun to shut down.
//
// Lifecycle: pending -> open (the Java thread, right before main) -> ending
// (a user found the shutdown hooks running) -> closed; any state -> closed
// (no JVM, the main class could not be had, or the teardown). Closed is
// final.
//
// A user thread is started by the gate itself, which so knows of it before
// it can run; it leaves as its very last act; the teardown waits for every admitted thread
// to leave, except one still inside Java once the JVM is destroyed: the JVM
// has frozen that one for good, and waiting for it would never end.

#include <jni.h>

#include <cstdint>

#include "platform/Monitor.h"
#include "platform/Thread.h"

// What a thread started at the gate receives: its ticket, in a heap block
// the thread owns from its first instruction (a payload derives from it).
struct GateUser {
    std::uint64_t ticket = 0;
};

class JvmGate {
public:
    // Starts routine(user) on a thread of its own as the next user in line,
    // `user->ticket` its place. False, with nothing started, once the
    // program is shutting down (there is nothing left to visit) or the gate
    // is closed (the teardown has begun and would not wait for it).
    [[nodiscard]] bool startUser(platform::ThreadRoutine routine, GateUser* user) noexcept;

    // User: waits while the program has not started, then until every user
    // admitted before it has passed its turn. The JVM, or null when no
    // program runs or it has begun to shut down: then the turn needs no
    // passing. With the JVM the user counts as inside Java until leftJava,
    // and passes its turn once its Java call has begun or failed.
    [[nodiscard]] JavaVM* awaitTurn(std::uint64_t ticket) noexcept;
    void passTurn() noexcept;
    // User, once it has detached (or failed to attach) after awaitTurn gave
    // it the JVM.
    void leftJava() noexcept;
    // User, as its last act: the launcher may be gone right after.
    void leave() noexcept;

    // Java thread: main is about to be called on `vm`.
    void open(JavaVM* vm) noexcept;
    // A user found the program's shutdown hooks running: everyone waiting
    // and every later user gets null.
    void markEnding() noexcept;
    // No Java program (any more), and no thread may start.
    void close() noexcept;
    // Teardown, after close and after the JVM's destruction: returns when
    // every admitted user has left, but for those still inside Java.
    void drain() noexcept;

private:
    enum class State { pending, open, ending, closed };

    platform::Monitor monitor_;
    State state_ = State::pending;
    JavaVM* vm_ = nullptr;
    std::uint64_t nextTicket_ = 0;
    std::uint64_t nextTurn_ = 0;
    std::uint64_t inside_ = 0;             // admitted and not yet left
    std::uint64_t inJava_ = 0;             // given the JVM and not yet out of it
};
