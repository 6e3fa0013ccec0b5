#include "jre/JvmLibrary.h"

#include <cstddef>
#include <string_view>
#include <utility>

#include "jre/LibraryMachine.h"
#include "launcher/Configuration.h"
#include "launcher/JavaLauncher.h"
#include "platform/Environment.h"
#include "platform/Files.h"
#include "text/AnsiText.h"

namespace {

struct Candidate {
    const char* name; // relative to the runtime folder
    bool serverVm;
};

// The candidate names of each platform, in the order each JVM type tries them.
// Under favour-server the server VM is tried first and, repeating that test,
// last; a server type never falls back to another VM.
#ifdef _WIN32
constexpr Candidate serverVm{"bin\\server\\jvm.dll", true};
constexpr Candidate clientVm{"bin\\client\\jvm.dll", false};
constexpr Candidate classicVm{"bin\\classic\\jvm.dll", false};
constexpr Candidate hotspotVm{"bin\\hotspot\\jvm.dll", false};

constexpr Candidate serverOrder[] = {serverVm};
constexpr Candidate favourServerOrder[] = {serverVm, clientVm, classicVm, hotspotVm, serverVm};
constexpr Candidate defaultOrder[] = {clientVm, classicVm, hotspotVm, serverVm};

constexpr const char* runtimeMarkers[] = {"bin\\java.dll"};
#else
// Java 8 keeps its libraries one folder deeper, named after the architecture.
#if defined(__x86_64__)
#define QUARNEL_JAVA8_ARCH "amd64"
#elif defined(__aarch64__)
#define QUARNEL_JAVA8_ARCH "aarch64"
#elif defined(__i386__)
#define QUARNEL_JAVA8_ARCH "i386"
#else
#error "name the lib/ subfolder in which a Java 8 runtime of this architecture keeps libjvm.so"
#endif
constexpr Candidate serverVm{"lib/server/libjvm.so", true};
constexpr Candidate clientVm{"lib/client/libjvm.so", false};
constexpr Candidate serverVm8{"lib/" QUARNEL_JAVA8_ARCH "/server/libjvm.so", true};
constexpr Candidate clientVm8{"lib/" QUARNEL_JAVA8_ARCH "/client/libjvm.so", false};

constexpr Candidate serverOrder[] = {serverVm, serverVm8};
constexpr Candidate favourServerOrder[] = {serverVm, serverVm8, clientVm, clientVm8, serverVm, serverVm8};
constexpr Candidate defaultOrder[] = {clientVm, clientVm8, serverVm, serverVm8};

constexpr const char* runtimeMarkers[] = {"lib/libjava.so", "lib/" QUARNEL_JAVA8_ARCH "/libjava.so"};
#undef QUARNEL_JAVA8_ARCH
#endif

struct CandidateOrder {
    const Candidate* first;
    std::size_t count;
    const Candidate* begin() const noexcept { return first; }
    const Candidate* end() const noexcept { return first + count; }
};

template <std::size_t N>
constexpr CandidateOrder orderOf(const Candidate (&list)[N]) noexcept
{
    return {list, N};
}

CandidateOrder candidatesFor(int jvmType) noexcept
{
    switch (jvmType) {
    case JvmTypeServer:
        return orderOf(serverOrder);
    case JvmTypeFavourServer:
        return orderOf(favourServerOrder);
    default:
        return orderOf(defaultOrder);
    }
}

// The text before the last separator; the text itself when it has none.
void cutLastComponent(std::string& path) noexcept
{
    const std::size_t separator = text::findLastChar(path, platform::pathSeparator);
    if (separator != std::string::npos) {
        path.resize(separator);
    }
}

// Path components of the candidate `libraryPath` ends in; three, the depth of
// every Windows candidate, when it ends in none.
int candidateDepth(std::string_view libraryPath) noexcept
{
    for (const Candidate& candidate : orderOf(favourServerOrder)) {
        const std::string_view name = candidate.name;
        if (libraryPath.size() > name.size() && libraryPath.substr(libraryPath.size() - name.size()) == name) {
            int depth = 1;
            for (char c : name) {
                depth += c == platform::pathSeparator ? 1 : 0;
            }
            return depth;
        }
    }
    return 3;
}

} // namespace

std::string resolveJvmLibrary(const std::string& home, int jvmType, bool& hasServerVm) noexcept
{
    for (const Candidate& candidate : candidatesFor(jvmType)) {
        std::string path = home + candidate.name;
        if (platform::fileExists(path)) {
            hasServerVm = candidate.serverVm;
            return path;
        }
    }
    return {};
}

std::string resolveRuntimeOrKit(std::string& home, int jvmType, bool& hasServerVm) noexcept
{
    std::string library = resolveJvmLibrary(home, jvmType, hasServerVm);
    if (library.empty()) {
        std::string runtime = home + "jre" + platform::pathSeparator;
        library = resolveJvmLibrary(runtime, jvmType, hasServerVm);
        if (!library.empty()) {
            home = std::move(runtime);
        }
    }
    return library;
}

bool isLibraryOfOtherMachine(const std::string& libraryPath) noexcept
{
    std::string start;
    return platform::readFile(libraryPath, libraryHeaderBytes, platform::Beyond::cut, start) && isOtherMachine(start);
}

std::string folderIdentity(std::string_view folder)
{
    std::string identity;
    identity.reserve(folder.size());
    std::size_t kept = 0; // length without the trailing separators seen so far
    for (std::size_t i = 0; i < folder.size();) {
        const std::size_t next = text::nextChar(folder, i);
#ifdef _WIN32
        const bool single = next - i == 1;
        const char c = folder[i];
        identity += single && c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
        if (!single) {
            identity += folder[i + 1];
        }
#else
        identity.append(folder.substr(i, next - i));
#endif
        if (next - i != 1 || folder[i] != platform::pathSeparator) {
            kept = identity.size();
        }
        i = next;
    }
    identity.resize(kept);
    return identity;
}

bool isJreHome(const std::string& folder) noexcept
{
    for (const char* marker : runtimeMarkers) {
        if (platform::fileExists(folder + marker)) {
            return true;
        }
    }
    return false;
}

std::string privateJreBeside(const std::string& modulePath) noexcept
{
    const std::size_t separator = text::findLastChar(modulePath, platform::pathSeparator);
    if (separator == std::string::npos) {
        return {};
    }
    std::string folder = modulePath.substr(0, separator + 1);
    if (isJreHome(folder)) {
        return folder;
    }
    folder += "jre";
    folder += platform::pathSeparator;
    return isJreHome(folder) ? folder : std::string();
}

bool findPrivateJre(std::string& folder) noexcept
{
    std::string modulePath;
    if (!getModulePath(modulePath)) {
        return false;
    }
    folder = privateJreBeside(modulePath);
    return true;
}

std::string jreHomeOf(const std::string& jvmLibraryPath)
{
    std::string home = jvmLibraryPath;
    for (int cut = candidateDepth(jvmLibraryPath); cut > 0; --cut) {
        cutLastComponent(home);
    }
    return home;
}

void publishJvmEnvironment(const std::string& jvmLibraryPath) noexcept
{
    // Nothing the launcher does depends on these; a failure goes unremarked.
    static_cast<void>(platform::setEnvironmentVariable("QUARNEL_JVM_PATH", jvmLibraryPath));
    static_cast<void>(platform::setEnvironmentVariable("QUARNEL_JVM_HOME", jreHomeOf(jvmLibraryPath)));
}

std::string withTrailingSeparator(std::string folder)
{
    if (folder.empty() || text::findLastChar(folder, platform::pathSeparator) != folder.size() - 1) {
        folder += platform::pathSeparator;
    }
    return folder;
}
