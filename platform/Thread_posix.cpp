#include "platform/Thread.h"

#include <cerrno>
#include <climits>
#include <cstddef>
#include <new>
#include <pthread.h>
#include <time.h>
#include <unistd.h>
#include <type_traits>

namespace platform {
namespace {

struct ThreadStart {
    ThreadRoutine routine;
    void* parameter;
    unsigned exitCode;
};

static_assert(std::is_same_v<pthread_t, ThreadToken>, "a thread is its token");

void* threadEntry(void* argument)
{
    auto* start = static_cast<ThreadStart*>(argument);
    start->exitCode = start->routine(start->parameter);
    return nullptr;
}

// pthreads refuses sizes below its minimum, and some implementations sizes
// that are not whole pages, where Windows quietly rounds.
std::size_t acceptableStackSize(std::uint32_t requested) noexcept
{
    const long page = ::sysconf(_SC_PAGE_SIZE);
    const std::size_t pageSize = page > 0 ? static_cast<std::size_t>(page) : 4096;
    std::size_t size = (static_cast<std::size_t>(requested) + pageSize - 1) / pageSize * pageSize;
    const std::size_t minimum = static_cast<std::size_t>(PTHREAD_STACK_MIN);
    return size < minimum ? minimum : size;
}

} // namespace

bool runThread(std::uint32_t stackSize, ThreadRoutine routine, void* parameter, unsigned& exitCode) noexcept
{
    pthread_attr_t attributes;
    int error = pthread_attr_init(&attributes);
    if (error != 0) {
        errno = error;
        return false;
    }
    if (stackSize > 0) {
        error = pthread_attr_setstacksize(&attributes, acceptableStackSize(stackSize));
    }
    ThreadStart start{routine, parameter, 0};
    pthread_t thread;
    if (error == 0) {
        error = pthread_create(&thread, &attributes, threadEntry, &start);
    }
    pthread_attr_destroy(&attributes);
    if (error == 0) {
        error = pthread_join(thread, nullptr);
    }
    if (error != 0) {
        errno = error;
        return false;
    }
    exitCode = start.exitCode;
    return true;
}

namespace {

// Made by the starter, owned by the new thread from its first instruction.
struct ThreadLaunch {
    ThreadRoutine routine;
    void* parameter;
};

void* startedEntry(void* argument)
{
    const ThreadLaunch start = *static_cast<ThreadLaunch*>(argument);
    delete static_cast<ThreadLaunch*>(argument);
    start.routine(start.parameter);
    return nullptr;
}

} // namespace

bool startThread(ThreadRoutine routine, void* parameter, ThreadToken* joinable) noexcept
{
    auto* start = new (std::nothrow) ThreadLaunch{routine, parameter};
    if (start == nullptr) {
        errno = ENOMEM;
        return false;
    }
    pthread_t thread;
    const int error = pthread_create(&thread, nullptr, startedEntry, start);
    if (error != 0) {
        delete start;
        errno = error;
        return false;
    }
    if (joinable != nullptr) {
        *joinable = thread;
    } else {
        pthread_detach(thread);
    }
    return true;
}

bool startDetachedThread(ThreadRoutine routine, void* parameter) noexcept
{
    return startThread(routine, parameter, nullptr);
}

void joinThread(ThreadToken thread) noexcept { pthread_join(thread, nullptr); }

std::uint64_t monotonicMilliseconds() noexcept
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::uint64_t>(now.tv_sec) * 1000u + static_cast<std::uint64_t>(now.tv_nsec) / 1000000u;
}

void sleepMilliseconds(std::uint32_t milliseconds) noexcept
{
    timespec left{static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1000000L};
    while (nanosleep(&left, &left) != 0 && errno == EINTR) {
    }
}

} // namespace platform
