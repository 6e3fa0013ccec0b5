#include "platform/System.h"

#include <cstdio>
#include <fcntl.h>
#include <io.h>

namespace platform {

void writeStandardOutput(const std::string& text) noexcept
{
    // The reports' bytes are exact ("... \n"): no CR is added. Set here, at
    // the first report, so a launch that reports nothing pays nothing.
    static const bool binary = _setmode(_fileno(stdout), _O_BINARY) != -1;
    (void)binary;
    std::fputs(text.c_str(), stdout);
    std::fflush(stdout);
}

} // namespace platform
