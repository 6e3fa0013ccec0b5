#include "platform/System.h"

#include <cerrno>

#include <sys/stat.h>
#include <unistd.h>

namespace platform {

// lstat, not stat: what counts is that the folder has an entry of that name,
// so a link whose target is missing exists too, as a directory search would
// find it.
bool fileExists(const std::string& path) noexcept
{
    struct stat status;
    return !path.empty() && ::lstat(path.c_str(), &status) == 0;
}

bool setCurrentDirectory(const std::string& path) noexcept { return ::chdir(path.c_str()) == 0; }

std::string currentDirectory() noexcept
{
    std::string buffer(256, '\0');
    for (;;) {
        if (::getcwd(buffer.data(), buffer.size()) != nullptr) {
            buffer.resize(buffer.find('\0'));
            return buffer;
        }
        if (errno != ERANGE) {
            return {};
        }
        buffer.resize(buffer.size() * 2);
    }
}

} // namespace platform
