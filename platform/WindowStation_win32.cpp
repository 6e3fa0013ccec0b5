#include "platform/WindowStation.h"

#include <windows.h>

namespace platform {

std::optional<unsigned long> windowStationFlags() noexcept
{
    // The station handle belongs to the process and must not be closed.
    USEROBJECTFLAGS flags{};
    DWORD needed = 0;
    const HWINSTA station = GetProcessWindowStation();
    if (station == nullptr || !GetUserObjectInformationA(station, UOI_FLAGS, &flags, sizeof flags, &needed)) {
        return std::nullopt;
    }
    return flags.dwFlags;
}

} // namespace platform
