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

bool listFolder(const std::string& folder, std::vector<std::string>& names) noexcept
{
    WIN32_FIND_DATAA found;
    const UniqueFindHandle search(FindFirstFileA((folder + "*").c_str(), &found));
    if (!search) {
        return false;
    }
    std::vector<std::string> listed;
    do {
        const std::string name = found.cFileName;
        if (name != "." && name != "..") {
            listed.push_back(name);
        }
    } while (FindNextFileA(search.get(), &found));
    if (GetLastError() != ERROR_NO_MORE_FILES) {
        return false;
    }
    names.swap(listed);
    return true;
}

void removeFile(const std::string& path) noexcept
{
    const DWORD saved = GetLastError();
    // The JVM marks the archives it writes read-only.
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(path.c_str());
    SetLastError(saved);
}

bool fileStamp(const std::string& path, FileStamp& stamp) noexcept
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) {
        return false;
    }
    stamp.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    stamp.modified = (static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                     data.ftLastWriteTime.dwLowDateTime;
    stamp.folder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    return true;
}

bool makeFolder(const std::string& path) noexcept
{
    if (CreateDirectoryA(path.c_str(), nullptr)) {
        return true;
    }
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool createNewFile(const std::string& path) noexcept
{
    const UniqueFileHandle file(
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    return static_cast<bool>(file);
}

bool replaceFile(const std::string& from, const std::string& to) noexcept
{
    SetFileAttributesA(to.c_str(), FILE_ATTRIBUTE_NORMAL);
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
}

bool renameIfAbsent(const std::string& from, const std::string& to) noexcept
{
    return MoveFileExA(from.c_str(), to.c_str(), 0) != FALSE;
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
