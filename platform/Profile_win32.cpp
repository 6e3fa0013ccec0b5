#include "platform/Profile.h"

#include <windows.h>

namespace platform {

unsigned readProfileString(const std::string& file, const char* section, const char* key, char* buffer,
                           unsigned size) noexcept
{
    return GetPrivateProfileStringA(section, key, "", buffer, size, file.c_str());
}

bool writeProfileString(const std::string& file, const char* section, const char* key,
                        const std::string& value) noexcept
{
    return WritePrivateProfileStringA(section, key, value.c_str(), file.c_str()) != FALSE;
}

void holdProfileTexts(bool) noexcept {}

} // namespace platform
