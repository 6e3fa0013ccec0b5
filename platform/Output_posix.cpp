#include "platform/System.h"

#include <cerrno>
#include <cstdio>

#include <unistd.h>

namespace platform {

void writeStandardOutput(const std::string& text) noexcept
{
    std::fputs(text.c_str(), stdout);
    std::fflush(stdout);
}

void writeStandardError(const std::string& text) noexcept
{
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t written = ::write(STDERR_FILENO, text.data() + done, text.size() - done);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return;
        }
        done += static_cast<std::size_t>(written);
    }
}

} // namespace platform
