#include "platform/System.h"

#include <windows.h>

namespace platform {

bool moduleFileName(std::string& path) noexcept
{
    char buffer[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, buffer, MAX_PATH);
    if (length == 0) {
        return false;
    }
    path.assign(buffer, length);
    return true;
}

} // namespace platform
