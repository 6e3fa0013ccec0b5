#pragma once
// The command line and the standard streams of a program that takes and
// gives UTF-8 text whatever the system's code page (quarnel-brand): on
// Windows the wide command line, and UTF-16 to a console, which then shows
// every character. The launcher keeps to the ANSI code page (Process.h,
// Output.h).

#include <string>
#include <vector>

namespace platform {

// The arguments after the program's name: main's on POSIX; on Windows the
// wide command line split by the system's rules (CommandLineToArgvW), each
// argument in UTF-8. `argc` and `argv` are main's.
std::vector<std::string> utf8Arguments(int argc, char** argv) noexcept;

// UTF-8 text to standard output or standard error, written at once.
// Failures ignored.
void writeUtf8Output(const std::string& text) noexcept;
void writeUtf8Error(const std::string& text) noexcept;

} // namespace platform
