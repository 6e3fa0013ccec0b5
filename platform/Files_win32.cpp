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

bool readFileStart(const std::string& path, std::size_t limit, std::string& bytes) noexcept
{
    const UniqueFileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return false;
    }
    std::string data(limit, '\0');
    std::size_t got = 0;
    while (got < limit) {
        DWORD count = 0;
        if (!ReadFile(file.get(), data.data() + got, static_cast<DWORD>(limit - got), &count, nullptr)) {
            return false;
        }
        if (count == 0) {
            break;
        }
        got += count;
    }
    data.resize(got);
    bytes.swap(data);
    return true;
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
