#pragma once
// The configuration file: beside the executable, the executable's name with
// the extension "ini". Read where each value is needed; the path is derived
// afresh each time and no handle is kept. On Linux the launch holds the
// file's text from its first read on (platform::holdProfileTexts), so the
// reading moments cost one read of the file between them.

#include <string>
#include <string_view>

class JavaLauncher;

namespace section {
inline constexpr const char* runtime = "Java Runtime Environment";
inline constexpr const char* application = "Application";
inline constexpr const char* classPath = "Class Path";
} // namespace section

// Full path of the launcher's executable. On failure reports the module-path
// error and leaves `path` untouched.
[[nodiscard]] bool getModulePath(std::string& path) noexcept;

// The module path up to and including its last "." followed by "ini"; false
// without a message when the path holds no ".". On Linux, where executables
// have no extension, a file name without "." gets ".ini" appended. Leaves
// `iniPath` untouched on failure.
[[nodiscard]] bool iniPathFor(std::string_view modulePath, std::string& iniPath) noexcept;
[[nodiscard]] bool getIniPath(std::string& iniPath) noexcept;

// The value, whole, however long; empty for a missing file, section or key.
std::string readIniString(const std::string& iniPath, const char* sectionName, const char* key) noexcept;

// Fills the launcher's configuration fields. False when the file cannot be
// derived or "Main Class" is missing (reported).
[[nodiscard]] bool readConfiguration(JavaLauncher& launcher) noexcept;
