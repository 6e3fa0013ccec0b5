#include "platform/Output.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace platform {

void writeStandardOutput(const std::string& text) noexcept
{
    std::fputs(text.c_str(), stdout);
    std::fflush(stdout);
}

bool hasStandardOutput() noexcept { return ::fcntl(STDOUT_FILENO, F_GETFD) != -1; }

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

std::string formatArguments(const char* format, std::va_list args) noexcept
{
    std::va_list measure;
    va_copy(measure, args);
    const int length = std::vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    if (length <= 0) {
        return {};
    }
    std::string text(static_cast<std::size_t>(length), '\0');
    std::vsnprintf(text.data(), text.size() + 1, format, args);
    return text;
}

} // namespace platform
