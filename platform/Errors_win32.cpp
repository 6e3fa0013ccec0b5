#include "platform/Errors.h"

#include <windows.h>

namespace platform {

long lastError() noexcept { return static_cast<long>(GetLastError()); }

} // namespace platform
