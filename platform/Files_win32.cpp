#include "platform/System.h"

#include "platform/Handles.h"

#include <windows.h>

namespace platform {

bool fileExists(const std::string& path) noexcept
{
    WIN32_FIND_DATAA found;
    const UniqueFindHandle search(FindFirstFileA(path.c_str(), &found));
    return static_cast<bool>(search);
}

bool setCurrentDirectory(const std::string& path) noexcept
{
    return SetCurrentDirectoryA(path.c_str()) != FALSE;
}

std::string currentDirectory() noexcept
{
    const DWORD needed = GetCurrentDirectoryA(0, nullptr);
    if (needed == 0) {
        return {};
    }
    std::string path(needed, '\0');
    const DWORD length = GetCurrentDirectoryA(needed, path.data());
    path.resize(length < needed ? length : 0);
    return path;
}

} // namespace platform
