#include "platform/Utf8Files.h"

#include "platform/Files.h"

#include <sys/stat.h>

namespace platform {

// A path's bytes are its name here: UTF-8 or not, the system takes them.
bool readWholeFile(const std::string& path, std::size_t limit, std::string& bytes) noexcept
{
    return readFile(path, limit, Beyond::refuse, bytes);
}

bool sameFile(const std::string& first, const std::string& second) noexcept
{
    struct stat a, b;
    return ::stat(first.c_str(), &a) == 0 && ::stat(second.c_str(), &b) == 0 && a.st_dev == b.st_dev &&
           a.st_ino == b.st_ino;
}

// A program file: runnable by whoever the umask lets run it, as cp makes
// the copy of one.
bool writeWholeFile(const std::string& path, std::string_view bytes) noexcept
{
    return writeWholeFileReplacing(path, bytes, 0777);
}

} // namespace platform
