#include "platform/Library.h"

#include <windows.h>

namespace platform {

void* loadLibrary(const std::string& path) noexcept
{
    // Deliberately never freed: a JVM cannot be unloaded from a process.
    return LoadLibraryA(path.c_str());
}

void* findSymbol(void* library, const char* name) noexcept
{
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

} // namespace platform
