#pragma once
// The thin layer of operating-system calls the launcher makes, one small group
// per concept. Implemented by System_win32.cpp and System_posix.cpp. Unless a
// declaration says otherwise, a call that fails leaves its outputs untouched
// and the reason in platform::lastError().

#include <cstdarg>
#include <cstddef>
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
// path cut short. On Linux the link is read once per process and its answer,
// path or failure, given to every call.
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
// While holding is on, a file is read from disk once and its text serves
// every later read of it; a successful writeProfileString of it updates
// that text, so a read after the process's own write sees the write, while
// a change made by another program goes unseen until holding is turned off
// (which drops what is held). The launcher holds for its whole run: one
// launch, one read of its configuration file. On Windows the profile
// functions keep a copy of their own and this does nothing.
void holdProfileTexts(bool hold) noexcept;

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
// At most `limit` bytes from the start of a file, fewer when it is shorter.
// On failure `bytes` is left untouched.
[[nodiscard]] bool readFileStart(const std::string& path, std::size_t limit, std::string& bytes) noexcept;
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

// Milliseconds of a clock that never jumps (CLOCK_MONOTONIC, the tick count).
std::uint64_t monotonicMilliseconds() noexcept;
void sleepMilliseconds(std::uint32_t milliseconds) noexcept;

// Starts routine(parameter) on a new thread with the default stack size that
// nobody waits for. False when it cannot be created; the routine then never
// runs.
[[nodiscard]] bool startDetachedThread(ThreadRoutine routine, void* parameter) noexcept;

#ifdef _WIN32
// Starts routine(parameter) on a new thread with the default stack size,
// suspended when asked (resumeThread lets it run), and gives its handle and
// identifier. False, with the outputs untouched, when it cannot be created;
// the routine then never runs.
[[nodiscard]] bool startThread(ThreadRoutine routine, void* parameter, bool suspended, UniqueHandle& thread,
                               std::uint32_t& threadId) noexcept;
void resumeThread(const UniqueHandle& thread) noexcept;
// Waits at most `milliseconds` for the thread to end; true when it has.
bool waitForThread(const UniqueHandle& thread, std::uint32_t milliseconds) noexcept;
// Whether the thread's exit code still reads STILL_ACTIVE (false also when
// it cannot be read, so that nobody waits for a thread it cannot see).
bool threadStillActive(const UniqueHandle& thread) noexcept;
std::uint32_t threadIdOf(const UniqueHandle& thread) noexcept;
#endif

// --- memory -----------------------------------------------------------------
// Total physical memory in bytes, as the launcher's percentage form reads it
// (the 32-bit build's GlobalMemoryStatus count; 64-bit-capable elsewhere).
std::uint64_t totalPhysicalMemory() noexcept;

// --- output -----------------------------------------------------------------
// Writes to the process's standard output through the C runtime and flushes,
// so that nothing is lost when the JVM ends the process. Failures ignored.
void writeStandardOutput(const std::string& text) noexcept;
// Writes the bytes to the process's standard error at once, unbuffered and
// untranslated (no CR is added on Windows). Failures ignored.
void writeStandardError(const std::string& text) noexcept;
// The C runtime's printf formatting of the arguments, the whole text; empty
// when the format cannot be applied. Leaves args to the caller's va_end.
std::string formatArguments(const char* format, std::va_list args) noexcept;

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

// --- shared memory ------------------------------------------------------------
// Creates, or opens when it exists, the named paging-file mapping of `size`
// bytes, read-write, in the session's namespace; `existed` says which.
[[nodiscard]] bool createSharedMemory(const std::string& name, std::uint32_t size, UniqueHandle& mapping,
                                      bool& existed) noexcept;
// Opens the named mapping when it exists.
[[nodiscard]] bool openSharedMemory(const std::string& name, UniqueHandle& mapping) noexcept;
// The whole mapping, writable.
[[nodiscard]] bool mapSharedMemory(const UniqueHandle& mapping, UniqueMappedView& view) noexcept;

// --- named synchronisation (session namespace) ------------------------------
// A mutex, created unowned or opened.
[[nodiscard]] bool createNamedMutex(const std::string& name, UniqueHandle& mutex) noexcept;
// Takes the mutex, waiting at most `milliseconds`; a mutex its last owner
// left without releasing (it died) is taken too. False when the wait ended
// without it; `held` is then untouched.
[[nodiscard]] bool takeMutex(const UniqueHandle& mutex, std::uint32_t milliseconds, UniqueMutexHold& held) noexcept;
// An auto-reset event, created unsignalled (or opened); openNamedEvent only
// opens one that exists. A null name makes an unnamed one.
[[nodiscard]] bool createEvent(const char* name, UniqueHandle& event) noexcept;
[[nodiscard]] bool openNamedEvent(const std::string& name, UniqueHandle& event) noexcept;
void signalEvent(const UniqueHandle& event) noexcept;
void clearEvent(const UniqueHandle& event) noexcept;
// True when the object was signalled within `milliseconds`.
bool waitForObject(RawHandle object, std::uint32_t milliseconds) noexcept;
// Waits without a time limit until either object is signalled; true when it
// was the first (an auto-reset event is reset by this very wait, so only
// the answer tells).
bool waitForEither(RawHandle first, RawHandle second) noexcept;
// The same within `milliseconds`; a null `second` is not waited for.
enum class WaitOutcome { first, second, timedOut };
WaitOutcome waitForEitherWithin(RawHandle first, RawHandle second, std::uint32_t milliseconds) noexcept;

// --- thread messages --------------------------------------------------------
// RegisterWindowMessageA: the identifier, 0 on failure.
std::uint32_t registerMessage(const std::string& name) noexcept;
// Gives the calling thread a message queue, so that posts to it can succeed.
void createMessageQueue() noexcept;
// PostThreadMessageA with wParam 0 and lParam 0.
[[nodiscard]] bool postThreadMessage(std::uint32_t threadId, std::uint32_t message) noexcept;
[[nodiscard]] bool postQuit(std::uint32_t threadId) noexcept;
// Waits for the next message of the calling thread's queue; false once
// WM_QUIT arrives (or the queue cannot be read).
[[nodiscard]] bool nextThreadMessage(std::uint32_t& message) noexcept;
// Lets the process that owns the thread bring a window to the foreground (a
// process may only hand on what it has itself), when that process runs the
// same executable as this one (its full path, ignoring case): nobody else
// is given this process's rights for having written a thread identifier
// where ours is expected. True when that is the case.
bool allowForegroundForOwnInstance(std::uint32_t threadId) noexcept;
// A handle that says when the thread has ended. On failure `thread` is left
// untouched.
[[nodiscard]] bool openThreadToWaitFor(std::uint32_t threadId, UniqueHandle& thread) noexcept;
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
// Makes the folder with mode 0700, or takes it as it is when it already is
// a folder (not a link) of the effective user that nobody else may enter.
// False for anything else: a folder another user could have prepared is
// never used.
[[nodiscard]] bool ensurePrivateFolder(const std::string& folder) noexcept;
// Whether the path is a folder (not a link) of the effective user that
// nobody else may enter.
bool isPrivateFolder(const std::string& folder) noexcept;
// Removes a name from its folder; a missing name is no failure.
void removeFile(const std::string& path) noexcept;

// --- lock files (POSIX) ------------------------------------------------------
// Opens, creating it with mode 0600 when missing, a file that is only ever
// locked, never read or written.
[[nodiscard]] bool openLockFile(const std::string& path, UniqueFileHandle& file) noexcept;
// Takes the exclusive lock on the whole file without waiting; false when
// another process holds it. The system releases it with the last
// descriptor of this open file, also when the process dies.
bool tryLockFile(const UniqueFileHandle& file) noexcept;

// --- threads (POSIX) ---------------------------------------------------------
using ThreadToken = unsigned long; // a pthread_t
// Starts routine(parameter) on a new thread with the default stack size.
// With `joinable` null the thread is detached and nobody waits for it;
// otherwise it receives the thread, which must be joined once. False when
// the thread cannot be created; the routine then never runs.
[[nodiscard]] bool startThread(ThreadRoutine routine, void* parameter, ThreadToken* joinable) noexcept;
void joinThread(ThreadToken thread) noexcept;

// --- local sockets (Unix domain, stream) ------------------------------------
// Listens at `path`, replacing whatever has that name: only the caller may
// decide that an existing socket there is stale.
[[nodiscard]] bool listenLocal(const std::string& path, UniqueFileHandle& listener) noexcept;
[[nodiscard]] bool connectLocal(const std::string& path, UniqueFileHandle& connection) noexcept;
[[nodiscard]] bool acceptLocal(const UniqueFileHandle& listener, UniqueFileHandle& connection) noexcept;
// The effective user of the process at the other end, as it was when it
// connected (SO_PEERCRED).
[[nodiscard]] bool peerUserId(const UniqueFileHandle& connection, std::uint32_t& userId) noexcept;
std::uint32_t effectiveUserId() noexcept;
// Sends every byte, or receives exactly `size` bytes, by the deadline (on
// monotonicMilliseconds). False on a timeout, an error, or when the other
// end has gone; a peer that is gone never raises SIGPIPE.
[[nodiscard]] bool sendAll(const UniqueFileHandle& connection, const void* bytes, std::size_t size,
                           std::uint64_t deadline) noexcept;
[[nodiscard]] bool receiveAll(const UniqueFileHandle& connection, void* bytes, std::size_t size,
                              std::uint64_t deadline) noexcept;
// Stops waiting on the connection in a way the other end can rely on: shuts
// both directions down, so that whatever it sends from now on fails, then
// takes what had arrived before, without waiting. True with exactly `size`
// bytes when they had all arrived.
[[nodiscard]] bool withdrawAndReceive(const UniqueFileHandle& connection, void* bytes, std::size_t size) noexcept;
// A pipe whose read end wakes a thread blocked in waitForConnection or
// nextCaughtSignal. The wake byte is zero, which no signal has as number.
[[nodiscard]] bool makePipe(UniqueFileHandle& readEnd, UniqueFileHandle& writeEnd) noexcept;
void writeWakeByte(const UniqueFileHandle& writeEnd) noexcept;
// Waits without a time limit; true when `listener` has a connection to
// accept, false once `wake` is readable (or waiting fails).
bool waitForConnection(const UniqueFileHandle& listener, const UniqueFileHandle& wake) noexcept;
// One datagram to a Unix socket whose address is given as the bytes of its
// path (a leading zero byte for the abstract namespace).
[[nodiscard]] bool sendLocalDatagram(const std::string& address, const std::string& text) noexcept;

// --- signals ----------------------------------------------------------------
// From now on SIGTERM, SIGINT and SIGHUP, whichever thread they reach, do
// nothing but write their number as one byte into `writeEnd` (made
// non-blocking here; it must stay open for as long as they are caught,
// which is usually until the process ends). Nothing is
// blocked: programs this process starts inherit no signal mask from it, and
// their exec gives them the default actions back.
[[nodiscard]] bool catchStopSignals(const UniqueFileHandle& writeEnd) noexcept;
// From now on the three signals have their default actions again (they end
// the process); nothing is written any more. Never ignored: programs this
// process starts would inherit that.
void restoreStopSignals() noexcept;
enum class CaughtSignal { stop, hangUp, other };
// The next byte of the pipe read as a caught signal: SIGTERM and SIGINT are
// stop requests, SIGHUP a hang-up; anything else (a wake byte, the pipe's
// end or failure) is other.
CaughtSignal nextCaughtSignal(const UniqueFileHandle& readEnd) noexcept;
#endif

} // namespace platform
