#pragma once
// Files named by UTF-8 paths, whatever the system's code page, read and
// written whole: what a tool that handles a product's files by any name
// needs (quarnel-brand). On Windows through the wide (UTF-16) calls; the
// launcher itself names its files in the ANSI code page (Files.h).
// A call that fails leaves its outputs untouched and the reason in
// lastError() (platform/Errors.h).

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

// The bytes of a regular file of at most `limit` bytes. A larger file fails
// with EFBIG / ERROR_FILE_TOO_LARGE, and anything but a regular file (a
// folder, a FIFO, a device) before a byte is read, so that no input can
// hang the caller or fill its memory.
[[nodiscard]] bool readWholeFile(const std::string& path, std::size_t limit, std::string& bytes) noexcept;

// Whether both paths name one existing file however they are spelled (a
// link, another case on Windows, "." and ".."): the system's own identity
// of the file is compared, not the names. False when either cannot be
// opened.
bool sameFile(const std::string& first, const std::string& second) noexcept;

// Writes the bytes to a new file beside `path` and only then gives it that
// name, replacing a file that has it: `path` is whole or as it was, and a
// failure leaves nothing new beside it. On POSIX, as cp does, a file that
// had the name keeps its permissions, and a new one gets every permission
// the umask leaves.
[[nodiscard]] bool writeWholeFile(const std::string& path, std::string_view bytes) noexcept;

} // namespace platform
