// Class-path wildcards: whatever the class path and the folder's names, the
// expansion holds only the entries as written and, for a wildcard entry,
// its folder followed by names of that folder that end in .jar or .JAR.
// (Their order and the double-byte rules are the unit tests' to check.)

#include "text/ClassPathText.h"

#include "FuzzInput.h"

#include <algorithm>

namespace {

std::vector<std::string> listing;

bool listAnyFolder(const std::string&, std::vector<std::string>& names)
{
    names = listing;
    return true;
}

std::vector<std::string> split(std::string_view text, char separator)
{
    std::vector<std::string> parts;
    for (std::size_t start = 0; start <= text.size();) {
        std::size_t end = text.find(separator, start);
        end = end == std::string_view::npos ? text.size() : end;
        parts.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput input(data, size);
    const std::string_view classPath = input.field();
    listing = split(input.field(), '|');
    const bool backslash = input.doubleByte();
    const char separator = backslash ? ';' : ':';
    const std::string expanded = text::expandClassPathWildcards(classPath, separator, backslash, listAnyFolder);

    std::vector<std::string> allowed = split(classPath, separator);
    std::vector<std::string> jars;
    for (const std::string& name : listing) {
        if (name.size() >= 4 && (name.compare(name.size() - 4, 4, ".jar") == 0 ||
                                 name.compare(name.size() - 4, 4, ".JAR") == 0)) {
            jars.push_back(name);
        }
    }
    for (const std::string& entry : split(classPath, separator)) {
        if (!entry.empty() && entry.back() == '*') {
            for (const std::string& jar : jars) {
                allowed.push_back(entry.substr(0, entry.size() - 1) + jar);
            }
        }
    }
    if (expanded.empty()) {
        return 0;
    }
    for (const std::string& entry : split(expanded, separator)) {
        FUZZ_CHECK(std::find(allowed.begin(), allowed.end(), entry) != allowed.end()); // from nowhere
    }
    return 0;
}
