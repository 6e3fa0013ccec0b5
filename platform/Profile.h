#pragma once
// The configuration file, read and written by the platform's profile
// rules (GetPrivateProfileStringA's on Windows, text/IniText.h elsewhere).
// Unless a declaration says otherwise, a call that fails leaves its outputs
// untouched and the reason in lastError() (platform/Errors.h).

#include <string>

namespace platform {

// GetPrivateProfileStringA's contract: copies at most size - 1 bytes of the
// value (empty for a missing file, section or key), zero-terminates, and
// returns the length copied; size - 1 when the value did not fit.
// On POSIX only a regular file of at most 16 MiB is read: anything else (a
// FIFO, a device, a directory, a larger file) reads as a missing file, and
// writing into it fails without touching it.
unsigned readProfileString(const std::string& file, const char* section, const char* key, char* buffer,
                           unsigned size) noexcept;
[[nodiscard]] bool writeProfileString(const std::string& file, const char* section, const char* key,
                                      const std::string& value) noexcept;
// While holding is on, a file is read from disk once and its text serves
// every later read of it; a successful writeProfileString of it updates
// that text, so a read after the process's own write sees the write, while
// a change made by another program goes unseen until holding is turned off
// (which drops what is held). The launcher holds for its whole run: one
// launch, one read of its configuration file. On Windows the profile
// functions keep a copy of their own and this does nothing.
void holdProfileTexts(bool hold) noexcept;

} // namespace platform
