#include "platform/Monitor.h"

namespace platform {

Monitor::~Monitor()
{
    pthread_cond_destroy(&condition_);
    pthread_mutex_destroy(&lock_);
}

void Monitor::lock() noexcept { pthread_mutex_lock(&lock_); }
void Monitor::unlock() noexcept { pthread_mutex_unlock(&lock_); }
void Monitor::wait() noexcept { pthread_cond_wait(&condition_, &lock_); }
void Monitor::notifyAll() noexcept { pthread_cond_broadcast(&condition_); }

} // namespace platform
