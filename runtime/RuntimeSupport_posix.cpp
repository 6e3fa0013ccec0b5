// The shipped Linux executable's runtime support over the C library (see
// RuntimeSupport.cpp).

#include "runtime/RuntimeSupport.h"

#include <cstdlib>

#include <unistd.h>

namespace runtime {

void* runtimeAllocate(std::size_t size) noexcept { return std::malloc(size); }
void runtimeRelease(void* block) noexcept { std::free(block); }
[[noreturn]] void runtimeFailure() noexcept { ::_exit(255); }

} // namespace runtime

// Registers the destructor of a thread_local object; libstdc++'s own
// forwarder to the C library's is compiled with exceptions.
extern "C" int __cxa_thread_atexit_impl(void (*destructor)(void*), void* object, void* library) noexcept;
extern "C" int __cxa_thread_atexit(void (*destructor)(void*), void* object, void* library) noexcept
{
    return __cxa_thread_atexit_impl(destructor, object, library);
}
