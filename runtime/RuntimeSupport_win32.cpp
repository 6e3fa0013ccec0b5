// The shipped Windows executable's runtime support over the system heap
// and the system C runtime (see RuntimeSupport.cpp), and its process entry.

#include "runtime/RuntimeSupport.h"

#include <cstdlib>

#include <windows.h>

namespace runtime {

void* runtimeAllocate(std::size_t size) noexcept { return HeapAlloc(GetProcessHeap(), 0, size); }

void runtimeRelease(void* block) noexcept
{
    if (block != nullptr) {
        HeapFree(GetProcessHeap(), 0, block);
    }
}

[[noreturn]] void runtimeFailure() noexcept { ExitProcess(static_cast<UINT>(-1)); }

} // namespace runtime

// The process entry, in place of MinGW's start-up code. That code prepares
// what this program never uses: argv and a copy of the environment (the
// launcher splits the raw command line itself), wildcard expansion,
// thread-local storage callbacks, run-time relocation of imported data, and
// a floating-point set-up of its own, where the JVM expects the system's.
// The system C runtime initialises itself when it is loaded; exit() runs its
// atexit handlers and flushes standard output.
extern "C" void __cdecl __set_app_type(int);
int main(int argc, char** argv);

// The static constructors and destructors, as the linker lists them: a
// first entry of -1, the functions, a null entry at the end. Constructors
// run last first; destructors run at exit, first first.
extern "C" void (*__CTOR_LIST__[])();
extern "C" void (*__DTOR_LIST__[])();

namespace {

void runStaticDestructors()
{
    for (auto entry = __DTOR_LIST__ + 1; *entry != nullptr; ++entry) {
        (*entry)();
    }
}

} // namespace

// GCC calls this at the start of main(). In place of MinGW's, whose unwind
// data would take two sections of the executable for itself.
extern "C" void __main()
{
    static bool done = false;
    if (done) {
        return;
    }
    done = true;
    std::size_t count = 0;
    while (__CTOR_LIST__[count + 1] != nullptr) {
        ++count;
    }
    for (; count > 0; --count) {
        __CTOR_LIST__[count]();
    }
    std::atexit(runStaticDestructors);
}

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
