#include "platform/Files.h"

#include "platform/Handles.h"

#include <windows.h>

namespace platform {

bool fileExists(const std::string& path) noexcept
{
    WIN32_FIND_DATAA found;
    const UniqueFindHandle search(FindFirstFileA(path.c_str(), &found));
    return static_cast<bool>(search);
}

bool readFile(const std::string& path, std::size_t limit, Beyond beyond, std::string& bytes) noexcept
{
    const UniqueFileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return false;
    }
    // A pipe or a device would let ReadFile wait for data that never comes.
    if (GetFileType(file.get()) != FILE_TYPE_DISK) {
        SetLastError(ERROR_INVALID_FUNCTION);
        return false;
    }
    // One byte more than the limit tells a file that is too long.
    std::string data(limit + (beyond == Beyond::refuse ? 1 : 0), '\0');
    std::size_t got = 0;
    DWORD count = 1;
    while (got < data.size() && count != 0) {
        if (!ReadFile(file.get(), data.data() + got, static_cast<DWORD>(data.size() - got), &count, nullptr)) {
            return false;
        }
        got += count;
    }
    if (got > limit) {
        SetLastError(ERROR_FILE_TOO_LARGE);
        return false;
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
