#pragma once
// The process's environment variables.
// Unless a declaration says otherwise, a call that fails leaves its outputs
// untouched and the reason in lastError() (platform/Errors.h).

#include <string>
#include <string_view>

namespace platform {

// A VariableLookup (text/EnvironmentText.h) over the process's
// environment, for expandReferences: names compare as the platform compares
// them (ignoring case on Windows, exactly on POSIX); a value may have any
// length; a name holding a zero byte is never set. `context` is unused.
bool lookUpEnvironmentVariable(void* context, std::string_view name, std::string& value) noexcept;
[[nodiscard]] bool setEnvironmentVariable(const char* name, const std::string& value) noexcept;
// Empty when unset.
std::string environmentVariable(const char* name) noexcept;

} // namespace platform
