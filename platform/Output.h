#pragma once
// The process's standard output and error, and the C runtime's formatting.
// Unless a declaration says otherwise, a call that fails leaves its outputs
// untouched and the reason in lastError() (platform/Errors.h).

#include <cstdarg>
#include <string>

namespace platform {

// Writes to the process's standard output through the C runtime and flushes,
// so that nothing is lost when the JVM ends the process. Failures ignored.
void writeStandardOutput(const std::string& text) noexcept;
// Writes the bytes to the process's standard error at once, unbuffered and
// untranslated (no CR is added on Windows). Failures ignored.
void writeStandardError(const std::string& text) noexcept;
// Whether standard output leads somewhere: a console, a file or a pipe. A
// window program started from the desktop has none.
bool hasStandardOutput() noexcept;
// The C runtime's printf formatting of the arguments, the whole text; empty
// when the format cannot be applied. Leaves args to the caller's va_end.
std::string formatArguments(const char* format, std::va_list args) noexcept;

} // namespace platform
