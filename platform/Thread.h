#pragma once
// Threads, and the time they wait by.
// Unless a declaration says otherwise, a call that fails leaves its outputs
// untouched and the reason in lastError() (platform/Errors.h).

#include "platform/Handles.h"

#include <cstdint>

namespace platform {

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
// A handle that says when the thread has ended. On failure `thread` is left
// untouched.
[[nodiscard]] bool openThreadToWaitFor(std::uint32_t threadId, UniqueHandle& thread) noexcept;
#else
using ThreadToken = unsigned long; // a pthread_t
// Starts routine(parameter) on a new thread with the default stack size.
// With `joinable` null the thread is detached and nobody waits for it;
// otherwise it receives the thread, which must be joined once. False when
// the thread cannot be created; the routine then never runs.
[[nodiscard]] bool startThread(ThreadRoutine routine, void* parameter, ThreadToken* joinable) noexcept;
void joinThread(ThreadToken thread) noexcept;
#endif

} // namespace platform
