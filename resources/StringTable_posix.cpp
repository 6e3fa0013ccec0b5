#include "resources/StringTable.h"

#include "resources/StringIds.h"

namespace resources {

// The Linux build has no resource section; the table is compiled in.
std::string loadString(unsigned id) noexcept { return builtInString(id); }

} // namespace resources
