#pragma once
// The launcher's own rules for splitting a raw command line (Windows gives
// one line, not an argument vector): no backslash escapes, only the space
// character separates, and a double quote counts only at the start of an
// argument.

#include <string>
#include <string_view>
#include <vector>

namespace text {

// Tokens of a raw command line by the rules above (program name included).
std::vector<std::string> splitCommandLine(std::string_view line);

// The raw line with leading and trailing white space (space, tab, LF, VT,
// FF, CR) removed, split, and the program name dropped.
std::vector<std::string> argumentsFromCommandLine(std::string_view line);

} // namespace text
