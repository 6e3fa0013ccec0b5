#include "jre/Discovery.h"

#include <cstdint>
#include <utility>

#include "jre/JvmLibrary.h"
#include "launcher/JavaLauncher.h"
#include "platform/System.h"

std::optional<JreInstallation> findInstalledJre(const JavaLauncher& launcher) noexcept
{
    // Development kits first: at equal rank the scan order decides, and a
    // kit's runtime then wins over a separately installed one.
    std::vector<JreInstallation> installations;
    if (launcher.jvmSourceFavour || launcher.jvmSourceJdk) {
        scanRegistryKey(launcher, developmentKitKey, installations);
    }
    if (launcher.jvmSourceFavour || launcher.jvmSourceJre) {
        scanRegistryKey(launcher, runtimeKey, installations);
    }
    return selectInstallation(installations, selectionRulesOf(launcher));
}

void scanRegistryKey(const JavaLauncher& launcher, const std::string& keyPath,
                     std::vector<JreInstallation>& installations) noexcept
{
    platform::UniqueRegistryKey key;
    if (!platform::openLocalMachineKey(keyPath, key)) {
        return;
    }
    const bool developmentKit = keyPath == developmentKitKey;
    std::string name;
    for (std::uint32_t index = 0; platform::enumerateSubkey(key, index, name); ++index) {
        JreInstallation installation;
        installation.version = JavaVersion::parse(name, 0);
        // The bounds come first: nothing of a runtime outside them is read.
        if (!withinBounds(installation.version, launcher.minVersion, launcher.maxVersion)) {
            continue;
        }
        if (!readInstallation(launcher, keyPath, name, installation.home, installation.hasServerVm)) {
            continue;
        }
        installation.favouredKind = developmentKit ? launcher.jvmSourceJdk : launcher.jvmSourceJre;
        installations.push_back(std::move(installation));
    }
}

bool readInstallation(const JavaLauncher& launcher, const std::string& keyPath, const std::string& subkeyName,
                      std::string& home, bool& hasServerVm) noexcept
{
    platform::UniqueRegistryKey key;
    std::string javaHome;
    if (!platform::openLocalMachineKey(keyPath + subkeyName, key) ||
        !platform::readRegistryString(key, "JavaHome", javaHome)) {
        return false;
    }
    const bool developmentKit = keyPath == developmentKitKey;
    std::string folder = withTrailingSeparator(std::move(javaHome));
    if (developmentKit) {
        folder += "jre\\";
    }
    // A separate runtime is ranked by the VM that the default order finds, so
    // under favour-server one that also carries a client VM counts as
    // client-only; the final resolution still loads its server VM.
    const int jvmType =
        !developmentKit && launcher.jvmType == JvmTypeFavourServer ? JvmTypeDefault : launcher.jvmType;
    bool serverVm = false;
    if (resolveJvmLibrary(folder, jvmType, serverVm).empty()) {
        return false;
    }
    home = std::move(folder);
    hasServerVm = serverVm;
    return true;
}
