#pragma once
// Finding the JVM library: the configured folder, a runtime beside the
// launcher, then the installed runtimes (those registered in the registry on
// Windows, jre/RegistryScan.h; the development kits under /usr/lib/jvm on
// Linux, jre/InstalledJdks.h), then the folder JAVA_HOME names; when none
// fits, the user is asked for a folder.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "jre/InstallationOrder.h"
#include "jre/JreInstallation.h"
#include "jre/ReleaseFile.h"

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
