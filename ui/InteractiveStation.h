#pragma once
// Whether anyone can see the windows this process shows. A process in a
// non-interactive window station (a Windows service) has no user: a modal
// dialog there would wait forever.

#include <optional>

namespace ui {

// The window station's visibility flag (WSF_VISIBLE of UOI_FLAGS).
inline constexpr unsigned long stationVisibleFlag = 0x0001;

// Decides from the station's flags (platform/WindowStation.h); when they
// could not be read, the station counts as interactive, which is where a
// desktop program normally runs.
bool isInteractiveStation(std::optional<unsigned long> stationFlags) noexcept;

} // namespace ui
