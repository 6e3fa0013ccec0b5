#include "platform/Files.h"

#include "platform/Handles.h"
#include "platform/UniqueResource.h"
#include "text/Decimal.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

struct DirectoryTraits {
    using Value = DIR*;
    static Value invalid() noexcept { return nullptr; }
    static void release(Value value) noexcept
    {
        const int saved = errno;
        ::closedir(value);
        errno = saved;
    }
};


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

// lstat, not stat: what counts is that the folder has an entry of that name,
// so a link whose target is missing exists too, as a directory search would
// find it.
bool fileExists(const std::string& path) noexcept
{
    struct stat status;
    return !path.empty() && ::lstat(path.c_str(), &status) == 0;
}

bool readFile(const std::string& path, std::size_t limit, Beyond beyond, std::string& bytes) noexcept
{
    // An open that cannot block, so that a FIFO is refused below rather than
    // waited on.
    const UniqueFileHandle file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (!file) {
        return false;
    }
    struct stat status;
    if (::fstat(file.get(), &status) != 0) {
        return false;
    }
    const auto size = static_cast<std::size_t>(status.st_size);
    if (!S_ISREG(status.st_mode) || (beyond == Beyond::refuse && size > limit)) {
        errno = S_ISDIR(status.st_mode) ? EISDIR : S_ISREG(status.st_mode) ? EFBIG : EINVAL;
        return false;
    }
    // One byte more than the file should hold, so that a single read that
    // comes back short shows the end without a second read that returns
    // nothing; more when the file grows while it is read, up to the limit.
    std::string content((size < limit ? size : limit) + 1, '\0');
    std::size_t got = 0;
    for (;;) {
        if (got == content.size()) {
            if (got > limit) {
                if (beyond == Beyond::refuse) {
                    errno = EFBIG;
                    return false;
                }
                got = limit;
                break;
            }
            content.resize(content.size() + 4096 < limit + 1 ? content.size() + 4096 : limit + 1);
        }
        const ssize_t count = ::read(file.get(), content.data() + got, content.size() - got);
        if (count == 0) {
            break;
        }
        if (count < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        got += static_cast<std::size_t>(count);
        if (got >= size && got < content.size()) { // short of a larger ask: the end
            break;
        }
    }
    content.resize(got);
    bytes.swap(content);
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

bool listFolder(const std::string& folder, std::vector<std::string>& names) noexcept
{
    const UniqueResource<DirectoryTraits> directory(::opendir(folder.c_str()));
    if (!directory) {
        return false;
    }
    std::vector<std::string> found;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(directory.get());
        if (entry == nullptr) {
            if (errno != 0) {
                return false;
            }
            break;
        }
        const std::string name = entry->d_name;
        if (name != "." && name != "..") {
            found.push_back(name);
        }
    }
    names.swap(found);
    return true;
}

bool canonicalPath(const std::string& path, std::string& resolved) noexcept
{
    char buffer[PATH_MAX];
    if (::realpath(path.c_str(), buffer) == nullptr) {
        return false;
    }
    resolved = buffer;
    return true;
}

void removeFile(const std::string& path) noexcept
{
    const int saved = errno;
    ::unlink(path.c_str());
    errno = saved;
}

bool fileStamp(const std::string& path, FileStamp& stamp) noexcept
{
    struct stat status{};
    if (::stat(path.c_str(), &status) != 0) {
        return false;
    }
    stamp.size = static_cast<std::uint64_t>(status.st_size);
    stamp.modified = static_cast<std::uint64_t>(status.st_mtim.tv_sec) * 1000000000u +
                     static_cast<std::uint64_t>(status.st_mtim.tv_nsec);
    stamp.folder = S_ISDIR(status.st_mode);
    return true;
}

bool makeFolder(const std::string& path) noexcept
{
    if (::mkdir(path.c_str(), 0700) == 0) {
        return true;
    }
    struct stat status{};
    return errno == EEXIST && ::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

bool createNewFile(const std::string& path) noexcept
{
    const int file = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    return file >= 0 && ::close(file) == 0;
}

bool replaceFile(const std::string& from, const std::string& to) noexcept
{
    return ::rename(from.c_str(), to.c_str()) == 0;
}

bool writeWholeFileReplacing(const std::string& path, std::string_view bytes, unsigned newFileMode) noexcept
{
    struct stat status;
    const bool existed = ::stat(path.c_str(), &status) == 0;
    const mode_t mode = existed ? (status.st_mode & 07777) : static_cast<mode_t>(newFileMode);

    // O_EXCL never takes over a name that something else holds, nor follows
    // a link planted under it.
    std::string temporary;
    UniqueFileHandle file;
    for (unsigned attempt = 0; !file; ++attempt) {
        temporary = path + ".~";
        text::appendDecimal(temporary, static_cast<std::uint64_t>(::getpid()));
        temporary += '-';
        text::appendDecimal(temporary, attempt);
        file.reset(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode));
        if (!file && (errno != EEXIST || attempt == 100)) {
            return false;
        }
    }
    // fchmod ignores the umask: a file that existed keeps exactly its
    // permissions. Flushed before the rename, so that a crash cannot leave
    // the name on a file whose data never reached the disk.
    const bool written = writeAll(file.get(), bytes) && (!existed || ::fchmod(file.get(), mode) == 0) &&
                         ::fsync(file.get()) == 0 && ::close(file.take()) == 0;
    if (!written || !replaceFile(temporary, path)) {
        removeFile(temporary);
        return false;
    }
    return true;
}

bool renameIfAbsent(const std::string& from, const std::string& to) noexcept
{
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
        return true;
    }
    if (errno != EINVAL && errno != ENOSYS) {
        return false;
    }
    // A file system without the exclusive rename: a hard link is just as
    // exclusive.
    if (::link(from.c_str(), to.c_str()) != 0) {
        return false;
    }
    removeFile(from);
    return true;
}

} // namespace platform
