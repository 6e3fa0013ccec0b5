#include "platform/PrivateFolder.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

bool ensurePrivateFolder(const std::string& folder) noexcept
{
    if (::mkdir(folder.c_str(), 0700) == 0) {
        // The umask may have taken more than it should, never given more.
        return ::chmod(folder.c_str(), 0700) == 0;
    }
    if (errno != EEXIST) {
        return false;
    }
    if (!isPrivateFolder(folder)) {
        errno = EPERM;
        return false;
    }
    return true;
}

bool isPrivateFolder(const std::string& folder) noexcept
{
    struct stat status;
    return ::lstat(folder.c_str(), &status) == 0 && S_ISDIR(status.st_mode) && status.st_uid == ::geteuid() &&
           (status.st_mode & 0077) == 0;
}

bool openLockFile(const std::string& path, UniqueFileHandle& file) noexcept
{
    // Not inherited by programs the Java application starts: they would keep
    // this instance's lock alive after it ended.
    UniqueFileHandle opened(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (!opened) {
        return false;
    }
    file = std::move(opened);
    return true;
}

bool tryLockFile(const UniqueFileHandle& file) noexcept
{
    int result;
    do {
        result = ::flock(file.get(), LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    return result == 0;
}

} // namespace platform
