#pragma once
// The window station this process runs in (Windows).

#include <optional>

namespace platform {

// The station's flags (UOI_FLAGS), or nothing when they cannot be read.
std::optional<unsigned long> windowStationFlags() noexcept;

} // namespace platform
