#include "launcher/Trace.h"

#include <cstdarg>
#include <string>

#include "platform/Environment.h"
#include "platform/Output.h"

namespace traceState {
bool enabled = false;
} // namespace traceState

void initialiseTrace() noexcept { traceState::enabled = platform::environmentVariable("QUARNEL_TRACE") == "1"; }

void trace(const char* format, ...) noexcept
{
    if (!tracing()) {
        return;
    }
    std::va_list args;
    va_start(args, format);
    const std::string line = "quarnel: " + platform::formatArguments(format, args) + "\n";
    va_end(args);
    // One write per line keeps lines whole when the JVM writes too.
    platform::writeStandardError(line);
}
