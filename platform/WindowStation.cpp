#include "platform/WindowStation.h"

namespace platform {

bool isInteractiveStation(std::optional<unsigned long> stationFlags) noexcept
{
    return !stationFlags || (*stationFlags & stationVisibleFlag) != 0;
}

} // namespace platform
