#pragma once
// Why the latest call of this thread failed, as the platform says it.

#ifndef _WIN32
#include <cerrno>
#endif

namespace platform {

// GetLastError on Windows, errno on POSIX.
#ifdef _WIN32
long lastError() noexcept;
#else
inline long lastError() noexcept { return errno; }
#endif

} // namespace platform
