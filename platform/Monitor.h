#pragma once
// A lock with one condition: what threads that wait for one another's state
// need, without the C++ runtime's threading (which would bring a threads
// library into the executable). Constant-initialised, so it can live in any
// object; neither copyable nor movable, since waiters hold its address.

#ifndef _WIN32
#include <pthread.h>
#endif

namespace platform {

class Monitor {
public:
    Monitor() noexcept = default;
    ~Monitor();
    Monitor(const Monitor&) = delete;
    Monitor& operator=(const Monitor&) = delete;

    void lock() noexcept;
    void unlock() noexcept;
    // With the lock held: releases it until notified, then holds it again.
    // Wakes may be spurious; callers wait in a loop on their own condition.
    void wait() noexcept;
    void notifyAll() noexcept;

private:
#ifdef _WIN32
    void* lock_ = nullptr;      // an SRWLOCK; SRWLOCK_INIT is a null pointer
    void* condition_ = nullptr; // a CONDITION_VARIABLE; likewise
#else
    pthread_mutex_t lock_ = PTHREAD_MUTEX_INITIALIZER;
    pthread_cond_t condition_ = PTHREAD_COND_INITIALIZER;
#endif
};

// Holds a monitor's lock for a scope.
class MonitorLock {
public:
    explicit MonitorLock(Monitor& monitor) noexcept : monitor_(monitor) { monitor_.lock(); }
    ~MonitorLock() { monitor_.unlock(); }
    MonitorLock(const MonitorLock&) = delete;
    MonitorLock& operator=(const MonitorLock&) = delete;

private:
    Monitor& monitor_;
};

} // namespace platform
