#pragma once
// This process: how it starts, its command line, the file it runs from.
// Unless a declaration says otherwise, a call that fails leaves its outputs
// untouched and the reason in lastError() (platform/Errors.h).

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// Installs the ANSI code page's lead bytes (text/AnsiText.h) and, on
// Windows, sets the thread locale to the system default. No I/O. `argc` and
// `argv` are main's, and must live as long as the process.
void initialiseProcess(int argc, char** argv) noexcept;

// The arguments after the program's name. Windows gives the raw line, split
// here by the launcher's own rules (text/CommandLineText.h); POSIX gives
// main's argument vector.
std::vector<std::string> processArguments() noexcept;

// Full path of the running executable (GetModuleFileNameA with 260
// characters on Windows, /proc/self/exe on Linux). A path that fills the
// buffer is a failure (ERROR_INSUFFICIENT_BUFFER, ENAMETOOLONG), never a
// path cut short. On Linux the link is read once per process and its answer,
// path or failure, given to every call.
[[nodiscard]] bool moduleFileName(std::string& path) noexcept;

std::uint32_t processId() noexcept;
// Whether this executable is a window-subsystem program (Windows), which
// the system starts without a console.
bool isWindowProgram() noexcept;
// Starts this executable once more, with the same arguments and working
// folder, `variable`=`value` added to its environment, its standard streams
// on the null device, and no console or session of this process's. With
// `exitCode` null the copy runs on by itself (nobody waits for it);
// otherwise this waits for it, ten minutes at most (then it is ended and
// the call fails), and gives its exit code.
[[nodiscard]] bool runOwnCopy(const char* variable, const std::string& value, std::uint32_t* exitCode) noexcept;
// Waits at most `milliseconds` for the process `id` to end; true when it
// has ended or was never there.
bool awaitProcessEnd(std::uint32_t id, std::uint32_t milliseconds) noexcept;
// Ends the process at once with `code`: no exit handlers, no destructors
// (for a JVM that has already shut down around the caller).
[[noreturn]] void endProcessNow(int code) noexcept;

} // namespace platform
