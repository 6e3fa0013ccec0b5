#include "platform/System.h"

#include <cerrno>
#include <csignal>

#include <pthread.h>

namespace platform {
namespace {

sigset_t stopSignals() noexcept
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGHUP);
    return set;
}

} // namespace

void blockStopSignals() noexcept
{
    const sigset_t set = stopSignals();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

void unblockStopSignals() noexcept
{
    const sigset_t set = stopSignals();
    pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
}

bool awaitStopSignal() noexcept
{
    const sigset_t set = stopSignals();
    int received = 0;
    // sigwait fails only for a set it cannot wait on, which this is not.
    while (sigwait(&set, &received) != 0) {
    }
    return received != SIGHUP;
}

void sendHangUp(ThreadToken thread) noexcept
{
    static_assert(sizeof(pthread_t) == sizeof(ThreadToken), "a thread fits its token");
    pthread_kill(static_cast<pthread_t>(thread), SIGHUP);
}

} // namespace platform
