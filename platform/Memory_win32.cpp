#include "platform/Memory.h"

#include <windows.h>

namespace platform {

std::uint64_t totalPhysicalMemory() noexcept
{
#ifdef _WIN64
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    return GlobalMemoryStatusEx(&status) ? status.ullTotalPhys : 0;
#else
    // The 32-bit launcher reads the 32-bit count, as its users have always seen it.
    MEMORYSTATUS status{};
    status.dwLength = sizeof status;
    GlobalMemoryStatus(&status);
    return status.dwTotalPhys;
#endif
}

} // namespace platform
