#pragma once
// The decision trace: with QUARNEL_TRACE set to exactly "1", the launcher
// says on standard error, one line per decision prefixed "quarnel: ", which
// configuration it read, which runtimes it considered and why it took or
// refused each, the JVM options and the library it loaded. Off, it writes
// nothing and formats nothing: every caller asks tracing() first, so the
// only cost is the one environment lookup at start-up.

namespace traceState {
extern bool enabled;
} // namespace traceState

// Reads QUARNEL_TRACE; called once by the process entry.
void initialiseTrace() noexcept;

inline bool tracing() noexcept { return traceState::enabled; }

// One line: "quarnel: ", the formatted text, "\n". Nothing when off.
void trace(const char* format, ...) noexcept __attribute__((format(printf, 1, 2)));
