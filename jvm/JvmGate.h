#pragma once
// Where threads other than the main Java thread wait for the Java program:
// the single-instance forwarding threads and the service's stop threads.
// Such a thread can be started before the JVM exists (a second start during
// JVM creation, a stop request right after the service started); it must not
// be lost for arriving early, and it must not outlive the launcher's
// teardown either. The gate gives each one the JVM once the main class's
// main is about to run, in the order in which they arrived, or nothing when
// no Java program runs (any more).
//
// Lifecycle: pending -> open (the Java thread, right before main) -> closed;
// or pending -> closed (no JVM, or the main class could not be had). Closed
// is final.
//
// A user thread is admitted by whoever starts it, before it can run, and
// leaves as its very last act; the teardown waits for every admitted thread
// to leave, so none of them touches the launcher after it is gone.

#include <jni.h>

#include <cstdint>

#include "platform/Monitor.h"

class JvmGate {
public:
    // Starter, before the thread can run: one more user; its place in line.
    [[nodiscard]] std::uint64_t admit() noexcept;
    // Starter, right after admit, when the thread could not be started.
    // Only the thread that admitted may withdraw, and before it admits again.
    void withdraw() noexcept;

    // User: waits while the program has not started, then until every user
    // admitted before it has passed its turn. The JVM (pass the turn once the
    // Java call has begun or failed), or null when no program runs: then the
    // turn needs no passing.
    [[nodiscard]] JavaVM* awaitTurn(std::uint64_t ticket) noexcept;
    void passTurn() noexcept;
    // User, as its last act.
    void leave() noexcept;

    // Java thread: main is about to be called on `vm`.
    void open(JavaVM* vm) noexcept;
    // No Java program (any more): waiting and later users get null.
    void close() noexcept;
    // Teardown, after close and once nothing admits any more: returns when
    // every admitted user has left.
    void drain() noexcept;

private:
    enum class State { pending, open, closed };

    platform::Monitor monitor_;
    State state_ = State::pending;
    JavaVM* vm_ = nullptr;
    std::uint64_t nextTicket_ = 0;
    std::uint64_t nextTurn_ = 0;
    std::uint64_t inside_ = 0; // admitted and not yet left
};

// A user's turn, once awaitTurn gave it the JVM: passed at the latest when
// this goes out of scope, so that no failure keeps the users behind waiting.
class JvmGateTurn {
public:
    explicit JvmGateTurn(JvmGate& gate) noexcept : gate_(gate) {}
    ~JvmGateTurn() { pass(); }
    JvmGateTurn(const JvmGateTurn&) = delete;
    JvmGateTurn& operator=(const JvmGateTurn&) = delete;
    void pass() noexcept
    {
        if (!passed_) {
            passed_ = true;
            gate_.passTurn();
        }
    }

private:
    JvmGate& gate_;
    bool passed_ = false;
};
