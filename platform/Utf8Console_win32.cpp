#include "platform/Utf8Console.h"

#include "platform/CodePage_win32.h"
#include "platform/Output.h"

#include <windows.h>

#include <shellapi.h>

#include <cwchar>

namespace platform {
namespace {

// A console takes UTF-16 and shows it whatever its code page; a file or a
// pipe gets the UTF-8 bytes.
bool writeToConsole(DWORD which, const std::string& text) noexcept
{
    const HANDLE handle = GetStdHandle(which);
    DWORD mode = 0;
    if (!GetConsoleMode(handle, &mode)) {
        return false;
    }
    UniqueHeapBlock characters;
    if (wideFromUtf8(text, characters)) {
        const auto* units = static_cast<const wchar_t*>(characters.get());
        DWORD written = 0;
        WriteConsoleW(handle, units, static_cast<DWORD>(std::wcslen(units)), &written, nullptr);
    }
    return true;
}

} // namespace

std::vector<std::string> utf8Arguments(int, char**) noexcept
{
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> result;
    for (int i = 1; arguments != nullptr && i < count; ++i) {
        result.push_back(utf8FromWide(arguments[i], std::wcslen(arguments[i])));
    }
    LocalFree(arguments);
    return result;
}

void writeUtf8Output(const std::string& text) noexcept
{
    if (!writeToConsole(STD_OUTPUT_HANDLE, text)) {
        writeStandardOutput(text);
    }
}

void writeUtf8Error(const std::string& text) noexcept
{
    if (!writeToConsole(STD_ERROR_HANDLE, text)) {
        writeStandardError(text);
    }
}

} // namespace platform
