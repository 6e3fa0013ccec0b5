#pragma once
// The thin layer of operating-system calls the launcher makes, one small group
// per concept. Implemented by System_win32.cpp and System_posix.cpp. Unless a
// declaration says otherwise, a call that fails leaves its outputs untouched
// and the reason in platform::lastError().

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Handles.h"

namespace platform {

// Separator of folder names in a path, and of folders in a search path.
#ifdef _WIN32
inline constexpr char pathSeparator = '\\';
inline constexpr char pathListSeparator = ';';
#else
inline constexpr char pathSeparator = '/';
inline constexpr char pathListSeparator = ':';
#endif

// --- errors ---------------------------------------------------------------
// GetLastError on Windows, errno on POSIX.
long lastError() noexcept;

// --- process start-up -----------------------------------------------------
// Installs the ANSI code page's lead bytes (AnsiText.h) and, on Windows, sets
// the thread locale to the system default. No I/O.
void initialiseProcess(int argc, char** argv) noexcept;

// The launcher's own command-line arguments after the program name. On
// Windows they are split from the raw command line by the launcher's rules
// (launcher/CommandLine.h); on POSIX they arrive split and are taken as given.
std::string rawCommandLine() noexcept;                       // Windows only
std::vector<std::string> argumentsAfterProgram() noexcept;   // POSIX only

// --- module ---------------------------------------------------------------
// Full path of the running executable (GetModuleFileNameA with 260
// characters on Windows, /proc/self/exe on Linux). A path that fills the
// buffer is a failure (ERROR_INSUFFICIENT_BUFFER, ENAMETOOLONG), never a
// path cut short.
[[nodiscard]] bool moduleFileName(std::string& path) noexcept;

// --- configuration files ----------------------------------------------------
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

// --- environment ------------------------------------------------------------
// A VariableLookup (platform/EnvironmentText.h) over the process's
// environment, for expandReferences: names compare as the platform compares
// them (ignoring case on Windows, exactly on POSIX); a value may have any
// length; a name holding a zero byte is never set. `context` is unused.
bool lookUpEnvironmentVariable(void* context, std::string_view name, std::string& value) noexcept;
[[nodiscard]] bool setEnvironmentVariable(const char* name, const std::string& value) noexcept;
// Empty when unset.
std::string environmentVariable(const char* name) noexcept;

// --- files and folders ------------------------------------------------------
// True when a directory search finds an entry for the path. Nothing is
// opened or loaded.
bool fileExists(const std::string& path) noexcept;
[[nodiscard]] bool setCurrentDirectory(const std::string& path) noexcept;
std::string currentDirectory() noexcept;

// --- dynamic libraries ------------------------------------------------------
// Loads a library for the life of the process (never unloaded); null on
// failure.
void* loadLibrary(const std::string& path) noexcept;
void* findSymbol(void* library, const char* name) noexcept;
#ifndef _WIN32
// The dynamic linker's text for the latest loadLibrary or findSymbol on this
// thread (dlerror, taken right after the call); empty when it succeeded.
std::string libraryErrorText() noexcept;
#endif

// --- threads ----------------------------------------------------------------
using ThreadRoutine = unsigned (*)(void* parameter);
// Runs routine(parameter) on a new thread with the given stack size (0: the
// platform's default), waits for it without a time limit and stores its exit
// code. False, with exitCode untouched, when the thread cannot be created.
[[nodiscard]] bool runThread(std::uint32_t stackSize, ThreadRoutine routine, void* parameter,
                             unsigned& exitCode) noexcept;

// --- memory -----------------------------------------------------------------
// Total physical memory in bytes, as the launcher's percentage form reads it
// (the 32-bit build's GlobalMemoryStatus count; 64-bit-capable elsewhere).
std::uint64_t totalPhysicalMemory() noexcept;

// --- output -----------------------------------------------------------------
// Writes to the process's standard output through the C runtime and flushes,
// so that nothing is lost when the JVM ends the process. Failures ignored.
void writeStandardOutput(const std::string& text) noexcept;

// --- resources --------------------------------------------------------------
// The string-table entry, whole whatever its length (empty when missing).
std::string loadString(unsigned id) noexcept;

#ifdef _WIN32
// --- registry (read only) --------------------------------------------------
// HKEY_LOCAL_MACHINE\path opened with KEY_READ in the process's own registry
// view. On failure `key` is left untouched.
[[nodiscard]] bool openLocalMachineKey(const std::string& path, UniqueRegistryKey& key) noexcept;
// The name of the subkey at `index` (RegEnumKeyExA, 260 characters). False at
// the end of the list and on any error, a name that does not fit included;
// `name` is then left untouched.
[[nodiscard]] bool enumerateSubkey(const UniqueRegistryKey& key, std::uint32_t index, std::string& name) noexcept;
// A value's data taken as text up to its first zero byte and never past the
// data read, whatever the value's type. False for a missing or empty value or
// a failed read; `text` is then left untouched.
[[nodiscard]] bool readRegistryString(const UniqueRegistryKey& key, const char* value, std::string& text) noexcept;
#else
// --- folders and files (POSIX) ---------------------------------------------
// The names of a folder's entries except "." and "..", in the order the
// system lists them. On failure `names` is left untouched.
[[nodiscard]] bool listFolder(const std::string& folder, std::vector<std::string>& names) noexcept;
// The absolute path with every link, "." and ".." resolved (realpath). On
// failure `resolved` is left untouched.
[[nodiscard]] bool canonicalPath(const std::string& path, std::string& resolved) noexcept;
// A whole file's bytes. On failure `text` is left untouched.
[[nodiscard]] bool readFileText(const std::string& path, std::string& text) noexcept;
#endif

} // namespace platform
