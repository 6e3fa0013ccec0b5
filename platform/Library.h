#pragma once
// Libraries loaded at run time.
// Unless a declaration says otherwise, a call that fails leaves its outputs
// untouched and the reason in lastError() (platform/Errors.h).

#include <string>

namespace platform {

// Loads a library for the life of the process (never unloaded); null on
// failure.
void* loadLibrary(const std::string& path) noexcept;
void* findSymbol(void* library, const char* name) noexcept;
#ifndef _WIN32
// The dynamic linker's text for the latest loadLibrary or findSymbol on this
// thread (dlerror, taken right after the call); empty when it succeeded.
std::string libraryErrorText() noexcept;
#endif

} // namespace platform
