// The first instance's teardown, in this process, so that what the teardown
// itself does shows: the end of a process releases the block and ends the
// listener whatever it did.

#include "instance/InstanceBlock.h"
#include "instance/SingleInstance.h"
#include "launcher/Configuration.h"
#include "launcher/JavaLauncher.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace {

TEST(InstanceTeardown, StopsTheListenerAndReleasesTheBlockItself)
{
    std::string modulePath;
    std::string ini;
    ASSERT_TRUE(getModulePath(modulePath));
    ASSERT_TRUE(iniPathFor(modulePath, ini));
    ASSERT_TRUE(WritePrivateProfileStringA("Application", "Single Instance", "yes", ini.c_str()));
    const std::string name = makeInstanceName(modulePath);
    HANDLE listener = nullptr;
    {
        JavaLauncher launcher;
        ASSERT_TRUE(setUpSingleInstance(launcher));
        EXPECT_TRUE(launcher.singleInstance);
        EXPECT_TRUE(launcher.isFirstInstance);
        // The listener is found as further starts find it: by the
        // identifier the block publishes.
        HANDLE block = OpenFileMappingA(FILE_MAP_READ, FALSE, name.c_str());
        ASSERT_NE(block, nullptr) << "the block exists while the instance runs";
        const void* view = MapViewOfFile(block, FILE_MAP_READ, 0, 0, 0);
        ASSERT_NE(view, nullptr);
        const auto* bytes = static_cast<const unsigned char*>(view);
        listener = OpenThread(SYNCHRONIZE, FALSE, instance::loadField(bytes, instance::threadIdOffset));
        UnmapViewOfFile(view);
        CloseHandle(block);
        ASSERT_NE(listener, nullptr);

        launcher.cleanup();
        EXPECT_EQ(WaitForSingleObject(listener, 0), WAIT_OBJECT_0) << "the listener still runs";
        EXPECT_EQ(OpenFileMappingA(FILE_MAP_READ, FALSE, name.c_str()), nullptr) << "the block is still there";
    }
    CloseHandle(listener);
    DeleteFileA(ini.c_str());
}

} // namespace
