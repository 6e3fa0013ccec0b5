#include "platform/System.h"

#include <cstdio>

namespace platform {

void writeStandardOutput(const std::string& text) noexcept
{
    std::fputs(text.c_str(), stdout);
    std::fflush(stdout);
}

} // namespace platform
