#include "platform/Environment.h"

#include <cerrno>
#include <cstdlib>

namespace platform {

// Names are case-sensitive, as POSIX has them: matching "Path" to PATH would
// let the launcher's ';'-separated additions corrupt the real search path.
bool lookUpEnvironmentVariable(void*, std::string_view name, std::string& value) noexcept
{
    if (name.find('\0') != std::string_view::npos) {
        return false;
    }
    const char* found = std::getenv(std::string(name).c_str());
    if (found == nullptr) {
        return false;
    }
    value = found;
    return true;
}

bool setEnvironmentVariable(const char* name, const std::string& value) noexcept
{
    if (name == nullptr) {
        errno = EINVAL;
        return false;
    }
    return ::setenv(name, value.c_str(), 1) == 0;
}

std::string environmentVariable(const char* name) noexcept
{
    std::string value;
    static_cast<void>(name != nullptr && lookUpEnvironmentVariable(nullptr, name, value));
    return value;
}

} // namespace platform
