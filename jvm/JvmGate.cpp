#include "jvm/JvmGate.h"

std::uint64_t JvmGate::admit() noexcept
{
    platform::MonitorLock held(monitor_);
    ++inside_;
    return nextTicket_++;
}

void JvmGate::withdraw() noexcept
{
    platform::MonitorLock held(monitor_);
    // The ticket just given goes back, so the next user does not wait for a
    // turn nobody will pass.
    --nextTicket_;
    --inside_;
    monitor_.notifyAll();
}

JavaVM* JvmGate::awaitTurn(std::uint64_t ticket) noexcept
{
    platform::MonitorLock held(monitor_);
    while (state_ == State::pending || (state_ == State::open && nextTurn_ != ticket)) {
        monitor_.wait();
    }
    return state_ == State::open ? vm_ : nullptr;
}

void JvmGate::passTurn() noexcept
{
    platform::MonitorLock held(monitor_);
    ++nextTurn_;
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
    while (inside_ != 0) {
        monitor_.wait();
    }
}
