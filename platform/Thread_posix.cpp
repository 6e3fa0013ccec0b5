#include "platform/System.h"

#include <cerrno>
#include <climits>
#include <cstddef>

#include <pthread.h>
#include <unistd.h>

namespace platform {
namespace {

struct ThreadStart {
    ThreadRoutine routine;
    void* parameter;
    unsigned exitCode;
};

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

} // namespace platform
