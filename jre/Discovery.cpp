#include "jre/Discovery.h"

#include <utility>

#include "jre/JvmLibrary.h"
#include "launcher/Configuration.h"
#include "launcher/Errors.h"
#include "launcher/JavaLauncher.h"
#include "platform/System.h"
#include "resources/StringIds.h"

namespace {

// The library of `home` for the configured JVM type into launcher.jvmPath;
// false, leaving it empty, when the folder holds none.
bool takeLibrary(JavaLauncher& launcher, const std::string& home) noexcept
{
    bool serverVm = false;
    std::string library = resolveJvmLibrary(home, launcher.jvmType, serverVm);
    if (library.empty()) {
        return false;
    }
    launcher.jvmPath = std::move(library);
    return true;
}

} // namespace

JreChoice reportJreNotFound(const std::string& message, int) noexcept
{
    printError(message);
    return JreChoice{};
}

bool locateJvm(JavaLauncher& launcher, const JreChooser& choose) noexcept
{
    // The configured folder is the runtime itself: no "jre" folder inside it
    // is tried and no marker is asked for.
    if (!launcher.jrePath.empty() && takeLibrary(launcher, withTrailingSeparator(launcher.jrePath))) {
        return true;
    }

    // Without a marker beside the launcher this source is skipped: resolving
    // an empty folder would pick up bare relative names from whatever the
    // current directory holds.
    std::string privateJre;
    if (findPrivateJre(privateJre) && !privateJre.empty() && takeLibrary(launcher, privateJre)) {
        return true;
    }

    if (const std::optional<JreInstallation> installed = findInstalledJre(launcher)) {
        if (takeLibrary(launcher, installed->home)) {
            return true;
        }
    }

    const JreChoice choice = choose(jreNotFoundMessage(launcher), launcher.jvmType);
    if (!choice.confirmed) {
        return false;
    }
    launcher.jvmPath = choice.jvmLibraryPath;
    // Remembered so that the next start finds it first; a failed write only
    // means that start searches again.
    std::string ini;
    if (getIniPath(ini)) {
        static_cast<void>(platform::writeProfileString(ini, section::runtime, "JRE Path", choice.jreFolder));
    }
    return true;
}

SelectionRules selectionRulesOf(const JavaLauncher& launcher)
{
    SelectionRules rules;
    rules.jvmSourceFavour = launcher.jvmSourceFavour;
    rules.jvmType = launcher.jvmType;
    rules.preferredVersions = launcher.preferredVersions;
    return rules;
}

std::string buildRequirementText(const JavaLauncher& launcher) noexcept
{
    const auto text = [](resources::StringId id) { return platform::loadString(id); };
    const std::string lower = JavaVersion::format(launcher.minVersion);
    const std::string upper = JavaVersion::format(launcher.maxVersion);
    switch (requirementForm(launcher.minVersion, launcher.maxVersion)) {
    case RequirementForm::Latest:
        return text(resources::IDS_LATEST_VERSION);
    case RequirementForm::Maximum:
        return formatString(text(resources::IDS_MAXIMUM_VERSION), upper);
    case RequirementForm::Minimum:
        return formatString(text(resources::IDS_MINIMUM_VERSION), lower);
    case RequirementForm::Exact:
        return formatString(text(resources::IDS_VERSION_REQUIRED), lower);
    case RequirementForm::Between:
        return formatString(text(resources::IDS_VERSION_BETWEEN), lower, upper);
    }
    return {};
}

std::string jreNotFoundMessage(const JavaLauncher& launcher) noexcept
{
    const resources::StringId id =
        launcher.jvmType == JvmTypeServer ? resources::IDS_JRE_NOT_FOUND_SERVER : resources::IDS_JRE_NOT_FOUND;
    return formatString(platform::loadString(id), buildRequirementText(launcher));
}
