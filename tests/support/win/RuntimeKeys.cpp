#include "RuntimeKeys.h"

#include <gtest/gtest.h>
#include <windows.h>

void clearRuntimeKeys()
{
    for (const char* tree : {"Software\\JavaSoft\\Java Development Kit", "Software\\JavaSoft\\Java Runtime Environment",
                             "Software\\JavaSoft\\JDK", "Software\\JavaSoft\\JRE", "Software\\Eclipse Adoptium",
                             "Software\\AdoptOpenJDK", "Software\\Semeru"}) {
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, tree);
    }
}

bool writeRuntimeKey(const std::string& subkey, const char* valueName, const std::string& folder)
{
    HKEY created = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, subkey.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &created, nullptr) !=
        ERROR_SUCCESS) {
        return false;
    }
    const LONG result = RegSetValueExA(created, valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(folder.c_str()),
                                       static_cast<DWORD>(folder.size() + 1));
    RegCloseKey(created);
    return result == ERROR_SUCCESS;
}

void registerFolder(const RuntimeKey& key, const std::string& version, const std::string& folder)
{
    const std::string subkey = key.path + version + key.below;
    EXPECT_TRUE(writeRuntimeKey(subkey, key.value, folder)) << subkey;
}
