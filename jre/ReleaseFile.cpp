#include "jre/ReleaseFile.h"

bool releaseVersion(std::string_view releaseText, std::string& version)
{
    constexpr std::string_view key = "JAVA_VERSION=";
    while (!releaseText.empty()) {
        const std::size_t end = releaseText.find('\n');
        std::string_view line = releaseText.substr(0, end);
        releaseText = end == std::string_view::npos ? std::string_view() : releaseText.substr(end + 1);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (line.substr(0, key.size()) != key) {
            continue;
        }
        std::string_view value = line.substr(key.size());
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
            value = value.substr(1, value.size() - 2);
        }
        version.assign(value);
        return true;
    }
    return false;
}
