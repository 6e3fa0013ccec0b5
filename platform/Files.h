#pragma once
// Files and folders: what exists, what it holds, where the process is.
// Unless a declaration says otherwise, a call that fails leaves its outputs
// untouched and the reason in lastError() (platform/Errors.h).

#include <cstddef>
#include <string>
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

#ifndef _WIN32
// The names of a folder's entries except "." and "..", in the order the
// system lists them. On failure `names` is left untouched.
[[nodiscard]] bool listFolder(const std::string& folder, std::vector<std::string>& names) noexcept;
// The absolute path with every link, "." and ".." resolved (realpath). On
// failure `resolved` is left untouched.
[[nodiscard]] bool canonicalPath(const std::string& path, std::string& resolved) noexcept;
// Removes a name from its folder; a missing name is no failure.
void removeFile(const std::string& path) noexcept;
#endif

} // namespace platform
