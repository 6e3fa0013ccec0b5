#include "platform/System.h"

#include <windows.h>

namespace platform {

unsigned expandEnvironmentStrings(const char* text, char* buffer, unsigned size) noexcept
{
    return ExpandEnvironmentStringsA(text, buffer, size);
}

bool setEnvironmentVariable(const char* name, const std::string& value) noexcept
{
    return SetEnvironmentVariableA(name, value.c_str()) != FALSE;
}

std::string environmentVariable(const char* name) noexcept
{
    const DWORD needed = GetEnvironmentVariableA(name, nullptr, 0);
    if (needed == 0) {
        return {};
    }
    std::string value(needed, '\0');
    const DWORD length = GetEnvironmentVariableA(name, value.data(), needed);
    value.resize(length < needed ? length : 0);
    return value;
}

} // namespace platform
