#include "platform/NamedSync.h"

#include <windows.h>

namespace platform {

bool createNamedMutex(const std::string& name, UniqueHandle& mutex) noexcept
{
    HANDLE created = CreateMutexA(nullptr, FALSE, name.c_str());
    if (created == nullptr) {
        return false;
    }
    mutex.reset(created);
    return true;
}

bool takeMutex(const UniqueHandle& mutex, std::uint32_t milliseconds, UniqueMutexHold& held) noexcept
{
    const DWORD outcome = WaitForSingleObject(mutex.get(), milliseconds);
    if (outcome != WAIT_OBJECT_0 && outcome != WAIT_ABANDONED) {
        return false;
    }
    held.reset(mutex.get());
    return true;
}

bool createEvent(const char* name, UniqueHandle& event) noexcept
{
    HANDLE created = CreateEventA(nullptr, FALSE, FALSE, name);
    if (created == nullptr) {
        return false;
    }
    event.reset(created);
    return true;
}

bool openNamedEvent(const std::string& name, UniqueHandle& event) noexcept
{
    HANDLE opened = OpenEventA(EVENT_MODIFY_STATE | SYNCHRONIZE, FALSE, name.c_str());
    if (opened == nullptr) {
        return false;
    }
    event.reset(opened);
    return true;
}

void signalEvent(const UniqueHandle& event) noexcept { SetEvent(event.get()); }
void clearEvent(const UniqueHandle& event) noexcept { ResetEvent(event.get()); }

bool waitForObject(RawHandle object, std::uint32_t milliseconds) noexcept
{
    return WaitForSingleObject(object, milliseconds) == WAIT_OBJECT_0;
}

bool waitForEither(RawHandle first, RawHandle second) noexcept
{
    const HANDLE objects[2] = {first, second};
    return WaitForMultipleObjects(2, objects, FALSE, INFINITE) == WAIT_OBJECT_0;
}

WaitOutcome waitForEitherWithin(RawHandle first, RawHandle second, std::uint32_t milliseconds) noexcept
{
    const HANDLE objects[2] = {first, second};
    switch (WaitForMultipleObjects(second != nullptr ? 2 : 1, objects, FALSE, milliseconds)) {
    case WAIT_OBJECT_0:
        return WaitOutcome::first;
    case WAIT_OBJECT_0 + 1:
        return WaitOutcome::second;
    default:
        return WaitOutcome::timedOut;
    }
}

} // namespace platform
