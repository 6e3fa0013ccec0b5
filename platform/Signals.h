#pragma once
// The stop signals, caught for one thread to act on (POSIX).
// Unless a declaration says otherwise, a call that fails leaves its outputs
// untouched and the reason in lastError() (platform/Errors.h).

#include "platform/Handles.h"

namespace platform {

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

} // namespace platform
