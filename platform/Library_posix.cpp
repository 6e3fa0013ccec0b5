#include "platform/Library.h"

#include <dlfcn.h>

namespace platform {
namespace {

// dlerror's text lives only until the next dl* call on the thread, and errno
// says nothing about a failed load; keep the text for the caller's report.
thread_local std::string lastLibraryError;

void recordOutcome(bool succeeded)
{
    const char* text = dlerror(); // also clears the pending error
    lastLibraryError = (succeeded || text == nullptr) ? std::string() : std::string(text);
}

} // namespace

void* loadLibrary(const std::string& path) noexcept
{
    // RTLD_GLOBAL: the JVM's own libraries resolve symbols against it.
    void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_GLOBAL);
    recordOutcome(library != nullptr);
    return library;
}

void* findSymbol(void* library, const char* name) noexcept
{
    dlerror(); // a stale error must not be taken for this lookup's
    void* symbol = dlsym(library, name);
    recordOutcome(symbol != nullptr);
    return symbol;
}

std::string libraryErrorText() noexcept { return lastLibraryError; }

} // namespace platform
