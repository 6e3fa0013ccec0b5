#include "launcher/Errors.h"

#include "platform/Output.h"
#include "ui/SplashScreen.h"
#ifdef _WIN32
#include "platform/MessageBox.h"
#include "platform/Process.h"
#include "platform/WindowStation.h"
#include "text/AnsiText.h"
#include "ui/InteractiveStation.h"
#endif

#include <cstdarg>

namespace {

#ifdef _WIN32
std::string jvmWords;

// The executable's name without its folder and extension.
std::string programName() noexcept
{
    std::string path;
    if (!platform::moduleFileName(path)) {
        return "Error";
    }
    const std::size_t slash = text::findLastChar(path, '\\');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const std::size_t dot = text::findLastChar(name, '.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

void showInBox(std::string text) noexcept
{
    if (!ui::isInteractiveStation(platform::windowStationFlags())) {
        return; // no one would see it, and no one could close it
    }
    const auto trim = [](std::string& lines) {
        while (!lines.empty() && (lines.back() == '\n' || lines.back() == ' ')) {
            lines.pop_back();
        }
    };
    trim(text);
    trim(jvmWords);
    if (!jvmWords.empty()) {
        text += "\n\n" + jvmWords;
        jvmWords.clear();
    }
    platform::showErrorBox(programName(), text);
}
#endif

void printLine(const std::string& text) noexcept
{
    // A failure: nothing may cover its report, and the program will not come.
    closeSplashScreen();
#ifdef _WIN32
    if (reportsInBoxes()) {
        showInBox(text);
        return;
    }
#endif
    platform::writeStandardOutput("Error: " + text + " \n");
}

} // namespace

bool reportsInBoxes() noexcept
{
#ifdef _WIN32
    return !platform::hasStandardOutput();
#else
    return false;
#endif
}

void keepJvmWords(const std::string& text) noexcept
{
#ifdef _WIN32
    // Enough for the JVM's explanation; a flood is cut.
    if (jvmWords.size() < 4096) {
        jvmWords += text;
    }
#else
    static_cast<void>(text);
#endif
}

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
