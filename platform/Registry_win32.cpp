#include "platform/Registry.h"

#include <windows.h>

namespace platform {

bool openLocalMachineKey(const std::string& path, UniqueRegistryKey& key) noexcept
{
    // No view flag: a 32-bit launcher reads the 32-bit view, where a 32-bit
    // runtime registers itself.
    HKEY opened = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) {
        return false;
    }
    key.reset(opened);
    return true;
}

bool enumerateSubkey(const UniqueRegistryKey& key, std::uint32_t index, std::string& name) noexcept
{
    char buffer[MAX_PATH];
    DWORD length = MAX_PATH;
    const LONG result = RegEnumKeyExA(static_cast<HKEY>(key.get()), index, buffer, &length, nullptr, nullptr,
                                      nullptr, nullptr);
    if (result != ERROR_SUCCESS) {
        SetLastError(static_cast<DWORD>(result));
        return false;
    }
    name.assign(buffer, length);
    return true;
}

bool readRegistryString(const UniqueRegistryKey& key, const char* value, std::string& text) noexcept
{
    const HKEY hkey = static_cast<HKEY>(key.get());
    DWORD size = 0;
    LONG result = RegQueryValueExA(hkey, value, nullptr, nullptr, nullptr, &size);
    if (result == ERROR_SUCCESS && size == 0) {
        result = ERROR_FILE_NOT_FOUND;
    }
    if (result != ERROR_SUCCESS) {
        SetLastError(static_cast<DWORD>(result));
        return false;
    }
    std::string data(size, '\0');
    result = RegQueryValueExA(hkey, value, nullptr, nullptr, reinterpret_cast<BYTE*>(data.data()), &size);
    if (result != ERROR_SUCCESS) {
        SetLastError(static_cast<DWORD>(result));
        return false;
    }
    // The data need not be terminated, nor be text at all: stop at the first
    // zero, and at the size actually read when there is none.
    data.resize(size);
    const std::size_t end = data.find('\0');
    if (end != std::string::npos) {
        data.resize(end);
    }
    text.swap(data);
    return true;
}

} // namespace platform
