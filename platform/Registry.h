#pragma once
// The registry, read only (Windows).
// Unless a declaration says otherwise, a call that fails leaves its outputs
// untouched and the reason in lastError() (platform/Errors.h).

#include "platform/Handles.h"

#include <cstdint>
#include <string>

namespace platform {

// HKEY_LOCAL_MACHINE\path opened with KEY_READ in the process's own registry
// view. On failure `key` is left untouched.
[[nodiscard]] bool openLocalMachineKey(const std::string& path, UniqueRegistryKey& key) noexcept;
// The name of the subkey at `index` (RegEnumKeyExA, 260 characters). False at
// the end of the list and on any error, a name that does not fit included;
// `name` is then left untouched.
[[nodiscard]] bool enumerateSubkey(const UniqueRegistryKey& key, std::uint32_t index, std::string& name) noexcept;
// A value's data taken as text up to its first zero byte and never past the
// data read, whatever the value's type. False for a missing or empty value or
// a failed read; `text` is then left untouched.
[[nodiscard]] bool readRegistryString(const UniqueRegistryKey& key, const char* value, std::string& text) noexcept;

} // namespace platform
