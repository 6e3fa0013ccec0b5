#include "platform/Output.h"

#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <windows.h>

namespace platform {

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
    // hold nothing but %s and %d.
    std::va_list measure;
    va_copy(measure, args);
    const int length = _vscprintf(format, measure);
    va_end(measure);
    if (length <= 0) {
        return {};
    }
    std::string text(static_cast<std::size_t>(length), '\0');
    _vsnprintf(text.data(), text.size() + 1, format, args);
    return text;
}

} // namespace platform
