// How long the runtime search takes over a crowded registry, next to the bare
// cost of the registry reads and file checks it cannot avoid. Registers 500
// installations (half development kits, half runtimes) with real folders in
// HKEY_LOCAL_MACHINE of the prefix it runs in, times each side several times,
// prints the medians and their ratio, and removes everything it made.
//
// It replaces Software\JavaSoft\Java Development Kit and ...\Java Runtime
// Environment wholesale: run it only in a prefix of its own or of the tests.

#include "../Folders.h"
#include "jre/Discovery.h"
#include "launcher/JavaLauncher.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {



const std::string root = "C:\\qt\\DiscoveryBench\\";
constexpr int installationsPerKey = 250;
constexpr int runs = 15;

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

void clearKeys()
{
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\JavaSoft\\Java Development Kit");
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\JavaSoft\\Java Runtime Environment");
}

bool registerInstallation(const char* key, const std::string& version, const std::string& home)
{
    HKEY subkey = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, (key + version).c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &subkey,
                        nullptr) != ERROR_SUCCESS) {
        return false;
    }
    const LONG result = RegSetValueExA(subkey, "JavaHome", 0, REG_SZ, reinterpret_cast<const BYTE*>(home.c_str()),
                                       static_cast<DWORD>(home.size() + 1));
    RegCloseKey(subkey);
    return result == ERROR_SUCCESS;
}

// Each key holds versions 1.<m>.0_<u>; every folder carries the marker and a
// client VM, so each installation costs the scan one existence check.
bool setUp()
{
    for (int i = 0; i < installationsPerKey; ++i) {
        const std::string version = "1." + std::to_string(4 + i % 10) + ".0_" + std::to_string(i);
        const std::string kit = root + "jdk" + std::to_string(i);
        const std::string runtime = root + "jre" + std::to_string(i);
        if (!touch(kit + "\\jre\\bin\\java.dll") || !touch(kit + "\\jre\\bin\\client\\jvm.dll") ||
            !touch(runtime + "\\bin\\java.dll") || !touch(runtime + "\\bin\\client\\jvm.dll") ||
            !registerInstallation(developmentKitKey, version, kit) || !registerInstallation(runtimeKey, version, runtime)) {
            return false;
        }
    }
    return true;
}

// The unavoidable work: enumerate both keys, read each JavaHome (size, then
// data) and test the library that the scan finds first.
int bareScan()
{
    int found = 0;
    for (const char* keyPath : {developmentKitKey, runtimeKey}) {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS) {
            continue;
        }
        const bool kit = keyPath == developmentKitKey;
        char name[MAX_PATH];
        DWORD length = MAX_PATH;
        for (DWORD index = 0;
             RegEnumKeyExA(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
             ++index, length = MAX_PATH) {
            HKEY subkey = nullptr;
            if (RegOpenKeyExA(key, name, 0, KEY_READ, &subkey) != ERROR_SUCCESS) {
                continue;
            }
            DWORD size = 0;
            if (RegQueryValueExA(subkey, "JavaHome", nullptr, nullptr, nullptr, &size) == ERROR_SUCCESS && size > 0) {
                std::string home(size, '\0');
                if (RegQueryValueExA(subkey, "JavaHome", nullptr, nullptr, reinterpret_cast<BYTE*>(home.data()),
                                     &size) == ERROR_SUCCESS) {
                    home.resize(home.find('\0'));
                    const std::string library = home + (kit ? "\\jre" : "") + "\\bin\\client\\jvm.dll";
                    WIN32_FIND_DATAA data;
                    HANDLE search = FindFirstFileA(library.c_str(), &data);
                    if (search != INVALID_HANDLE_VALUE) {
                        FindClose(search);
                        ++found;
                    }
                }
            }
            RegCloseKey(subkey);
        }
        RegCloseKey(key);
    }
    return found;
}

double nowMs()
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// One untimed run first, so that no side pays for warming the caches.
template <typename Work>
double medianMs(Work work)
{
    work();
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        const double start = nowMs();
        work();
        times.push_back(nowMs() - start);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int main()
{
    clearKeys();
    removeTree(root.substr(0, root.size() - 1));
    if (!setUp()) {
        std::printf("cannot register the installations: %lu\n", GetLastError());
        clearKeys();
        removeTree(root.substr(0, root.size() - 1));
        return 1;
    }

    JavaLauncher launcher;
    launcher.maxVersion = JavaVersion::upperBound("any");
    bool ok = true;
    std::string chosen;

    const double bare = medianMs([&] { ok = ok && bareScan() == 2 * installationsPerKey; });
    const double search = medianMs([&] {
        const std::optional<JreInstallation> found = findInstalledJre(launcher);
        ok = ok && found.has_value();
        chosen = found ? found->home : "";
    });
    const double locate = medianMs([&] {
        launcher.jvmPath.clear();
        ok = ok && locateJvm(launcher, [](const std::string&, int) { return JreChoice{}; });
    });

    std::printf("installations registered:      %d (%d per key)\n", 2 * installationsPerKey, installationsPerKey);
    std::printf("bare enumeration + reads:      %8.2f ms (median of %d)\n", bare, runs);
    std::printf("findInstalledJre:              %8.2f ms (median of %d)\n", search, runs);
    std::printf("locateJvm:                     %8.2f ms (median of %d)\n", locate, runs);
    std::printf("overhead findInstalledJre/bare: %.2fx\n", search / bare);
    std::printf("overhead locateJvm/bare:        %.2fx\n", locate / bare);
    std::printf("chosen: %s -> %s\n", chosen.c_str(), launcher.jvmPath.c_str());

    clearKeys();
    removeTree(root.substr(0, root.size() - 1));
    if (!ok) {
        std::printf("a run did not find every installation\n");
        return 1;
    }
    return 0;
}
