// The few C++ runtime entry points the shipped executable needs, in place of
// libstdc++'s. The launcher is built without exceptions, yet libstdc++'s
// operator new and its std::__throw_* helpers throw: linking them brings in
// the whole exception machinery, the unwinder, the terminate handler with
// its demangler and, on Windows, the standard exception classes with a
// second string implementation and a threads library; on Linux also work at
// every start (the emergency pool for exceptions, allocated by a static
// constructor). Without them the executable is its own code over the
// platform's C library and system calls (RuntimeSupport_<platform>.cpp).
//
// Only the executable links this file (and the platform's RuntimeSupport
// and StringInstances files); the tests keep the toolchain's runtime,
// because GoogleTest relies on exceptions.

#include "runtime/RuntimeSupport.h"

#include <cstddef>
#include <new>

namespace {

// C++ wants a distinct pointer for every request, zero bytes included.
void* allocate(std::size_t size) noexcept { return runtime::runtimeAllocate(size == 0 ? 1 : size); }

// A launch cannot go on without the memory it asked for, and no caller is
// prepared to see null.
void* allocateOrEnd(std::size_t size) noexcept
{
    void* block = allocate(size);
    if (block == nullptr) {
        runtime::runtimeFailure();
    }
    return block;
}

} // namespace

void* operator new(std::size_t size) { return allocateOrEnd(size); }
void* operator new[](std::size_t size) { return allocateOrEnd(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return allocate(size); }

void operator delete(void* block) noexcept { runtime::runtimeRelease(block); }
void operator delete[](void* block) noexcept { runtime::runtimeRelease(block); }
void operator delete(void* block, std::size_t) noexcept { runtime::runtimeRelease(block); }
void operator delete[](void* block, std::size_t) noexcept { runtime::runtimeRelease(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { runtime::runtimeRelease(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { runtime::runtimeRelease(block); }

namespace std {

// Declared by libstdc++ and defined there beside its new handler.
const nothrow_t nothrow{};

// What libstdc++'s inline code calls where it would throw: memory that is
// not there, or a broken precondition inside the library (a string grown
// past its maximum, an index out of range, an empty std::function called).
void __throw_bad_alloc() { runtime::runtimeFailure(); }
void __throw_bad_array_new_length() { runtime::runtimeFailure(); }
void __throw_length_error(const char*) { runtime::runtimeFailure(); }
void __throw_logic_error(const char*) { runtime::runtimeFailure(); }
void __throw_out_of_range(const char*) { runtime::runtimeFailure(); }
void __throw_out_of_range_fmt(const char*, ...) { runtime::runtimeFailure(); }
void __throw_invalid_argument(const char*) { runtime::runtimeFailure(); }
void __throw_bad_function_call() { runtime::runtimeFailure(); }
void __throw_system_error(int) { runtime::runtimeFailure(); }

} // namespace std

// A pure virtual function called during construction or destruction.
extern "C" void __cxa_pure_virtual() { runtime::runtimeFailure(); }
