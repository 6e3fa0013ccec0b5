// How long the runtime search takes over a crowded registry, next to the bare
// cost of the registry reads and file checks it cannot avoid. Registers 500
// installations spread evenly over every key the launcher scans, with real
// folders, in HKEY_LOCAL_MACHINE of the prefix it runs in; times the two
// sides interleaved (in alternating order, so that neither always runs on
// the other's warm caches), prints the medians and the median of the
// per-round ratios, and removes everything it made.
//
// It replaces the launcher's registry keys wholesale: run it only in a
// prefix of its own or of the tests.

#include "jre/Discovery.h"
#include "jre/RegistryScan.h"
#include "launcher/JavaLauncher.h"
#include "tests/support/win/Folders.h"
#include "tests/support/win/RuntimeKeys.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

const std::string root = "C:\\qt\\DiscoveryBench\\";
constexpr int installations = 500;
constexpr int layoutCount = sizeof registryLayouts / sizeof registryLayouts[0];
constexpr int rounds = 21;

bool touch(const std::string& path)
{
    makeFolders(path.substr(0, path.find_last_of('\\')));
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    CloseHandle(file);
    return true;
}

// The runtime folder of a registered one, as the layout makes it.
std::string runtimeOf(const RegistryLayout& layout, const std::string& home)
{
    return home + (layout.runtime == RuntimeFolder::Jre ? "\\jre\\" : "\\");
}

// Each key holds versions <feature>.0.<i>; every folder carries the marker
// and a client VM, so each installation costs the scan one existence check.
bool setUp()
{
    for (int i = 0; i < installations; ++i) {
        const RegistryLayout& layout = registryLayouts[i % layoutCount];
        const std::string version = std::to_string(8 + i % 14) + ".0." + std::to_string(i);
        const std::string home = root + "rt" + std::to_string(i);
        const std::string runtime = runtimeOf(layout, home);
        if (!touch(runtime + "bin\\java.dll") || !touch(runtime + "bin\\client\\jvm.dll") ||
            !writeRuntimeKey(layout.keyPath + version + layout.belowVersion, layout.value, home)) {
            return false;
        }
    }
    return true;
}

// The unavoidable work: enumerate every key, read each folder value (size,
// then data), test the library that the scan finds first, and read the
// chosen library's header once.
int bareScan()
{
    int found = 0;
    std::string last;
    for (const RegistryLayout& layout : registryLayouts) {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, layout.keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS) {
            continue;
        }
        char name[MAX_PATH];
        DWORD length = MAX_PATH;
        for (DWORD index = 0;
             RegEnumKeyExA(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
             ++index, length = MAX_PATH) {
            HKEY subkey = nullptr;
            if (RegOpenKeyExA(key, (name + std::string(layout.belowVersion)).c_str(), 0, KEY_READ, &subkey) !=
                ERROR_SUCCESS) {
                continue;
            }
            DWORD size = 0;
            if (RegQueryValueExA(subkey, layout.value, nullptr, nullptr, nullptr, &size) == ERROR_SUCCESS && size > 0) {
                std::string home(size, '\0');
                if (RegQueryValueExA(subkey, layout.value, nullptr, nullptr, reinterpret_cast<BYTE*>(home.data()),
                                     &size) == ERROR_SUCCESS) {
                    home.resize(home.find('\0'));
                    const std::string library = runtimeOf(layout, home) + "bin\\client\\jvm.dll";
                    WIN32_FIND_DATAA data;
                    HANDLE search = FindFirstFileA(library.c_str(), &data);
                    if (search != INVALID_HANDLE_VALUE) {
                        FindClose(search);
                        ++found;
                        last = library;
                    }
                }
            }
            RegCloseKey(subkey);
        }
        RegCloseKey(key);
    }
    HANDLE file = CreateFileA(last.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        char header[4096];
        DWORD got = 0;
        ReadFile(file, header, sizeof header, &got, nullptr);
        CloseHandle(file);
    }
    return found;
}

double nowMs()
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

template <typename Work>
double timeMs(Work work)
{
    const double start = nowMs();
    work();
    return nowMs() - start;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main()
{
    clearRuntimeKeys();
    removeTree(root.substr(0, root.size() - 1));
    if (!setUp()) {
        std::printf("cannot register the installations: %lu\n", GetLastError());
        clearRuntimeKeys();
        removeTree(root.substr(0, root.size() - 1));
        return 1;
    }

    JavaLauncher launcher;
    launcher.maxVersion = JavaVersion::upperBound("any");
    bool ok = true;
    std::string chosen;
    const auto bare = [&] { ok = ok && bareScan() == installations; };
    const auto search = [&] {
        const std::optional<JreInstallation> found = findInstalledJre(launcher);
        ok = ok && found.has_value();
        chosen = found ? found->home : "";
    };
    const auto locate = [&] {
        launcher.jvmPath.clear();
        ok = ok && locateJvm(launcher, [](const std::string&, int) { return JreChoice{}; });
    };

    // One untimed round first, so that no side pays for warming the caches.
    bare();
    search();
    locate();
    std::vector<double> bareTimes, searchTimes, locateTimes, searchRatios, locateRatios;
    for (int round = 0; round < rounds; ++round) {
        double b = 0, s = 0, l = 0;
        if (round % 2 == 0) {
            b = timeMs(bare);
            s = timeMs(search);
            l = timeMs(locate);
        } else {
            l = timeMs(locate);
            s = timeMs(search);
            b = timeMs(bare);
        }
        bareTimes.push_back(b);
        searchTimes.push_back(s);
        locateTimes.push_back(l);
        searchRatios.push_back(s / b);
        locateRatios.push_back(l / b);
    }

    std::printf("installations registered:        %d (%d keys)\n", installations, layoutCount);
    std::printf("bare enumeration + reads:        %8.2f ms (median of %d)\n", median(bareTimes), rounds);
    std::printf("findInstalledJre:                %8.2f ms\n", median(searchTimes));
    std::printf("locateJvm:                       %8.2f ms\n", median(locateTimes));
    std::printf("median ratio findInstalledJre/bare: %.3f\n", median(searchRatios));
    std::printf("median ratio locateJvm/bare:        %.3f\n", median(locateRatios));
    std::printf("chosen: %s -> %s\n", chosen.c_str(), launcher.jvmPath.c_str());

    clearRuntimeKeys();
    removeTree(root.substr(0, root.size() - 1));
    if (!ok) {
        std::printf("a round did not find every installation\n");
        return 1;
    }
    return 0;
}
