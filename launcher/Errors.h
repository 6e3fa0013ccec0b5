#pragma once
// The launcher's failure reports: one "Error: %s \n" line (a report may span
// two) on standard output, texts from the string table. A failing step
// reports once, where it fails; its callers only pass the failure up.

#include <string>

// Where a report goes: with standard output there, one line on it; without
// (a window program started from the desktop), a message box titled with
// the executable's name, unless no one can see it (a service's station).
void printError(const std::string& text) noexcept;
void printErrorCode(const std::string& format, const std::string& text, int code) noexcept;
void printErrorReason(const std::string& format, const std::string& first, const std::string& second) noexcept;
void printErrorArg(const std::string& format, const std::string& text) noexcept;

// The JVM's own explanation of a failure (collected through its vfprintf
// hook by a window program without standard output), added to the next
// report shown in a box.
void keepJvmWords(const std::string& text) noexcept;
// Whether reports are shown in boxes, so the JVM's words are to be kept.
bool reportsInBoxes() noexcept;

// printf-style formatting into a narrow string (the string table's formats).
std::string formatText(const char* format, ...) noexcept __attribute__((format(printf, 1, 2)));
// The same for a format that is not a literal (a string-table entry).
std::string formatString(const std::string& format, const std::string& first) noexcept;
std::string formatString(const std::string& format, const std::string& first, const std::string& second) noexcept;
