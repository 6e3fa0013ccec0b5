#include "platform/Process.h"

#include "text/AnsiText.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <unistd.h>

namespace platform {
namespace {

// The arguments as the C runtime handed them to main; they live as long as
// the process, so pointers are enough.
int argumentCount = 0;
char** argumentValues = nullptr;

// What reading the link gave: the path, or the reason it could not be had.
struct ModuleAnswer {
    std::string path;
    int error;
};

// The link names the file the process was started from and is read once;
// every later call gets the first answer. Threads that race to be first
// each read it, and all but one drop what they read. Never freed, so a
// thread still asking while the process ends finds it.
std::atomic<const ModuleAnswer*> moduleAnswer{nullptr};

const ModuleAnswer* readModuleLink()
{
    char buffer[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof buffer);
    auto* answer = new ModuleAnswer{std::string(), 0};
    if (length < 0) {
        answer->error = errno;
    } else if (static_cast<std::size_t>(length) == sizeof buffer) { // possibly cut short
        answer->error = ENAMETOOLONG;
    } else {
        answer->path.assign(buffer, static_cast<std::size_t>(length));
    }
    const ModuleAnswer* first = nullptr;
    if (!moduleAnswer.compare_exchange_strong(first, answer)) {
        delete answer;
        return first;
    }
    return answer;
}

} // namespace

void initialiseProcess(int argc, char** argv) noexcept
{
    argumentCount = argc;
    argumentValues = argv;
    // Narrow text here is UTF-8, which never reuses an ASCII byte inside a
    // character: every byte steps as a character of its own.
    text::setLeadBytes(text::LeadBytes{});
}

std::vector<std::string> processArguments() noexcept
{
    std::vector<std::string> arguments;
    for (int i = 1; i < argumentCount && argumentValues != nullptr && argumentValues[i] != nullptr; ++i) {
        arguments.emplace_back(argumentValues[i]);
    }
    return arguments;
}

bool moduleFileName(std::string& path) noexcept
{
    const ModuleAnswer* answer = moduleAnswer.load();
    if (answer == nullptr) {
        answer = readModuleLink();
    }
    if (answer->error != 0) {
        errno = answer->error;
        return false;
    }
    path = answer->path;
    return true;
}

} // namespace platform
