#include "platform/Process.h"

#include "platform/Files.h"
#include "platform/Thread.h"
#include "text/AnsiText.h"
#include "text/Decimal.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

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

constexpr std::uint64_t ownCopyMilliseconds = 10 * 60 * 1000;

struct SpawnActions {
    posix_spawn_file_actions_t actions;
    bool made = posix_spawn_file_actions_init(&actions) == 0;
    ~SpawnActions()
    {
        if (made) {
            posix_spawn_file_actions_destroy(&actions);
        }
    }
};

struct SpawnAttributes {
    posix_spawnattr_t attributes;
    bool made = posix_spawnattr_init(&attributes) == 0;
    ~SpawnAttributes()
    {
        if (made) {
            posix_spawnattr_destroy(&attributes);
        }
    }
};

// Waits for the child `child` at most `milliseconds`; its exit status then.
bool reapWithin(pid_t child, std::uint64_t milliseconds, int& status) noexcept
{
    const std::uint64_t deadline = monotonicMilliseconds() + milliseconds;
    for (;;) {
        const pid_t reaped = ::waitpid(child, &status, WNOHANG);
        if (reaped == child) {
            return true;
        }
        if (reaped < 0 && errno != EINTR) {
            return false;
        }
        if (monotonicMilliseconds() >= deadline) {
            ::kill(child, SIGKILL);
            ::waitpid(child, &status, 0);
            return false;
        }
        sleepMilliseconds(20);
    }
}

// A process that has ended and waits for its parent to collect it.
bool isZombie(std::uint32_t id) noexcept
{
    std::string path = "/proc/";
    text::appendDecimal(path, id);
    path += "/stat";
    std::string stat;
    if (!readFile(path, 512, Beyond::cut, stat)) {
        return false;
    }
    // "pid (name) S ...": the name may hold anything, the state follows its
    // last parenthesis.
    const std::size_t close = stat.rfind(") ");
    return close != std::string::npos && close + 2 < stat.size() && stat[close + 2] == 'Z';
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

std::uint32_t processId() noexcept { return static_cast<std::uint32_t>(::getpid()); }

bool isWindowProgram() noexcept { return false; }

bool runOwnCopy(const char* variable, const std::string& value, std::uint32_t* exitCode) noexcept
{
    std::string module;
    if (!moduleFileName(module) || argumentValues == nullptr) {
        return false;
    }
    const std::string setting = std::string(variable) + "=" + value;
    std::vector<char*> environment;
    const std::size_t nameLength = setting.size() - value.size(); // with its "="
    for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
        if (setting.compare(0, nameLength, *entry, std::min(nameLength, std::strlen(*entry))) != 0) {
            environment.push_back(*entry);
        }
    }
    environment.push_back(const_cast<char*>(setting.c_str()));
    environment.push_back(nullptr);
    SpawnActions actions;
    SpawnAttributes attributes;
    if (!actions.made || !attributes.made) {
        return false;
    }
    for (int stream = 0; stream < 3; ++stream) {
        if (posix_spawn_file_actions_addopen(&actions.actions, stream, "/dev/null", stream == 0 ? O_RDONLY : O_WRONLY,
                                             0) != 0) {
            return false;
        }
    }
    // A session of its own: a hang-up or Ctrl+C in this terminal does not
    // reach a copy that runs on after this process.
    if (exitCode == nullptr && posix_spawnattr_setflags(&attributes.attributes, POSIX_SPAWN_SETSID) != 0) {
        return false;
    }
    pid_t child = 0;
    const int failed = posix_spawn(&child, module.c_str(), &actions.actions, &attributes.attributes, argumentValues,
                                   environment.data());
    if (failed != 0) {
        errno = failed;
        return false;
    }
    if (exitCode == nullptr) {
        return true;
    }
    int status = 0;
    if (!reapWithin(child, ownCopyMilliseconds, status)) {
        return false;
    }
    *exitCode = WIFEXITED(status) ? static_cast<std::uint32_t>(WEXITSTATUS(status)) : 128u + WTERMSIG(status);
    return true;
}

void endProcessNow(int code) noexcept { std::_Exit(code); }

bool awaitProcessEnd(std::uint32_t id, std::uint32_t milliseconds) noexcept
{
    const std::uint64_t deadline = monotonicMilliseconds() + milliseconds;
    while ((::kill(static_cast<pid_t>(id), 0) == 0 || errno == EPERM) && !isZombie(id)) {
        if (monotonicMilliseconds() >= deadline) {
            return false;
        }
        sleepMilliseconds(10);
    }
    return true;
}

} // namespace platform
