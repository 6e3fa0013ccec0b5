#pragma once
// This process: how it starts, its command line, the file it runs from.
// Unless a declaration says otherwise, a call that fails leaves its outputs
// untouched and the reason in lastError() (platform/Errors.h).

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

} // namespace platform
