#include "platform/Utf8Console.h"

#include "platform/Output.h"

namespace platform {

// The terminal takes the bytes as they are: a UTF-8 locale shows them.
std::vector<std::string> utf8Arguments(int argc, char** argv) noexcept
{
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

void writeUtf8Output(const std::string& text) noexcept { writeStandardOutput(text); }

void writeUtf8Error(const std::string& text) noexcept { writeStandardError(text); }

} // namespace platform
