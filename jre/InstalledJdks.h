#pragma once
// The development kits the system's package manager installs (Linux): the
// installed runtimes of jre/Discovery.h there.

#include "jre/JreInstallation.h"

#include <optional>
#include <string>
#include <vector>

class JavaLauncher;

// Where the system's package manager installs development kits.
inline constexpr const char* jdkRoot = "/usr/lib/jvm/";

// findInstalledJre over the development kits directly under `root` (ending
// in '/').
std::optional<JreInstallation> findInstalledJreUnder(const JavaLauncher& launcher, const std::string& root) noexcept;
// Appends the kits directly under `root` (ending in '/') whose "release" file
// names a version within the bounds and whose runtime holds a JVM library, in
// name order, each runtime once however many links lead to it.
void scanJdkFolders(const JavaLauncher& launcher, const std::string& root,
                    std::vector<JreInstallation>& installations) noexcept;

struct FolderEntry {
    std::string name;      // as listed in the folder
    std::string canonical; // the folder it leads to, links resolved
};
// The names to scan, in name order: one per canonical folder, preferring the
// entry named like that folder itself over the links that lead to it.
std::vector<std::string> distinctFolders(std::vector<FolderEntry> entries);
