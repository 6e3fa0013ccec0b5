#include "jvm/JvmGate.h"

bool JvmGate::startUser(platform::ThreadRoutine routine, GateUser* user) noexcept
{
    // Started under the lock: a thread that cannot be started takes no
    // place in line, and nobody behind it waits for its turn.
    platform::MonitorLock held(monitor_);
    if (state_ == State::ending || state_ == State::closed) {
        return false;
    }
    user->ticket = nextTicket_;
    if (!platform::startDetachedThread(routine, user)) {
        return false;
    }
    ++nextTicket_;
    ++inside_;
    return true;
}

JavaVM* JvmGate::awaitTurn(std::uint64_t ticket) noexcept
{
    platform::MonitorLock held(monitor_);
    while (state_ == State::pending || (state_ == State::open && nextTurn_ != ticket)) {
        monitor_.wait();
    }
    if (state_ != State::open) {
        return nullptr;
    }
    ++inJava_;
    return vm_;
}

void JvmGate::passTurn() noexcept
{
    platform::MonitorLock held(monitor_);
    ++nextTurn_;
    monitor_.notifyAll();
}

void JvmGate::leftJava() noexcept
{
    platform::MonitorLock held(monitor_);
    --inJava_;
    monitor_.notifyAll();
}

void JvmGate::leave() noexcept
{
    platform::MonitorLock held(monitor_);
    --inside_;
    monitor_.notifyAll();
}

void JvmGate::open(JavaVM* vm) noexcept
{
    platform::MonitorLock held(monitor_);
    if (state_ == State::pending) {
        state_ = State::open;
        vm_ = vm;
        monitor_.notifyAll();
    }
}

void JvmGate::markEnding() noexcept
{
    platform::MonitorLock held(monitor_);
    if (state_ == State::open) {
        state_ = State::ending;
        vm_ = nullptr;
        monitor_.notifyAll();
    }
}

void JvmGate::close() noexcept
{
    platform::MonitorLock held(monitor_);
    state_ = State::closed;
    vm_ = nullptr;
    monitor_.notifyAll();
}

void JvmGate::drain() noexcept
{
    platform::MonitorLock held(monitor_);
    while (inside_ > inJava_) {
        monitor_.wait();
    }
}
