#include "launcher/Trace.h"

#include <cstdarg>
#include <cstdio>
#include <string>
#include <string_view>

#include "platform/System.h"

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
    std::va_list measure;
    va_copy(measure, args);
    const int length = std::vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    if (length < 0) {
        va_end(args);
        return;
    }
    constexpr std::string_view prefix = "quarnel: ";
    std::string line(prefix.size() + static_cast<std::size_t>(length) + 1, '\0');
    line.replace(0, prefix.size(), prefix);
    std::vsnprintf(line.data() + prefix.size(), static_cast<std::size_t>(length) + 1, format, args);
    va_end(args);
    line.back() = '\n';
    // One write per line keeps lines whole when the JVM writes too.
    platform::writeStandardError(line);
}
