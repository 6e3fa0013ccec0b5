#pragma once
// The launcher's string table as the running executable carries it: its
// resources on Windows, the compiled-in list (resources/Strings.def)
// elsewhere.

#include <string>

namespace resources {

// The string-table entry, whole whatever its length (empty when missing).
std::string loadString(unsigned id) noexcept;

} // namespace resources
