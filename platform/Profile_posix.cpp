#include "platform/Profile.h"

#include "platform/Files.h"
#include "text/IniText.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <pthread.h>
#include <sys/stat.h>

namespace platform {
namespace {

// Far above any real configuration, far below what would exhaust memory.
constexpr std::size_t maximumProfileSize = 16 * 1024 * 1024;

// The file a link points to, so that replacing it keeps the link; the path
// itself when it is no link or cannot be resolved.
std::string replacementTarget(const std::string& path)
{
    char resolved[PATH_MAX];
    struct stat status;
    if (::lstat(path.c_str(), &status) == 0 && S_ISLNK(status.st_mode) && ::realpath(path.c_str(), resolved) != nullptr) {
        return resolved;
    }
    return path;
}

// The one configuration file held while holding is on, with what a read of
// it from disk gave (empty for a missing or refused file), classified for
// the launch's many lookups. Allocated once
// and never freed: a thread still reading while the process ends must not
// meet a destroyed object. The mutex, statically initialised, costs nothing
// while only one thread reads.
struct HeldProfile {
    std::string path;
    text::IniIndex index;
    bool filled = false;
};
pthread_mutex_t heldLock = PTHREAD_MUTEX_INITIALIZER;
bool holding = false;
HeldProfile* held = nullptr;

class HeldLock {
public:
    HeldLock() noexcept { ::pthread_mutex_lock(&heldLock); }
    ~HeldLock() { ::pthread_mutex_unlock(&heldLock); }
    HeldLock(const HeldLock&) = delete;
    HeldLock& operator=(const HeldLock&) = delete;
};

// The value of `key` in `section` of the file, taken from the held copy
// when there is one of this file; read from disk (and held, while holding)
// otherwise.
std::string lookUpProfile(const std::string& path, const char* section, const char* key)
{
    const HeldLock lock;
    if (holding && held != nullptr && held->filled && held->path == path) {
        return held->index.lookup(section, key);
    }
    std::string text;
    if (!readFile(path, maximumProfileSize, Beyond::refuse, text)) {
        text.clear();
    }
    if (!holding) {
        return text::IniIndex(std::move(text)).lookup(section, key);
    }
    if (held == nullptr) {
        held = new HeldProfile;
    }
    held->path = path;
    held->index = text::IniIndex(std::move(text));
    held->filled = true;
    return held->index.lookup(section, key);
}

// After a successful write the held copy, if it is of this file, becomes
// what was written.
void noteWritten(const std::string& path, const std::string& text)
{
    const HeldLock lock;
    if (holding && held != nullptr && held->filled && held->path == path) {
        held->index = text::IniIndex(text);
    }
}

} // namespace

unsigned readProfileString(const std::string& file, const char* section, const char* key, char* buffer,
                           unsigned size) noexcept
{
    if (buffer == nullptr || size == 0) {
        return 0;
    }
    std::string value;
    if (section != nullptr && key != nullptr) {
        value = lookUpProfile(file, section, key);
    }
    const std::size_t length = value.size() < size - 1 ? value.size() : size - 1;
    std::memcpy(buffer, value.data(), length);
    buffer[length] = '\0';
    return static_cast<unsigned>(length);
}

bool writeProfileString(const std::string& file, const char* section, const char* key,
                        const std::string& value) noexcept
{
    if (section == nullptr || key == nullptr) {
        errno = EINVAL;
        return false;
    }
    const std::string target = replacementTarget(file);
    std::string text;
    // Only a missing file starts from nothing: anything that is not a
    // regular file of a sane size, /dev/zero behind a link included, is left
    // alone rather than replaced.
    if (!readFile(target, maximumProfileSize, Beyond::refuse, text) && errno != ENOENT) {
        return false;
    }
    const std::string written = text::iniAssign(text, section, key, value);
    // A new configuration file is readable by all, as the editors make one.
    if (!writeWholeFileReplacing(target, written, 0666)) {
        return false;
    }
    noteWritten(file, written);
    return true;
}

void holdProfileTexts(bool hold) noexcept
{
    const HeldLock lock;
    holding = hold;
    if (held != nullptr) {
        held->filled = false;
    }
}

} // namespace platform
