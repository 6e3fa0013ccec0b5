#include "platform/System.h"

#include <cerrno>
#include <climits>

#include <unistd.h>

namespace platform {

bool moduleFileName(std::string& path) noexcept
{
    char buffer[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof buffer);
    if (length < 0) {
        return false;
    }
    if (static_cast<std::size_t>(length) == sizeof buffer) { // possibly cut short
        errno = ENAMETOOLONG;
        return false;
    }
    path.assign(buffer, static_cast<std::size_t>(length));
    return true;
}

} // namespace platform
