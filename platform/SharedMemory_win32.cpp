#include "platform/SharedMemory.h"

#include <windows.h>

namespace platform {

bool createSharedMemory(const std::string& name, std::uint32_t size, UniqueHandle& mapping, bool& existed) noexcept
{
    // A name without a "Global\" prefix lives in the session's namespace:
    // every user and every remote session has instances of its own.
    HANDLE created = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, size, name.c_str());
    const DWORD error = GetLastError(); // before anything else can change it
    if (created == nullptr) {
        return false;
    }
    mapping.reset(created);
    existed = error != 0;
    return true;
}

bool openSharedMemory(const std::string& name, UniqueHandle& mapping) noexcept
{
    HANDLE opened = OpenFileMappingA(FILE_MAP_WRITE, FALSE, name.c_str());
    if (opened == nullptr) {
        return false;
    }
    mapping.reset(opened);
    return true;
}

bool mapSharedMemory(const UniqueHandle& mapping, UniqueMappedView& view) noexcept
{
    void* mapped = MapViewOfFile(mapping.get(), FILE_MAP_WRITE, 0, 0, 0);
    if (mapped == nullptr) {
        return false;
    }
    view.reset(mapped);
    return true;
}

} // namespace platform
