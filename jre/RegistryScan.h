#pragma once
// The runtimes and development kits registered in the registry (Windows):
// the installed runtimes of jre/Discovery.h there.

#include "jre/JreInstallation.h"
#include "jre/RegistryLayouts.h"

#include <cstddef>
#include <string>
#include <vector>

class JavaLauncher;

// Appends the installations registered under `layout` whose version lies
// within the bounds and whose folder holds a JVM library, in the order the
// registry enumerates them. A key that cannot be opened adds nothing.
void scanRegistryKey(const JavaLauncher& launcher, const RegistryLayout& layout,
                     std::vector<JreInstallation>& installations) noexcept;
// The runtime folder of the subkey `subkeyName` of `layout` (a development
// kit's "jre" folder where the layout says so), and whether resolving it
// found the server VM. False when the subkey, its folder value or a JVM
// library is missing; the outputs are then left untouched.
[[nodiscard]] bool readInstallation(const JavaLauncher& launcher, const RegistryLayout& layout,
                                    const std::string& subkeyName, std::string& home, bool& hasServerVm) noexcept;
// The same for the layout whose key path is `keyPath`; false for a key path
// that no layout has.
[[nodiscard]] bool readInstallation(const JavaLauncher& launcher, const std::string& keyPath,
                                    const std::string& subkeyName, std::string& home, bool& hasServerVm) noexcept;
// Removes from `installations`, from index `first` on, those whose folder is
// one of `listed` (folderIdentity texts of folders listed before),
// then adds the remaining ones' folders to `listed`.
void dropListedFolders(std::vector<JreInstallation>& installations, std::size_t first,
                       std::vector<std::string>& listed) noexcept;
