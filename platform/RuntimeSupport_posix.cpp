// The few C++ runtime entry points the shipped executable needs, in place of
// libstdc++'s. The launcher is built without exceptions, yet libstdc++'s
// operator new and its std::__throw_* helpers throw: linking them brings in
// the whole exception machinery, and with it work at every start (the
// emergency pool for exceptions allocated by a static constructor, the
// unwinder registering the executable's frames) and the terminate handler's
// demangler. Without them the executable's C++ runtime is its own code over
// the C library.
//
// Only the executable links this file (and StringInstances_posix.cpp); the
// tests keep the toolchain's runtime, because GoogleTest relies on
// exceptions.

#include <cstddef>
#include <cstdlib>
#include <new>

#include <unistd.h>

namespace {

// A launch cannot go on without the memory it asked for, and no caller is
// prepared to see null: end the process with the launcher's failure code.
// Nothing is printed, since printing needs memory too; _exit, since the
// handlers exit() would run may need memory as well.
[[noreturn]] void outOfMemory() noexcept { ::_exit(255); }

// A broken precondition inside the standard library (a string grown past its
// maximum, an index out of range): the same end, since there is no exception
// to carry it.
[[noreturn]] void brokenPrecondition() noexcept { ::_exit(255); }

void* allocate(std::size_t size) noexcept
{
    // C++ wants a distinct pointer for every request, zero bytes included.
    return std::malloc(size == 0 ? 1 : size);
}

void* allocateOrEnd(std::size_t size) noexcept
{
    void* block = allocate(size);
    if (block == nullptr) {
        outOfMemory();
    }
    return block;
}

} // namespace

void* operator new(std::size_t size) { return allocateOrEnd(size); }
void* operator new[](std::size_t size) { return allocateOrEnd(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return allocate(size); }

void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { std::free(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { std::free(block); }

namespace std {

// Declared by libstdc++ and defined there beside its new handler.
const nothrow_t nothrow{};

// What libstdc++'s inline code calls where it would throw.
void __throw_bad_alloc() { outOfMemory(); }
void __throw_bad_array_new_length() { outOfMemory(); }
void __throw_length_error(const char*) { brokenPrecondition(); }
void __throw_logic_error(const char*) { brokenPrecondition(); }
void __throw_out_of_range(const char*) { brokenPrecondition(); }
void __throw_out_of_range_fmt(const char*, ...) { brokenPrecondition(); }
void __throw_invalid_argument(const char*) { brokenPrecondition(); }
void __throw_bad_function_call() { brokenPrecondition(); }
void __throw_system_error(int) { brokenPrecondition(); }

} // namespace std

// Registers the destructor of a thread_local object; libstdc++'s own
// forwarder to the C library's is compiled with exceptions.
extern "C" int __cxa_thread_atexit_impl(void (*destructor)(void*), void* object, void* library) noexcept;
extern "C" int __cxa_thread_atexit(void (*destructor)(void*), void* object, void* library) noexcept
{
    return __cxa_thread_atexit_impl(destructor, object, library);
}

// A pure virtual function called during construction or destruction.
extern "C" void __cxa_pure_virtual() { brokenPrecondition(); }
