#include "platform/Environment.h"

#include "platform/CodePage_win32.h"

#include <windows.h>

namespace platform {

bool lookUpEnvironmentVariable(void*, std::string_view name, std::string& value) noexcept
{
    if (name.find('\0') != std::string_view::npos) {
        return false;
    }
    UniqueHeapBlock wideName;
    if (!wideFromAnsi(name, wideName)) {
        return false;
    }
    // The wide call, converted here: wine's GetEnvironmentVariableA ends a
    // value after as many bytes as it has UTF-16 units, cutting double-byte
    // text. Sized by asking first; should the value grow in between, ask
    // again with room to spare.
    UniqueHeapBlock units;
    DWORD size = 0;
    for (int attempt = 0;; ++attempt) {
        if (attempt == 8 || (size > 0 && !allocateUnits(size, units))) {
            return false;
        }
        SetLastError(ERROR_SUCCESS);
        const DWORD got = GetEnvironmentVariableW(static_cast<const wchar_t*>(wideName.get()),
                                                  size == 0 ? nullptr : static_cast<wchar_t*>(units.get()), size);
        if (got == 0 && GetLastError() == ERROR_ENVVAR_NOT_FOUND) {
            return false;
        }
        if (size > 0 && got < size) {
            value = ansiFromWide(static_cast<const wchar_t*>(units.get()), got);
            return true;
        }
        size = got > size ? got + 1 : size * 2 + 1;
    }
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
