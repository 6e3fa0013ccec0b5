#pragma once
// The "release" file at the top of a runtime folder, which names the version
// of the runtime it belongs to.

#include <string>
#include <string_view>

// Its name inside the runtime folder, and how much of it is read at most.
inline constexpr const char* releaseFileName = "release";
inline constexpr std::size_t releaseFileLimit = 64 * 1024;

// The JAVA_VERSION value of a runtime's "release" text, without its quotes.
// False, with `version` untouched, when there is no such line.
[[nodiscard]] bool releaseVersion(std::string_view releaseText, std::string& version);
