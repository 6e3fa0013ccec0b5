#pragma once
// Mutexes, events and waits (Windows); named ones in the session's namespace.
// Unless a declaration says otherwise, a call that fails leaves its outputs
// untouched and the reason in lastError() (platform/Errors.h).

#include "platform/Handles.h"

#include <cstdint>
#include <string>

namespace platform {

// A mutex, created unowned or opened.
[[nodiscard]] bool createNamedMutex(const std::string& name, UniqueHandle& mutex) noexcept;
// Takes the mutex, waiting at most `milliseconds`; a mutex its last owner
// left without releasing (it died) is taken too. False when the wait ended
// without it; `held` is then untouched.
[[nodiscard]] bool takeMutex(const UniqueHandle& mutex, std::uint32_t milliseconds, UniqueMutexHold& held) noexcept;
// An auto-reset event, created unsignalled (or opened); openNamedEvent only
// opens one that exists. A null name makes an unnamed one.
[[nodiscard]] bool createEvent(const char* name, UniqueHandle& event) noexcept;
[[nodiscard]] bool openNamedEvent(const std::string& name, UniqueHandle& event) noexcept;
void signalEvent(const UniqueHandle& event) noexcept;
void clearEvent(const UniqueHandle& event) noexcept;
// True when the object was signalled within `milliseconds`.
bool waitForObject(RawHandle object, std::uint32_t milliseconds) noexcept;
// Waits without a time limit until either object is signalled; true when it
// was the first (an auto-reset event is reset by this very wait, so only
// the answer tells).
bool waitForEither(RawHandle first, RawHandle second) noexcept;
// The same within `milliseconds`; a null `second` is not waited for.
enum class WaitOutcome { first, second, timedOut };
WaitOutcome waitForEitherWithin(RawHandle first, RawHandle second, std::uint32_t milliseconds) noexcept;

} // namespace platform
