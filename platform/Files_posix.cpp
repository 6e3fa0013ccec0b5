#include "platform/System.h"

#include <cerrno>

#include <fcntl.h>
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

bool readFileStart(const std::string& path, std::size_t limit, std::string& bytes) noexcept
{
    const UniqueFileHandle file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!file) {
        return false;
    }
    std::string data(limit, '\0');
    std::size_t got = 0;
    while (got < limit) {
        const ssize_t count = ::read(file.get(), data.data() + got, limit - got);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count < 0) {
            return false;
        }
        if (count == 0) {
            break;
        }
        got += static_cast<std::size_t>(count);
    }
    data.resize(got);
    bytes.swap(data);
    return true;
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
