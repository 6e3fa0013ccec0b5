#include "jre/Discovery.h"

#include <cstddef>
#include <utility>

#include "jre/DiscoveryTrace.h"
#include "jre/JvmLibrary.h"
#include "launcher/Configuration.h"
#include "launcher/Errors.h"
#include "launcher/JavaLauncher.h"
#include "launcher/Trace.h"
#include "platform/Environment.h"
#include "platform/Files.h"
#include "platform/Profile.h"
#include "resources/StringIds.h"
#include "resources/StringTable.h"

namespace {

// The library of `home` for the configured JVM type into launcher.jvmPath;
// false, leaving it empty, when the folder holds none, or, with
// `sameMachineOnly`, one of another machine. `origin` names the source for
// the trace.
bool takeLibrary(JavaLauncher& launcher, const std::string& home, const char* origin,
                 bool sameMachineOnly) noexcept
{
    bool serverVm = false;
    std::string library = resolveJvmLibrary(home, launcher.jvmType, serverVm);
    const char* verdict = library.empty()                                           ? "no library"
                          : sameMachineOnly && isLibraryOfOtherMachine(library) ? "other architecture"
                                                                                  : nullptr;
    if (tracing()) {
        CandidateFacts facts;
        facts.origin = origin;
        facts.home = home;
        facts.library = library;
        traceCandidate(facts, verdict != nullptr ? verdict : "chosen");
    }
    if (verdict != nullptr) {
        return false;
    }
    launcher.jvmPath = std::move(library);
    return true;
}

const char* jvmTypeName(int jvmType) noexcept
{
    return jvmType == JvmTypeServer ? "server" : jvmType == JvmTypeFavourServer ? "favor_server" : "default";
}

void traceRequirement(const JavaLauncher& launcher) noexcept
{
    const auto bound = [](const JavaVersion& v) {
        return JavaVersion::isUnset(v) ? std::string("any") : JavaVersion::format(v);
    };
    std::string preferred;
    for (const std::string& entry : launcher.preferredVersions) {
        preferred += preferred.empty() ? "" : ";";
        preferred += entry;
    }
    trace("looking for a runtime: minimum %s, maximum %s, JVM type %s, preferred \"%s\"",
          bound(launcher.minVersion).c_str(), bound(launcher.maxVersion).c_str(), jvmTypeName(launcher.jvmType),
          preferred.c_str());
}

} // namespace

JreChoice reportJreNotFound(const std::string& message, int) noexcept
{
    printError(message);
    return JreChoice{};
}

bool locateJvm(JavaLauncher& launcher, const JreChooser& choose) noexcept
{
    if (tracing()) {
        traceRequirement(launcher);
    }
    // The configured folder is the runtime itself: no "jre" folder inside it
    // is tried and no marker is asked for. It is taken as configured, of
    // whatever machine: the load then says why it cannot be used.
    if (launcher.jrePath.empty()) {
        trace("source JRE Path: not set");
    } else if (takeLibrary(launcher, withTrailingSeparator(launcher.jrePath), "JRE Path", false)) {
        return true;
    }

    // Without a marker beside the launcher this source is skipped: resolving
    // an empty folder would pick up bare relative names from whatever the
    // current directory holds.
    std::string privateJre;
    if (findPrivateJre(privateJre) && !privateJre.empty()) {
        if (takeLibrary(launcher, privateJre, "beside the launcher", true)) {
            return true;
        }
    } else {
        trace("source beside the launcher: no runtime marker");
    }

    if (std::optional<JreInstallation> installed = findInstalledJre(launcher)) {
        launcher.jvmPath = std::move(installed->library);
        return true;
    }

    if (takeJavaHome(launcher)) {
        return true;
    }

    trace("no runtime fits");
    const JreChoice choice = choose(jreNotFoundMessage(launcher), launcher.jvmType);
    if (!choice.confirmed) {
        trace("no runtime chosen by the user");
        return false;
    }
    trace("chosen by the user: folder %s, library %s", choice.jreFolder.c_str(), choice.jvmLibraryPath.c_str());
    launcher.jvmPath = choice.jvmLibraryPath;
    // Remembered so that the next start finds it first; a failed write only
    // means that start searches again.
    std::string ini;
    if (getIniPath(ini)) {
        static_cast<void>(platform::writeProfileString(ini, section::runtime, "JRE Path", choice.jreFolder));
    }
    return true;
}

std::optional<JreInstallation> chooseInstallation(std::vector<JreInstallation>& installations,
                                                  const JavaLauncher& launcher) noexcept
{
    const SelectionRules rules = selectionRulesOf(launcher);
    for (;;) {
        const std::size_t chosen = selectInstallationIndex(installations, rules);
        if (chosen == installations.size()) {
            return std::nullopt;
        }
        // Only the one chosen has its library's header read: refusals are
        // rare, and reading every candidate's would double the search's cost.
        bool serverVm = false;
        const std::string library = resolveJvmLibrary(installations[chosen].home, launcher.jvmType, serverVm);
        if (isLibraryOfOtherMachine(library)) {
            if (tracing()) {
                traceCandidate(installations[chosen], library, "other architecture");
            }
            installations.erase(installations.begin() + static_cast<std::ptrdiff_t>(chosen));
            continue;
        }
        if (tracing()) {
            for (std::size_t i = 0; i < installations.size(); ++i) {
                const JreInstallation& entry = installations[i];
                traceCandidate(entry, i == chosen ? library : entry.library, i == chosen ? "chosen" : "not preferred");
            }
        }
        installations[chosen].library = library;
        return std::move(installations[chosen]);
    }
}

bool takeJavaHome(JavaLauncher& launcher) noexcept
{
    const std::string javaHome = platform::environmentVariable("JAVA_HOME");
    if (javaHome.empty()) {
        trace("source JAVA_HOME: not set");
        return false;
    }
    std::string home = withTrailingSeparator(javaHome);
    std::string release;
    std::string versionText;
    if (!platform::readFile(home + releaseFileName, releaseFileLimit, platform::Beyond::cut, release) ||
        !releaseVersion(release, versionText)) {
        versionText.clear(); // unversioned: fits only where no minimum is set
    }
    const JavaVersion version = JavaVersion::parse(versionText, 0);
    CandidateFacts facts;
    facts.origin = "JAVA_HOME";
    facts.version = &version;
    facts.home = home;
    if (!withinBounds(version, launcher.minVersion, launcher.maxVersion)) {
        if (tracing()) {
            traceCandidate(facts, "out of bounds");
        }
        return false;
    }
    bool serverVm = false;
    std::string library = resolveRuntimeOrKit(home, launcher.jvmType, serverVm);
    const bool otherMachine = !library.empty() && isLibraryOfOtherMachine(library);
    if (tracing()) {
        facts.home = home;
        facts.library = library;
        traceCandidate(facts, library.empty() ? "no library" : otherMachine ? "other architecture" : "chosen");
    }
    if (library.empty() || otherMachine) {
        return false;
    }
    launcher.jvmPath = std::move(library);
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
    const auto text = [](resources::StringId id) { return resources::loadString(id); };
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
    return formatString(resources::loadString(id), buildRequirementText(launcher));
}
