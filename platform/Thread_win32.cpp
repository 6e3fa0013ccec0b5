#include "platform/System.h"

#include "platform/Handles.h"

#include <windows.h>

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

} // namespace

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
