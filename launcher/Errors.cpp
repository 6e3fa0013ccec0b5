#include "launcher/Errors.h"

#include "platform/Output.h"

#include <cstdarg>

namespace {

void printLine(const std::string& text) noexcept { platform::writeStandardOutput("Error: " + text + " \n"); }

} // namespace

// The formats come from our own string table, never from input.
std::string formatText(const char* format, ...) noexcept
{
    std::va_list args;
    va_start(args, format);
    std::string text = platform::formatArguments(format, args);
    va_end(args);
    return text;
}

std::string formatString(const std::string& format, const std::string& first) noexcept
{
    return formatText(format.c_str(), first.c_str());
}

std::string formatString(const std::string& format, const std::string& first, const std::string& second) noexcept
{
    return formatText(format.c_str(), first.c_str(), second.c_str());
}

void printError(const std::string& text) noexcept { printLine(text); }

void printErrorCode(const std::string& format, const std::string& text, int code) noexcept
{
    printLine(formatText(format.c_str(), text.c_str(), code));
}

void printErrorReason(const std::string& format, const std::string& first, const std::string& second) noexcept
{
    printLine(formatString(format, first, second));
}

void printErrorArg(const std::string& format, const std::string& text) noexcept
{
    printLine(formatString(format, text));
}
