#include "jre/RegistryScan.h"

#include "jre/Discovery.h"

#include <algorithm>
#include <cstdint>
#include <utility>

#include "jre/DiscoveryTrace.h"
#include "jre/JvmLibrary.h"
#include "launcher/JavaLauncher.h"
#include "launcher/Trace.h"
#include "platform/Registry.h"

namespace {

enum class Reading { Read, NoFolder, NoLibrary };

// The folder that the key at `keyPath` (a version subkey, or the key below it
// that the layout names) registers, made a runtime folder and resolved. On
// NoLibrary `home` holds the folder tried, for the trace.
Reading readFolder(const JavaLauncher& launcher, const RegistryLayout& layout, const std::string& keyPath,
                   std::string& home, std::string& library, bool& hasServerVm) noexcept
{
    platform::UniqueRegistryKey key;
    std::string registered;
    if (!platform::openLocalMachineKey(keyPath, key) || !platform::readRegistryString(key, layout.value, registered)) {
        return Reading::NoFolder;
    }
    std::string folder = withTrailingSeparator(std::move(registered));
    if (layout.runtime == RuntimeFolder::Jre) {
        folder += "jre\\";
    }
    // A separate runtime is ranked by the VM that the default order finds, so
    // under favour-server one that also carries a client VM counts as
    // client-only; the final resolution still loads its server VM.
    const int jvmType =
        !layout.developmentKit && launcher.jvmType == JvmTypeFavourServer ? JvmTypeDefault : launcher.jvmType;
    bool serverVm = false;
    std::string found = layout.runtime == RuntimeFolder::HomeOrJre ? resolveRuntimeOrKit(folder, jvmType, serverVm)
                                                                   : resolveJvmLibrary(folder, jvmType, serverVm);
    home = std::move(folder);
    if (found.empty()) {
        return Reading::NoLibrary;
    }
    library = std::move(found);
    hasServerVm = serverVm;
    return Reading::Read;
}

bool scanned(const JavaLauncher& launcher, const RegistryLayout& layout) noexcept
{
    return launcher.jvmSourceFavour || (layout.developmentKit ? launcher.jvmSourceJdk : launcher.jvmSourceJre);
}

} // namespace

std::optional<JreInstallation> findInstalledJre(const JavaLauncher& launcher) noexcept
{
    std::vector<JreInstallation> installations;
    // Folders listed through earlier keys of the kind being scanned: one
    // installation often registers under JavaSoft's key and its vendor's.
    // A folder registered as both kit and runtime stays listed as both, as
    // it always was, since the kind decides its rank under "JVM Source".
    std::vector<std::string> listed;
    bool developmentKits = true;
    for (const RegistryLayout& layout : registryLayouts) {
        if (!scanned(launcher, layout)) {
            trace("source %s: not scanned (JVM Source)", layout.keyPath);
            continue;
        }
        if (layout.developmentKit != developmentKits) {
            developmentKits = layout.developmentKit;
            listed.clear();
        }
        const std::size_t first = installations.size();
        scanRegistryKey(launcher, layout, installations);
        dropListedFolders(installations, first, listed);
    }
    return chooseInstallation(installations, launcher);
}

void scanRegistryKey(const JavaLauncher& launcher, const RegistryLayout& layout,
                     std::vector<JreInstallation>& installations) noexcept
{
    platform::UniqueRegistryKey key;
    if (!platform::openLocalMachineKey(layout.keyPath, key)) {
        trace("source %s: not present", layout.keyPath);
        return;
    }
    trace("source %s", layout.keyPath);
    std::string name;
    for (std::uint32_t index = 0; platform::enumerateSubkey(key, index, name); ++index) {
        JreInstallation installation;
        installation.version = JavaVersion::parse(name, 0);
        installation.origin = layout.keyPath + name + layout.belowVersion;
        installation.developmentKit = layout.developmentKit;
        // The bounds come first: nothing of a runtime outside them is read.
        if (!withinBounds(installation.version, launcher.minVersion, launcher.maxVersion)) {
            if (tracing()) {
                traceCandidate(installation, "", "out of bounds");
            }
            continue;
        }
        const Reading reading = readFolder(launcher, layout, installation.origin, installation.home,
                                           installation.library, installation.hasServerVm);
        if (reading != Reading::Read) {
            if (tracing()) {
                const std::string noValue = std::string("no ") + layout.value + " value";
                traceCandidate(installation, "", reading == Reading::NoFolder ? noValue.c_str() : "no library");
            }
            continue;
        }
        installation.favouredKind = layout.developmentKit ? launcher.jvmSourceJdk : launcher.jvmSourceJre;
        installations.push_back(std::move(installation));
    }
}

bool readInstallation(const JavaLauncher& launcher, const RegistryLayout& layout, const std::string& subkeyName,
                      std::string& home, bool& hasServerVm) noexcept
{
    std::string folder;
    std::string library;
    bool serverVm = false;
    if (readFolder(launcher, layout, layout.keyPath + subkeyName + layout.belowVersion, folder, library, serverVm) !=
        Reading::Read) {
        return false;
    }
    home = std::move(folder);
    hasServerVm = serverVm;
    return true;
}

bool readInstallation(const JavaLauncher& launcher, const std::string& keyPath, const std::string& subkeyName,
                      std::string& home, bool& hasServerVm) noexcept
{
    for (const RegistryLayout& layout : registryLayouts) {
        if (keyPath == layout.keyPath) {
            return readInstallation(launcher, layout, subkeyName, home, hasServerVm);
        }
    }
    return false;
}

void dropListedFolders(std::vector<JreInstallation>& installations, std::size_t first,
                       std::vector<std::string>& listed) noexcept
{
    std::vector<std::string> added;
    std::size_t kept = first;
    for (std::size_t i = first; i < installations.size(); ++i) {
        std::string identity = folderIdentity(installations[i].home);
        if (std::find(listed.begin(), listed.end(), identity) != listed.end()) {
            if (tracing()) {
                traceCandidate(installations[i], installations[i].library, "duplicate");
            }
            continue;
        }
        added.push_back(std::move(identity));
        if (kept != i) {
            installations[kept] = std::move(installations[i]);
        }
        ++kept;
    }
    installations.resize(kept);
    listed.insert(listed.end(), std::make_move_iterator(added.begin()), std::make_move_iterator(added.end()));
}
