#include "platform/Process.h"

#include "platform/Handles.h"
#include "text/AnsiText.h"
#include "text/CommandLineText.h"

#include <windows.h>

namespace platform {
namespace {

constexpr DWORD ownCopyMilliseconds = 10 * 60 * 1000;

} // namespace

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

std::uint32_t processId() noexcept { return GetCurrentProcessId(); }

bool isWindowProgram() noexcept
{
    // The image's own header says which subsystem it was linked for: one
    // build of the sources, two executables.
    const auto* image = reinterpret_cast<const unsigned char*>(GetModuleHandleA(nullptr));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(image);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(image + dos->e_lfanew);
    return nt->OptionalHeader.Subsystem == IMAGE_SUBSYSTEM_WINDOWS_GUI;
}

bool runOwnCopy(const char* variable, const std::string& value, std::uint32_t* exitCode) noexcept
{
    std::string module;
    const char* line = GetCommandLineA();
    if (!moduleFileName(module) || line == nullptr || !SetEnvironmentVariableA(variable, value.c_str())) {
        return false;
    }
    std::string commandLine = line;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    // Detached: no console, so the standard handles are none; a group of its
    // own, so that Ctrl+C in this console does not reach it.
    const BOOL started = CreateProcessA(module.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                                        DETACHED_PROCESS | CREATE_NEW_PROCESS_GROUP, nullptr, nullptr, &startup,
                                        &process);
    SetEnvironmentVariableA(variable, nullptr);
    if (!started) {
        return false;
    }
    const UniqueHandle processHandle(process.hProcess);
    const UniqueHandle threadHandle(process.hThread);
    if (exitCode == nullptr) {
        return true;
    }
    DWORD code = 0;
    if (WaitForSingleObject(process.hProcess, ownCopyMilliseconds) != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, 1);
        return false;
    }
    if (!GetExitCodeProcess(process.hProcess, &code)) {
        return false;
    }
    *exitCode = code;
    return true;
}

void endProcessNow(int code) noexcept { ExitProcess(static_cast<UINT>(code)); }

bool awaitProcessEnd(std::uint32_t id, std::uint32_t milliseconds) noexcept
{
    const UniqueHandle process(OpenProcess(SYNCHRONIZE, FALSE, id));
    return !process || WaitForSingleObject(process.get(), milliseconds) == WAIT_OBJECT_0;
}

} // namespace platform
