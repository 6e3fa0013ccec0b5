#include "platform/Process.h"

#include "text/AnsiText.h"
#include "text/CommandLineText.h"

#include <windows.h>

namespace platform {

void initialiseProcess(int, char**) noexcept
{
    SetThreadLocale(GetSystemDefaultLCID());
    CPINFO info;
    if (GetCPInfo(CP_ACP, &info)) {
        text::setLeadBytes(text::LeadBytes::fromRanges(info.LeadByte));
    }
}

std::vector<std::string> processArguments() noexcept
{
    const char* line = GetCommandLineA();
    return text::argumentsFromCommandLine(line != nullptr ? line : "");
}

bool moduleFileName(std::string& path) noexcept
{
    char buffer[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, buffer, MAX_PATH);
    if (length == 0) {
        return false;
    }
    // A path that fills the buffer has been cut (and, on older systems, left
    // without its terminating zero); anything derived from it, the INI path
    // first, would name another file. The last error is not asked: a
    // success leaves whatever an earlier call put there.
    if (length >= MAX_PATH) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return false;
    }
    path.assign(buffer, length);
    return true;
}

} // namespace platform
