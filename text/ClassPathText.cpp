#include "text/ClassPathText.h"

#include "text/AnsiText.h"

#include <algorithm>

namespace text {
namespace {

// The folder part of a wildcard entry, with its separator; false when the
// entry is no wildcard. The '*' can never be a trail byte, the separator
// before it could be one: it must be a whole character.
bool wildcardFolder(std::string_view entry, bool backslash, std::string_view& folder) noexcept
{
    if (entry.empty() || entry.back() != '*') {
        return false;
    }
    folder = entry.substr(0, entry.size() - 1);
    if (folder.empty()) {
        return true;
    }
    const std::size_t last = folder.size() - 1;
    return findLastChar(folder, '/') == last || (backslash && findLastChar(folder, '\\') == last);
}

bool isJarName(std::string_view name, char listSeparator) noexcept
{
    if (name.size() < 4 || name.find(listSeparator) != std::string_view::npos) {
        return false;
    }
    const std::string_view extension = name.substr(name.size() - 4);
    return extension == ".jar" || extension == ".JAR";
}

} // namespace

std::string expandClassPathWildcards(std::string_view classPath, char listSeparator, bool backslash,
                                     FolderLister list)
{
    std::string expanded;
    bool first = true;
    const auto add = [&](std::string_view entry, std::string_view name) {
        if (!first) {
            expanded += listSeparator;
        }
        first = false;
        expanded.append(entry.data(), entry.size());
        expanded.append(name.data(), name.size());
    };
    for (std::size_t start = 0; start <= classPath.size();) {
        std::size_t end = classPath.find(listSeparator, start);
        end = end == std::string_view::npos ? classPath.size() : end;
        const std::string_view entry = classPath.substr(start, end - start);
        start = end + 1;
        std::string_view folder;
        if (!wildcardFolder(entry, backslash, folder)) {
            add(entry, {});
            continue;
        }
        std::vector<std::string> names;
        if (!list(std::string(folder), names)) {
            continue;
        }
        // A file that is really called "*" is that file, as for java.
        if (std::find(names.begin(), names.end(), "*") != names.end()) {
            add(entry, {});
            continue;
        }
        std::sort(names.begin(), names.end());
        for (const std::string& name : names) {
            if (isJarName(name, listSeparator)) {
                add(folder, name);
            }
        }
    }
    return expanded;
}

} // namespace text
