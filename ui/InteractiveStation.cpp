#include "ui/InteractiveStation.h"

namespace ui {

bool isInteractiveStation(std::optional<unsigned long> stationFlags) noexcept
{
    return !stationFlags || (*stationFlags & stationVisibleFlag) != 0;
}

} // namespace ui
