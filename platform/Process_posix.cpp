#include "platform/System.h"

#include "platform/AnsiText.h"

namespace platform {
namespace {

// The arguments as the C runtime handed them to main; they live as long as
// the process, so pointers are enough.
int argumentCount = 0;
char** argumentValues = nullptr;

} // namespace

void initialiseProcess(int argc, char** argv) noexcept
{
    argumentCount = argc;
    argumentValues = argv;
    // Narrow text here is UTF-8, which never reuses an ASCII byte inside a
    // character: every byte steps as a character of its own.
    setLeadBytes(LeadBytes{});
}

// The raw command line is a Windows concept: a POSIX process receives its
// arguments already split, so there is nothing to return.
std::string rawCommandLine() noexcept { return {}; }

std::vector<std::string> argumentsAfterProgram() noexcept
{
    std::vector<std::string> arguments;
    for (int i = 1; i < argumentCount && argumentValues != nullptr && argumentValues[i] != nullptr; ++i) {
        arguments.emplace_back(argumentValues[i]);
    }
    return arguments;
}

} // namespace platform
