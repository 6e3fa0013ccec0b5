#include "platform/System.h"

#include "platform/AnsiText.h"

#include <windows.h>

namespace platform {

long lastError() noexcept { return static_cast<long>(GetLastError()); }

void initialiseProcess(int, char**) noexcept
{
    SetThreadLocale(GetSystemDefaultLCID());
    CPINFO info;
    if (GetCPInfo(CP_ACP, &info)) {
        setLeadBytes(LeadBytes::fromRanges(info.LeadByte));
    }
}

std::string rawCommandLine() noexcept
{
    const char* line = GetCommandLineA();
    return line ? line : "";
}

std::vector<std::string> argumentsAfterProgram() noexcept { return {}; }

} // namespace platform
