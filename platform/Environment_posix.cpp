#include "platform/System.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace platform {
namespace {

// Windows' expansion rules over POSIX variables. A '%' starts a reference
// that runs to the next '%'. When the name between them is set, the pair and
// the name become the value; otherwise (an unset name, or "%%" naming
// nothing) both '%' and the name are copied as written and scanning goes on
// after the second '%'. A '%' without a partner is copied as it stands.
// Names are case-sensitive, as POSIX has them: matching "Path" to PATH would
// let the launcher's ';'-separated additions corrupt the real search path.
std::string expand(const char* text)
{
    std::string result;
    const char* p = text;
    while (*p != '\0') {
        const char* open = std::strchr(p, '%');
        if (open == nullptr) {
            result.append(p);
            break;
        }
        result.append(p, open);
        const char* close = std::strchr(open + 1, '%');
        if (close == nullptr) {
            result.append(open);
            break;
        }
        const std::string name(open + 1, close);
        const char* value = name.empty() ? nullptr : std::getenv(name.c_str());
        if (value != nullptr) {
            result.append(value);
        } else {
            result.append(open, close + 1);
        }
        p = close + 1;
    }
    return result;
}

} // namespace

unsigned expandEnvironmentStrings(const char* text, char* buffer, unsigned size) noexcept
{
    if (text == nullptr) {
        errno = EINVAL;
        return 0;
    }
    const std::string expanded = expand(text);
    if (expanded.size() >= std::numeric_limits<unsigned>::max()) {
        errno = EOVERFLOW;
        return 0;
    }
    const unsigned needed = static_cast<unsigned>(expanded.size() + 1);
    if (buffer != nullptr && size >= needed) {
        std::memcpy(buffer, expanded.c_str(), needed);
    }
    return needed;
}

bool setEnvironmentVariable(const char* name, const std::string& value) noexcept
{
    if (name == nullptr) {
        errno = EINVAL;
        return false;
    }
    return ::setenv(name, value.c_str(), 1) == 0;
}

std::string environmentVariable(const char* name) noexcept
{
    const char* value = name == nullptr ? nullptr : std::getenv(name);
    return value == nullptr ? std::string() : std::string(value);
}

} // namespace platform
