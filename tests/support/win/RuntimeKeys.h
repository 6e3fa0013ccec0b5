#pragma once
// The registry keys under which installers register runtimes, in
// HKEY_LOCAL_MACHINE of the test prefix. Spelled out here rather than taken
// from the launcher's table, so that a wrong key there shows.

#include <string>

struct RuntimeKey {
    const char* path;  // the version subkeys lie below
    const char* below; // from a version to the key holding the value
    const char* value;
};
inline constexpr RuntimeKey oldKit{"Software\\JavaSoft\\Java Development Kit\\", "", "JavaHome"};
inline constexpr RuntimeKey oldRuntime{"Software\\JavaSoft\\Java Runtime Environment\\", "", "JavaHome"};
inline constexpr RuntimeKey javaSoftJdk{"Software\\JavaSoft\\JDK\\", "", "JavaHome"};
inline constexpr RuntimeKey javaSoftJre{"Software\\JavaSoft\\JRE\\", "", "JavaHome"};
inline constexpr RuntimeKey adoptiumJdk{"Software\\Eclipse Adoptium\\JDK\\", "\\hotspot\\MSI", "Path"};
inline constexpr RuntimeKey adoptiumJre{"Software\\Eclipse Adoptium\\JRE\\", "\\hotspot\\MSI", "Path"};
inline constexpr RuntimeKey adoptOpenJdk{"Software\\AdoptOpenJDK\\JDK\\", "\\hotspot\\MSI", "Path"};
inline constexpr RuntimeKey adoptOpenJre{"Software\\AdoptOpenJDK\\JRE\\", "\\hotspot\\MSI", "Path"};
inline constexpr RuntimeKey semeruJdk{"Software\\Semeru\\JDK\\", "\\openj9\\MSI", "Path"};
inline constexpr RuntimeKey semeruJre{"Software\\Semeru\\JRE\\", "\\openj9\\MSI", "Path"};

// Removes every runtime key above, with all below it.
void clearRuntimeKeys();
// Creates `subkey` of HKEY_LOCAL_MACHINE with the text value `valueName`
// holding `folder`; false when either fails.
bool writeRuntimeKey(const std::string& subkey, const char* valueName, const std::string& folder);
// Registers `folder` as the runtime of `version` under `key`; a failure
// fails the test.
void registerFolder(const RuntimeKey& key, const std::string& version, const std::string& folder);
