#include "brand/Manifest.h"

#include <utility>

namespace brand {

namespace {

constexpr std::string_view trustInfoStart = "<trustInfo xmlns=\"urn:schemas-microsoft-com:asm.v3\">";
constexpr std::string_view trustInfoEnd = "</trustInfo>";
constexpr std::string_view settingsStart = "<application xmlns=\"urn:schemas-microsoft-com:asm.v3\">";
constexpr std::string_view settingsEnd = "</application>";

const char* levelName(ExecutionLevel level)
{
    switch (level) {
    case ExecutionLevel::highestAvailable:
        return "highestAvailable";
    case ExecutionLevel::requireAdministrator:
        return "requireAdministrator";
    case ExecutionLevel::asInvoker:
        break;
    }
    return "asInvoker";
}

// dpiAware for Windows before 10 version 1607 (true/pm: per monitor from 8.1
// on, system aware before), dpiAwareness from then on, which overrides it and
// whose list falls back to per monitor where version 2 is unknown (before
// 1703).
struct DpiValues {
    const char* dpiAware;
    const char* dpiAwareness;
};

DpiValues dpiValues(DpiAwareness awareness)
{
    switch (awareness) {
    case DpiAwareness::system:
        return {"true", "system"};
    case DpiAwareness::perMonitor:
        return {"true/pm", "permonitor"};
    case DpiAwareness::perMonitorV2:
        return {"true/pm", "permonitorv2,permonitor"};
    case DpiAwareness::unaware:
        break;
    }
    return {"false", "unaware"};
}

// Removes the element from `start` to `end` with the blanks before it on its
// line and the line end after it; true when there was one.
bool removeElement(std::string& text, std::string_view start, std::string_view end)
{
    const std::size_t from = text.find(start);
    if (from == std::string::npos) {
        return false;
    }
    const std::size_t close = text.find(end, from);
    if (close == std::string::npos) {
        return false;
    }
    std::size_t first = from;
    while (first > 0 && (text[first - 1] == ' ' || text[first - 1] == '\t')) {
        --first;
    }
    std::size_t last = close + end.size();
    last += text.compare(last, 2, "\r\n") == 0 ? 2 : text.compare(last, 1, "\n") == 0 ? 1 : 0;
    text.erase(first, last - first);
    return true;
}

} // namespace

bool parseExecutionLevel(std::string_view text, ExecutionLevel& level) noexcept
{
    for (const ExecutionLevel candidate :
         {ExecutionLevel::asInvoker, ExecutionLevel::highestAvailable, ExecutionLevel::requireAdministrator}) {
        if (text == levelName(candidate)) {
            level = candidate;
            return true;
        }
    }
    return false;
}

bool parseDpiAwareness(std::string_view text, DpiAwareness& awareness) noexcept
{
    constexpr std::pair<std::string_view, DpiAwareness> names[] = {{"unaware", DpiAwareness::unaware},
                                                                   {"system", DpiAwareness::system},
                                                                   {"permonitor", DpiAwareness::perMonitor},
                                                                   {"permonitorv2", DpiAwareness::perMonitorV2}};
    for (const auto& [name, value] : names) {
        if (text == name) {
            awareness = value;
            return true;
        }
    }
    return false;
}

bool brandManifest(std::string_view launcherManifest, ExecutionLevel level, DpiAwareness awareness,
                   std::string& manifest, std::string& error)
{
    std::string text(launcherManifest);
    while (removeElement(text, trustInfoStart, trustInfoEnd)) {
    }
    while (removeElement(text, settingsStart, settingsEnd)) {
    }
    if (text.find("requestedExecutionLevel") != std::string::npos || text.find("dpiAware") != std::string::npos) {
        error = "the executable's manifest sets an execution level or DPI awareness of its own";
        return false;
    }
    const std::size_t closing = text.rfind("</assembly>");
    if (closing == std::string::npos) {
        error = "the executable's manifest has no </assembly>";
        return false;
    }
    std::size_t lineStart = closing;
    while (lineStart > 0 && (text[lineStart - 1] == ' ' || text[lineStart - 1] == '\t')) {
        --lineStart;
    }
    const char* const newline = text.find("\r\n") != std::string::npos ? "\r\n" : "\n";
    const DpiValues dpi = dpiValues(awareness);
    std::string added;
    for (const std::string& line : {
             std::string(2, ' ') + std::string(trustInfoStart),
             std::string("    <security>"),
             std::string("      <requestedPrivileges>"),
             "        <requestedExecutionLevel level=\"" + std::string(levelName(level)) + "\" uiAccess=\"false\"/>",
             std::string("      </requestedPrivileges>"),
             std::string("    </security>"),
             std::string(2, ' ') + std::string(trustInfoEnd),
             std::string(2, ' ') + std::string(settingsStart),
             std::string("    <windowsSettings>"),
             "      <dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">" +
                 std::string(dpi.dpiAware) + "</dpiAware>",
             "      <dpiAwareness xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">" +
                 std::string(dpi.dpiAwareness) + "</dpiAwareness>",
             std::string("    </windowsSettings>"),
             std::string(2, ' ') + std::string(settingsEnd),
         }) {
        added += line + newline;
    }
    text.insert(lineStart, added);
    manifest.swap(text);
    return true;
}

} // namespace brand
