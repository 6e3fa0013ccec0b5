#include "platform/Output.h"

#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <windows.h>

namespace platform {
namespace {

// A longer text is no text: nothing the launcher formats comes near it.
constexpr std::size_t maximumFormattedLength = 1 << 20;

} // namespace

void writeStandardOutput(const std::string& text) noexcept
{
    // Straight from the system C runtime's table of standard streams:
    // MinGW's stdout reaches it through a wrapper whose unwind data would
    // take two sections of the executable for itself.
    FILE* out = &__iob_func()[1];
    // The reports' bytes are exact ("... \n"): no CR is added. Set here, at
    // the first report, so a launch that reports nothing pays nothing.
    static const bool binary = _setmode(_fileno(out), _O_BINARY) != -1;
    (void)binary;
    std::fputs(text.c_str(), out);
    std::fflush(out);
}

bool hasStandardOutput() noexcept
{
    const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    return out != nullptr && out != INVALID_HANDLE_VALUE && GetFileType(out) != FILE_TYPE_UNKNOWN;
}

void writeStandardError(const std::string& text) noexcept
{
    // Straight to the handle: no C runtime buffer to flush or translate.
    const HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    if (error == nullptr || error == INVALID_HANDLE_VALUE) {
        return;
    }
    std::size_t done = 0;
    while (done < text.size()) {
        DWORD written = 0;
        if (!WriteFile(error, text.data() + done, static_cast<DWORD>(text.size() - done), &written, nullptr) ||
            written == 0) {
            return;
        }
        done += written;
    }
}

std::string formatArguments(const char* format, std::va_list args) noexcept
{
    // The system C runtime's formatting, called by its own names: the
    // standard names lead to MinGW's replacement printf, which would bring
    // its floating-point conversions into the executable for formats that
    // hold nothing but %s and %d. Not measured first with _vscprintf: the
    // 32-bit import library replaces that with an emulation, whose data
    // and unwind tables would cost the executable two sections.
    std::string text(256, '\0');
    for (;;) {
        std::va_list attempt;
        va_copy(attempt, args);
        // -1, or the whole buffer without room for the terminator, when the
        // text does not fit.
        const int length = _vsnprintf(text.data(), text.size(), format, attempt);
        va_end(attempt);
        if (length >= 0 && static_cast<std::size_t>(length) < text.size()) {
            text.resize(static_cast<std::size_t>(length));
            return text;
        }
        if (text.size() >= maximumFormattedLength) {
            return {};
        }
        text.assign(text.size() * 2, '\0');
    }
}

} // namespace platform
