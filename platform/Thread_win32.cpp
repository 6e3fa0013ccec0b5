#include "platform/Thread.h"

#include "platform/Handles.h"

#include <windows.h>
#include <new>

namespace platform {
namespace {

struct ThreadStart {
    ThreadRoutine routine;
    void* parameter;
};

DWORD WINAPI threadEntry(void* start) noexcept
{
    const auto* s = static_cast<const ThreadStart*>(start);
    return s->routine(s->parameter);
}

// A thread that is not waited for cannot borrow its start from the stack.
DWORD WINAPI ownedThreadEntry(void* start) noexcept
{
    const ThreadStart s = *static_cast<const ThreadStart*>(start);
    delete static_cast<ThreadStart*>(start);
    return s.routine(s.parameter);
}

} // namespace

bool startThread(ThreadRoutine routine, void* parameter, bool suspended, UniqueHandle& thread,
                 std::uint32_t& threadId) noexcept
{
    auto* start = new (std::nothrow) ThreadStart{routine, parameter};
    if (start == nullptr) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return false;
    }
    DWORD id = 0;
    HANDLE created = CreateThread(nullptr, 0, ownedThreadEntry, start, suspended ? CREATE_SUSPENDED : 0, &id);
    if (created == nullptr) {
        delete start;
        return false;
    }
    thread.reset(created);
    threadId = id;
    return true;
}

bool startDetachedThread(ThreadRoutine routine, void* parameter) noexcept
{
    UniqueHandle thread; // not kept: nobody waits for it
    std::uint32_t threadId = 0;
    return startThread(routine, parameter, false, thread, threadId);
}

void resumeThread(const UniqueHandle& thread) noexcept { ResumeThread(thread.get()); }

bool waitForThread(const UniqueHandle& thread, std::uint32_t milliseconds) noexcept
{
    return WaitForSingleObject(thread.get(), milliseconds) == WAIT_OBJECT_0;
}

bool threadStillActive(const UniqueHandle& thread) noexcept
{
    DWORD code = 0;
    return GetExitCodeThread(thread.get(), &code) && code == STILL_ACTIVE;
}

std::uint32_t threadIdOf(const UniqueHandle& thread) noexcept { return GetThreadId(thread.get()); }

bool openThreadToWaitFor(std::uint32_t threadId, UniqueHandle& thread) noexcept
{
    HANDLE opened = OpenThread(SYNCHRONIZE, FALSE, threadId);
    if (opened == nullptr) {
        return false;
    }
    thread.reset(opened);
    return true;
}

std::uint64_t monotonicMilliseconds() noexcept { return GetTickCount64(); }

void sleepMilliseconds(std::uint32_t milliseconds) noexcept { Sleep(milliseconds); }

bool runThread(std::uint32_t stackSize, ThreadRoutine routine, void* parameter, unsigned& exitCode) noexcept
{
    ThreadStart start{routine, parameter}; // outlives the thread: we wait for it below
    const UniqueHandle thread(CreateThread(nullptr, stackSize, threadEntry, &start, 0, nullptr));
    if (!thread) {
        return false;
    }
    WaitForSingleObject(thread.get(), INFINITE);
    DWORD code = 0;
    GetExitCodeThread(thread.get(), &code);
    exitCode = code;
    return true;
}

} // namespace platform
