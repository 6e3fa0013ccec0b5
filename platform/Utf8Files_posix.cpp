#include "platform/Utf8Files.h"

#include "platform/Files.h"
#include "platform/Handles.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

bool writeAll(int file, std::string_view bytes) noexcept
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(file, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            errno = written == 0 ? EIO : errno;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

} // namespace

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

bool writeWholeFile(const std::string& path, std::string_view bytes) noexcept
{
    // O_EXCL never takes over a name that something else holds, nor follows
    // a link planted under it.
    std::string temporary;
    UniqueFileHandle file;
    for (unsigned attempt = 0; attempt < 100 && !file; ++attempt) {
        temporary = path + ".~brand" + std::to_string(::getpid()) + "-" + std::to_string(attempt);
        file.reset(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0777));
        if (!file && errno != EEXIST) {
            return false;
        }
    }
    if (!file) {
        return false;
    }
    // Flushed before the rename, so that a crash cannot leave the name on a
    // file whose data never reached the disk.
    const bool written = writeAll(file.get(), bytes) && ::fsync(file.get()) == 0 && ::close(file.take()) == 0;
    if (!written || !replaceFile(temporary, path)) {
        removeFile(temporary);
        return false;
    }
    return true;
}

} // namespace platform
