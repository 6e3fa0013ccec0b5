// The Java thread's stack and the thread routine's result, observed from
// inside the thread through stand-ins for the JVM library's two entry points.

#include "jvm/Jni11InitArgs.h"
#include "jvm/JavaThread.h"
#include "launcher/JavaLauncher.h"

#include <cstdio>
#include <cstdarg>

#include <pthread.h>

#include <gtest/gtest.h>

namespace {

std::size_t stackOfCreatingThread = 0;
pthread_t creatingThread;
jint versionAsked = 0;
jint defaultStack = 0;

// Refuses with a code outside the published ones, after noting its thread.
jint JNICALL refusingCreate(JavaVM**, void**, void*)
{
    creatingThread = pthread_self();
    pthread_attr_t attributes;
    if (pthread_getattr_np(pthread_self(), &attributes) == 0) {
        pthread_attr_getstacksize(&attributes, &stackOfCreatingThread);
        pthread_attr_destroy(&attributes);
    }
    return -7;
}

jint JNICALL reportingDefaults(void* block)
{
    auto* args = static_cast<JDK1_1InitArgs*>(block);
    versionAsked = args->version;
    args->javaStackSize = defaultStack;
    return JNI_ERR;
}

class JavaThread : public ::testing::Test {
protected:
    void SetUp() override
    {
        stackOfCreatingThread = 0;
        versionAsked = 0;
        launcher.createJavaVm = refusingCreate;
        launcher.getDefaultJavaVmInitArgs = reportingDefaults;
    }

    // Runs the thread; its exit code, and what it printed.
    std::uint32_t run(std::string& out)
    {
        testing::internal::CaptureStdout();
        const std::uint32_t code = runJavaThread(launcher);
        out = testing::internal::GetCapturedStdout();
        return code;
    }

    JavaLauncher launcher;
};

TEST_F(JavaThread, RequestedStackSizesTheThread)
{
    launcher.mainThreadStackSize = 2097152;
    std::string out;
    EXPECT_EQ(run(out), 1u);
    EXPECT_EQ(out, "Error: JNI exception: failed to create the Java VM\nReason: .\n \n");
    EXPECT_EQ(stackOfCreatingThread, 2097152u);
    EXPECT_FALSE(pthread_equal(creatingThread, pthread_self()));
    EXPECT_EQ(versionAsked, 0) << "a requested size needs no default";
    EXPECT_EQ(launcher.javaVm, nullptr);
}

TEST_F(JavaThread, TinyRequestGetsAFloorAndLargerOnesAreHonoured)
{
    const struct {
        std::uint32_t requested;
        std::size_t thread;
    } rows[] = {
        {1, 262144},
        {16384, 262144},
        {262144, 262144},
        {524288, 524288},
    };
    for (const auto& row : rows) {
        launcher.mainThreadStackSize = row.requested;
        std::string out;
        EXPECT_EQ(run(out), 1u);
        // At least: the C library may hand over a cached stack somewhat larger.
        EXPECT_GE(stackOfCreatingThread, row.thread) << row.requested;
        EXPECT_EQ(launcher.mainThreadStackSize, row.requested) << "the request itself stays as configured";
    }
}

TEST_F(JavaThread, WithoutARequestTheLibraryDefaultIsUsedAndKept)
{
    defaultStack = 3145728;
    std::string out;
    EXPECT_EQ(run(out), 1u);
    EXPECT_EQ(versionAsked, 0x00010001);
    EXPECT_EQ(launcher.mainThreadStackSize, 3145728u);
    EXPECT_EQ(stackOfCreatingThread, 3145728u);
}

TEST_F(JavaThread, NegativeDefaultMeansNoDefault)
{
    defaultStack = -1;
    std::string out;
    EXPECT_EQ(run(out), 1u);
    EXPECT_EQ(launcher.mainThreadStackSize, 0u);
    EXPECT_NE(stackOfCreatingThread, 0u); // the platform's own default
}

TEST(JavaThreadMain, NoLauncherIsAFailure) { EXPECT_EQ(javaThreadMain(nullptr), 1u); }

} // namespace
