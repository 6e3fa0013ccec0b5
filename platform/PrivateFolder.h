#pragma once
// A folder only this user may enter, and the lock files kept in it (POSIX).
// Unless a declaration says otherwise, a call that fails leaves its outputs
// untouched and the reason in lastError() (platform/Errors.h).

#include "platform/Handles.h"

#include <string>

namespace platform {

// Makes the folder with mode 0700, or takes it as it is when it already is
// a folder (not a link) of the effective user that nobody else may enter.
// False for anything else: a folder another user could have prepared is
// never used.
[[nodiscard]] bool ensurePrivateFolder(const std::string& folder) noexcept;
// Whether the path is a folder (not a link) of the effective user that
// nobody else may enter.
bool isPrivateFolder(const std::string& folder) noexcept;

// Opens, creating it with mode 0600 when missing, a file that is only ever
// locked, never read or written.
[[nodiscard]] bool openLockFile(const std::string& path, UniqueFileHandle& file) noexcept;
// Takes the exclusive lock on the whole file without waiting; false when
// another process holds it. The system releases it with the last
// descriptor of this open file, also when the process dies.
bool tryLockFile(const UniqueFileHandle& file) noexcept;

} // namespace platform
