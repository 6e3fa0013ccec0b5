#include "platform/ErrorText.h"

#include <cstring>

namespace platform {

std::string errorText(long code) noexcept
{
    return std::strerror(static_cast<int>(code));
}

} // namespace platform
