#pragma once
// Finding the JVM library: the configured folder, a runtime beside the
// launcher, then the installed runtimes (those registered in the registry on
// Windows, the development kits under /usr/lib/jvm on Linux), then the folder
// JAVA_HOME names; when none fits, the user is asked for a folder.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "jre/InstallationOrder.h"
#include "jre/JreInstallation.h"
#include "jre/ReleaseFile.h"
#ifdef _WIN32
#include "jre/RegistryLayouts.h"
#endif

class JavaLauncher;

// The user's answer when asked for a runtime folder.
struct JreChoice {
    bool confirmed = false;
    std::string jreFolder;      // ends in a separator
    std::string jvmLibraryPath; // that folder's JVM library; may be empty
};
// Asks the user for a runtime, given the message that names what is required
// and the configured JVM type.
using JreChooser = std::function<JreChoice(const std::string& message, int jvmType)>;

// The chooser where no user can see a dialog (Linux; a Windows process in a
// non-interactive window station, such as a service): the message becomes
// the error report, and nothing is confirmed.
JreChoice reportJreNotFound(const std::string& message, int jvmType) noexcept;

// True with launcher.jvmPath set, or when the user confirmed a folder; false
// when no runtime was found and the user did not confirm one. Asks through
// the JRE Not Found dialog on Windows where a user can see it, and through
// reportJreNotFound otherwise.
[[nodiscard]] bool locateJvm(JavaLauncher& launcher) noexcept;
// The same, asking `choose`. A confirmed folder is written to the
// configuration file as "JRE Path" (a failed write is ignored), and
// launcher.jvmPath becomes the choice's library, even when that is empty.
[[nodiscard]] bool locateJvm(JavaLauncher& launcher, const JreChooser& choose) noexcept;

// The installed runtime that the launcher's bounds, "JVM Source", JVM type and
// preferred versions choose, with the library to load (of the launcher's
// machine) for the configured JVM type; nothing when none qualifies.
std::optional<JreInstallation> findInstalledJre(const JavaLauncher& launcher) noexcept;
// The choice among `installations` (left sorted, without those refused): the
// installation selectInstallation takes, passing over any whose JVM library
// for the launcher's JVM type is of another machine.
std::optional<JreInstallation> chooseInstallation(std::vector<JreInstallation>& installations,
                                                  const JavaLauncher& launcher) noexcept;

// The folder JAVA_HOME names as a candidate: versioned by its release file
// (all zero without one), within the bounds, with a JVM library of the
// launcher's machine for the configured type (in its "jre" folder for an
// old development kit). True with launcher.jvmPath set.
[[nodiscard]] bool takeJavaHome(JavaLauncher& launcher) noexcept;

// The ranking settings of the launcher's configuration.
SelectionRules selectionRulesOf(const JavaLauncher& launcher);

// The required versions in words, such as "minimum version 1.6".
std::string buildRequirementText(const JavaLauncher& launcher) noexcept;
// What the user is told when no runtime fits: the requirement text inside
// string 206 for the server JVM type, inside string 207 otherwise.
std::string jreNotFoundMessage(const JavaLauncher& launcher) noexcept;

#ifdef _WIN32
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
#else
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
#endif
