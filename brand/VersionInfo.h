#pragma once
// The version resource (RT_VERSION): VS_VERSIONINFO with its fixed part and
// one string table, for English (United States) in code page 1252, the
// translation "040904E4" that VarFileInfo names.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace brand {

struct FileVersion {
    std::array<std::uint16_t, 4> parts{};
};

// Exactly four decimal numbers of at most 65535, separated by dots ("1.2.3.4";
// leading zeros allowed). On failure `version` is left untouched.
[[nodiscard]] bool parseFileVersion(std::string_view text, FileVersion& version) noexcept;
// "1.2.3.4"
std::string formatFileVersion(const FileVersion& version);

struct VersionInfo {
    FileVersion fileVersion;
    FileVersion productVersion;
    // Key and value of each string, in this order (values may be empty).
    std::vector<std::pair<std::u16string, std::u16string>> strings;
};

// The resource's bytes. False when the texts make it longer than its 16-bit
// length fields allow; `resource` is then untouched and `error` says so.
[[nodiscard]] bool versionResource(const VersionInfo& info, std::string& resource, std::string& error);

} // namespace brand
