// The few C and C++ runtime entry points the shipped executable needs, in
// place of the toolchain's. The launcher is built without exceptions, yet
// libstdc++'s operator new and its std::__throw_* helpers throw: linking them
// brings in the whole exception machinery, the unwinder, the terminate
// handler with its demangler, the standard exception classes with a second
// string implementation, the C runtime's own printf and winpthreads. Without
// them the executable is its own code and system DLLs.
//
// Only the executable links this file (and StringInstances_win32.cpp); the
// tests keep the toolchain's runtime, because GoogleTest relies on
// exceptions.

#include <cstddef>
#include <cstdlib>
#include <new>

#include <windows.h>

namespace {

// A launch cannot go on without the memory it asked for, and no caller is
// prepared to see null: end the process with the launcher's failure code.
// Nothing is printed, since printing needs memory too.
[[noreturn]] void outOfMemory() noexcept { ExitProcess(static_cast<UINT>(-1)); }

// A broken precondition inside the standard library (a string grown past its
// maximum, an index out of range, an empty std::function called): the same
// end, since there is no exception to carry it.
[[noreturn]] void brokenPrecondition() noexcept { ExitProcess(static_cast<UINT>(-1)); }

void* allocate(std::size_t size) noexcept
{
    // C++ wants a distinct pointer for every request, zero bytes included.
    return HeapAlloc(GetProcessHeap(), 0, size == 0 ? 1 : size);
}

void release(void* block) noexcept
{
    if (block != nullptr) {
        HeapFree(GetProcessHeap(), 0, block);
    }
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

void operator delete(void* block) noexcept { release(block); }
void operator delete[](void* block) noexcept { release(block); }
void operator delete(void* block, std::size_t) noexcept { release(block); }
void operator delete[](void* block, std::size_t) noexcept { release(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { release(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { release(block); }

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

} // namespace std

// A pure virtual function called during construction or destruction.
extern "C" void __cxa_pure_virtual() { brokenPrecondition(); }

// The process entry, in place of MinGW's start-up code. That code prepares
// what this program never uses: argv and a copy of the environment (the
// launcher splits the raw command line itself), wildcard expansion,
// thread-local storage callbacks, run-time relocation of imported data, and
// a floating-point set-up of its own, where the JVM expects the system's.
// The system C runtime initialises itself when it is loaded; exit() runs its
// atexit handlers and flushes standard output.
extern "C" void __cdecl __set_app_type(int);
extern "C" void __main();
int main(int argc, char** argv);

// Named as the linker's default entry; "used", since no code calls it.
extern "C" [[noreturn]] __attribute__((used)) void mainCRTStartup()
{
    __set_app_type(1); // a console program: the C runtime reports to the console, never in a window
    // Runs the static constructors. main() calls it too, which does nothing
    // the second time, but that call only appears after whole-program
    // optimisation, and ld (2.40) crashes when it first meets the library
    // that defines it that late.
    __main();
    std::exit(main(0, nullptr));
}

// The start of main() registers the static destructors through atexit,
// which MinGW implements in the start-up code left out above; the system C
// runtime's own list runs at exit() all the same.
extern "C" int __cdecl atexit(void(__cdecl* handler)()) { return _onexit(reinterpret_cast<_onexit_t>(handler)) ? 0 : -1; }
