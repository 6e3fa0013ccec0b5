#include "platform/System.h"

#include "resources/StringIds.h"

namespace platform {

// The Linux build has no resource section; the table is compiled in.
std::string loadString(unsigned id) noexcept { return resources::builtInString(id); }

} // namespace platform
