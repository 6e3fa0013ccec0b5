#pragma once
// The machine's memory.
// Unless a declaration says otherwise, a call that fails leaves its outputs
// untouched and the reason in lastError() (platform/Errors.h).

#include <cstdint>

namespace platform {

// Total physical memory in bytes, as the launcher's percentage form reads it
// (the 32-bit build's GlobalMemoryStatus count; 64-bit-capable elsewhere).
std::uint64_t totalPhysicalMemory() noexcept;

} // namespace platform
