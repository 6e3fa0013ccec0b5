#include "platform/System.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>

#include <dirent.h>

namespace platform {
namespace {

struct DirectoryTraits {
    using Value = DIR*;
    static Value invalid() noexcept { return nullptr; }
    static void release(Value value) noexcept
    {
        const int saved = errno;
        ::closedir(value);
        errno = saved;
    }
};

struct StreamTraits {
    using Value = std::FILE*;
    static Value invalid() noexcept { return nullptr; }
    static void release(Value value) noexcept
    {
        const int saved = errno;
        std::fclose(value);
        errno = saved;
    }
};

} // namespace

bool listFolder(const std::string& folder, std::vector<std::string>& names) noexcept
{
    const UniqueResource<DirectoryTraits> directory(::opendir(folder.c_str()));
    if (!directory) {
        return false;
    }
    std::vector<std::string> found;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(directory.get());
        if (entry == nullptr) {
            if (errno != 0) {
                return false;
            }
            break;
        }
        const std::string name = entry->d_name;
        if (name != "." && name != "..") {
            found.push_back(name);
        }
    }
    names.swap(found);
    return true;
}

bool canonicalPath(const std::string& path, std::string& resolved) noexcept
{
    char buffer[PATH_MAX];
    if (::realpath(path.c_str(), buffer) == nullptr) {
        return false;
    }
    resolved = buffer;
    return true;
}

bool readFileText(const std::string& path, std::string& text) noexcept
{
    const UniqueResource<StreamTraits> file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        return false;
    }
    std::string content;
    char chunk[4096];
    std::size_t count;
    while ((count = std::fread(chunk, 1, sizeof chunk, file.get())) > 0) {
        content.append(chunk, count);
    }
    if (std::ferror(file.get())) {
        errno = EIO;
        return false;
    }
    text.swap(content);
    return true;
}

} // namespace platform
