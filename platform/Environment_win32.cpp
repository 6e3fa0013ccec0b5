#include "platform/System.h"

#include "platform/CodePage_win32.h"

#include <windows.h>

namespace platform {

bool lookUpEnvironmentVariable(void*, std::string_view name, std::string& value) noexcept
{
    if (name.find('\0') != std::string_view::npos) {
        return false;
    }
    const std::wstring wideName = wideFromAnsi(name);
    if (wideName.empty()) {
        return false;
    }
    // The wide call, converted here: wine's GetEnvironmentVariableA ends a
    // value after as many bytes as it has UTF-16 units, cutting double-byte
    // text. Sized by asking first; should the value grow in between, ask
    // again with room to spare.
    std::wstring units;
    DWORD size = 0;
    for (int attempt = 0;; ++attempt) {
        if (attempt == 8) {
            return false;
        }
        units.assign(size, L'\0');
        SetLastError(ERROR_SUCCESS);
        const DWORD got = GetEnvironmentVariableW(wideName.c_str(), size == 0 ? nullptr : units.data(), size);
        if (got == 0 && GetLastError() == ERROR_ENVVAR_NOT_FOUND) {
            return false;
        }
        if (size > 0 && got < size) {
            units.resize(got);
            break;
        }
        size = got > size ? got + 1 : size * 2 + 1;
    }
    value = ansiFromWide(units.data(), units.size());
    return true;
}

bool setEnvironmentVariable(const char* name, const std::string& value) noexcept
{
    return SetEnvironmentVariableA(name, value.c_str()) != FALSE;
}

std::string environmentVariable(const char* name) noexcept
{
    std::string value;
    static_cast<void>(name != nullptr && lookUpEnvironmentVariable(nullptr, name, value));
    return value;
}

} // namespace platform
