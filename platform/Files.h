#pragma once
// Files and folders: what exists, what it holds, where the process is.
// Unless a declaration says otherwise, a call that fails leaves its outputs
// untouched and the reason in lastError() (platform/Errors.h).

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Separator of folder names in a path, and of folders in a search path.
#ifdef _WIN32
inline constexpr char pathSeparator = '\\';
inline constexpr char pathListSeparator = ';';
#else
inline constexpr char pathSeparator = '/';
inline constexpr char pathListSeparator = ':';
#endif

// Whether a path starts from a root rather than from the current folder:
// "/..." on POSIX; "\\...", "X:..." on Windows.
inline bool isAbsolutePath(const std::string& path) noexcept
{
#ifdef _WIN32
    return path.size() > 1 && (path[0] == '\\' || path[1] == ':');
#else
    return !path.empty() && path[0] == '/';
#endif
}

// True when a directory search finds an entry for the path. Nothing is
// opened or loaded.
bool fileExists(const std::string& path) noexcept;
// What a file larger than a read's limit gives: its first `limit` bytes, or
// a failure (EFBIG / ERROR_FILE_TOO_LARGE).
enum class Beyond { cut, refuse };
// The bytes of a regular file, at most `limit` of them. Anything but a
// regular file (a FIFO, a device such as /dev/zero behind a link, a folder)
// is refused before a byte is read, so that nothing the launcher reads can
// hang it or fill its memory. A missing file fails with ENOENT /
// ERROR_FILE_NOT_FOUND. On failure `bytes` is left untouched. On Windows the
// read takes `limit` bytes of memory whatever the file's length: keep the
// limits of its callers small.
[[nodiscard]] bool readFile(const std::string& path, std::size_t limit, Beyond beyond, std::string& bytes) noexcept;
[[nodiscard]] bool setCurrentDirectory(const std::string& path) noexcept;
std::string currentDirectory() noexcept;

// The names of a folder's entries except "." and "..", in the order the
// system lists them. On failure `names` is left untouched.
[[nodiscard]] bool listFolder(const std::string& folder, std::vector<std::string>& names) noexcept;
// Removes a file from its folder, a read-only one too; a missing name is no
// failure. The last error is kept as it was.
void removeFile(const std::string& path) noexcept;
// What tells one version of a file from another cheaply: its size and the
// time of its last change, both as the system keeps them (links followed).
struct FileStamp {
    std::uint64_t size = 0;
    std::uint64_t modified = 0;
    bool folder = false;
};
[[nodiscard]] bool fileStamp(const std::string& path, FileStamp& stamp) noexcept;
// Creates the folder (its parent must exist), private to this user on
// POSIX; a folder that is there already is no failure.
[[nodiscard]] bool makeFolder(const std::string& path) noexcept;
// Creates an empty file, private to this user on POSIX, where no file of
// that name is.
[[nodiscard]] bool createNewFile(const std::string& path) noexcept;
// Gives the file `from` the name `to`, replacing a file of that name.
[[nodiscard]] bool replaceFile(const std::string& from, const std::string& to) noexcept;
// Gives the file `from` the name `to` only when nothing has that name: of
// several callers racing for one name, exactly one succeeds.
[[nodiscard]] bool renameIfAbsent(const std::string& from, const std::string& to) noexcept;

#ifndef _WIN32
// The absolute path with every link, "." and ".." resolved (realpath). On
// failure `resolved` is left untouched.
[[nodiscard]] bool canonicalPath(const std::string& path, std::string& resolved) noexcept;
// Writes the bytes into a new file beside `path`, flushed to the disk, and
// only then gives it that name: `path` is whole or as it was, and a failure
// leaves nothing new beside it. A file that had the name keeps its
// permissions; a new one gets `newFileMode` less the umask.
[[nodiscard]] bool writeWholeFileReplacing(const std::string& path, std::string_view bytes,
                                           unsigned newFileMode) noexcept;
#endif

} // namespace platform
