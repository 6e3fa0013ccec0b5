#include "jre/InstalledJdks.h"

#include "jre/Discovery.h"

#include <algorithm>
#include <map>
#include <utility>

#include "jre/DiscoveryTrace.h"
#include "jre/JvmLibrary.h"
#include "launcher/JavaLauncher.h"
#include "launcher/Trace.h"
#include "platform/Files.h"

// Linux has no registry of runtimes; the development kits that the package
// manager installs under one folder take its place. Each counts as a
// development kit: "only_JRE" finds none, and "favor_JDK" favours them all.

std::optional<JreInstallation> findInstalledJre(const JavaLauncher& launcher) noexcept
{
    return findInstalledJreUnder(launcher, jdkRoot);
}

std::optional<JreInstallation> findInstalledJreUnder(const JavaLauncher& launcher, const std::string& root) noexcept
{
    std::vector<JreInstallation> installations;
    if (launcher.jvmSourceFavour || launcher.jvmSourceJdk) {
        scanJdkFolders(launcher, root, installations);
    } else {
        trace("source %s: not scanned (JVM Source)", root.c_str());
    }
    return chooseInstallation(installations, launcher);
}

void scanJdkFolders(const JavaLauncher& launcher, const std::string& root,
                    std::vector<JreInstallation>& installations) noexcept
{
    std::vector<std::string> names;
    if (!platform::listFolder(root, names)) {
        trace("source %s: not present", root.c_str());
        return;
    }
    trace("source %s", root.c_str());
    std::vector<FolderEntry> entries;
    for (std::string& name : names) {
        std::string canonical;
        if (platform::canonicalPath(root + name, canonical)) {
            entries.push_back({std::move(name), std::move(canonical)});
        }
    }
    for (const std::string& name : distinctFolders(std::move(entries))) {
        const std::string folder = root + name + "/";
        JreInstallation installation;
        installation.origin = folder;
        installation.developmentKit = true;
        std::string release;
        std::string versionText;
        if (!platform::readFile(folder + releaseFileName, releaseFileLimit, platform::Beyond::cut, release) || !releaseVersion(release, versionText)) {
            if (tracing()) {
                traceCandidate(CandidateFacts{folder, nullptr, true, true, {}, {}}, "no release version");
            }
            continue;
        }
        installation.version = JavaVersion::parse(versionText, 0);
        if (!withinBounds(installation.version, launcher.minVersion, launcher.maxVersion)) {
            if (tracing()) {
                traceCandidate(installation, "", "out of bounds");
            }
            continue;
        }
        // A Java 8 kit keeps its runtime in "jre/"; later kits are runtimes
        // themselves.
        std::string home = folder;
        if (!isJreHome(home)) {
            home += "jre/";
            if (!isJreHome(home)) {
                if (tracing()) {
                    traceCandidate(installation, "", "no runtime marker");
                }
                continue;
            }
        }
        installation.home = std::move(home);
        installation.library = resolveJvmLibrary(installation.home, launcher.jvmType, installation.hasServerVm);
        if (installation.library.empty()) {
            if (tracing()) {
                traceCandidate(installation, "", "no library");
            }
            continue;
        }
        installation.favouredKind = launcher.jvmSourceJdk;
        installations.push_back(std::move(installation));
    }
}

std::vector<std::string> distinctFolders(std::vector<FolderEntry> entries)
{
    std::sort(entries.begin(), entries.end(),
              [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
    const auto namedLikeTarget = [](const FolderEntry& entry) {
        const std::string& target = entry.canonical;
        return target.size() > entry.name.size() &&
               target.compare(target.size() - entry.name.size(), entry.name.size(), entry.name) == 0 &&
               target[target.size() - entry.name.size() - 1] == '/';
    };
    std::map<std::string, std::size_t> chosen; // canonical folder -> entry
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const auto [at, inserted] = chosen.emplace(entries[i].canonical, i);
        if (!inserted && !namedLikeTarget(entries[at->second]) && namedLikeTarget(entries[i])) {
            at->second = i;
        }
    }
    std::vector<std::size_t> kept;
    for (const auto& entry : chosen) {
        kept.push_back(entry.second);
    }
    std::sort(kept.begin(), kept.end());
    std::vector<std::string> names;
    for (std::size_t i : kept) {
        names.push_back(std::move(entries[i].name));
    }
    return names;
}
