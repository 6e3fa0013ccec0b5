#pragma once
// Named shared memory of the session (Windows).
// Unless a declaration says otherwise, a call that fails leaves its outputs
// untouched and the reason in lastError() (platform/Errors.h).

#include "platform/Handles.h"

#include <cstdint>
#include <string>

namespace platform {

// Creates, or opens when it exists, the named paging-file mapping of `size`
// bytes, read-write, in the session's namespace; `existed` says which.
[[nodiscard]] bool createSharedMemory(const std::string& name, std::uint32_t size, UniqueHandle& mapping,
                                      bool& existed) noexcept;
// Opens the named mapping when it exists.
[[nodiscard]] bool openSharedMemory(const std::string& name, UniqueHandle& mapping) noexcept;
// The whole mapping, writable.
[[nodiscard]] bool mapSharedMemory(const UniqueHandle& mapping, UniqueMappedView& view) noexcept;

} // namespace platform
