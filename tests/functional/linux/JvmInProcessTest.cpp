// The JVM host's steps driven in this process against the real JDK: loading
// the library, its default stack size, and the Java strings and stack traces
// the launcher makes. A process holds one JVM: it is created once, on first
// use, and shared.

#include "jvm/JavaStrings.h"
#include "jvm/JvmLoader.h"
#include "jvm/UncaughtException.h"
#include "launcher/JavaLauncher.h"

#include "LinuxProduct.h"

#include <cstdlib>

#include <gtest/gtest.h>

namespace {

std::string libjvm() { return jdkHome() + "lib/server/libjvm.so"; }

// The shared JVM, created through the launcher's own steps.
JavaLauncher& sharedJvm()
{
    static JavaLauncher launcher;
    if (launcher.javaVm == nullptr) {
        launcher.jvmPath = libjvm();
        // Refusing System.exit needs a security manager to be allowed.
        launcher.jvmOptions = {"-Djava.class.path=" + javaClasses(), "-Xcheck:jni", "-Djava.security.manager=allow"};
        if (!loadJvmLibrary(launcher) || !createJvm(launcher)) {
            ADD_FAILURE() << "no JVM";
        }
    }
    return launcher;
}

class InProcessJvm : public ::testing::Test {
protected:
    void SetUp() override
    {
        env = sharedJvm().mainEnv;
        ASSERT_NE(env, nullptr);
        // The creating thread's frame never returns: each test gets its own.
        ASSERT_EQ(env->PushLocalFrame(64), JNI_OK);
        traces = env->FindClass("quarnel/test/Traces");
        ASSERT_NE(traces, nullptr);
    }
    void TearDown() override
    {
        if (env != nullptr) {
            EXPECT_EQ(env->ExceptionCheck(), JNI_FALSE) << "an exception was left pending";
            env->ExceptionClear();
            env->PopLocalFrame(nullptr);
        }
    }

    jobject callStatic(const char* name, const char* descriptor, jobject argument = nullptr)
    {
        const jmethodID method = env->GetStaticMethodID(traces, name, descriptor);
        EXPECT_NE(method, nullptr) << name;
        if (method == nullptr) {
            return nullptr;
        }
        jobject result = env->CallStaticObjectMethod(traces, method, argument);
        if (env->ExceptionCheck()) {
            env->ExceptionDescribe();
            ADD_FAILURE() << name << " threw";
        }
        return result;
    }

    std::string utf(jobject text)
    {
        const char* chars = env->GetStringUTFChars(static_cast<jstring>(text), nullptr);
        std::string copy = chars;
        env->ReleaseStringUTFChars(static_cast<jstring>(text), chars);
        return copy;
    }

    JNIEnv* env = nullptr;
    jclass traces = nullptr;
};

TEST(JvmLoading, LoadFailureNamesTheLinkersReason)
{
    JavaLauncher launcher;
    launcher.jvmPath = "/nonexistent/libjvm.so";
    testing::internal::CaptureStdout();
    EXPECT_FALSE(loadJvmLibrary(launcher));
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Error: Failed to load Java VM library: /nonexistent/libjvm.so: cannot open shared object file: "
              "No such file or directory (errno = 2).\n \n");
    EXPECT_EQ(launcher.createJavaVm, nullptr);
}

TEST(JvmLoading, LibraryWithoutTheEntryPointsIsRefused)
{
    JavaLauncher launcher;
    launcher.jvmPath = jdkHome() + "lib/server/libjsig.so";
    testing::internal::CaptureStdout();
    EXPECT_FALSE(loadJvmLibrary(launcher));
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out.substr(0, 62), "Error: Windows exception: cannot find CreateJavaVM JNI (errno ") << out;
    EXPECT_EQ(launcher.createJavaVm, nullptr);
    EXPECT_EQ(launcher.getDefaultJavaVmInitArgs, nullptr);
}

TEST(JvmLoading, LoadedLibraryIsPublishedAndNamesItsDefaultStack)
{
    JavaLauncher launcher;
    launcher.jvmPath = libjvm();
    ASSERT_TRUE(loadJvmLibrary(launcher));
    EXPECT_NE(launcher.createJavaVm, nullptr);
    EXPECT_STREQ(std::getenv("QUARNEL_JVM_PATH"), libjvm().c_str());
    EXPECT_EQ(std::string(std::getenv("QUARNEL_JVM_HOME")) + "/", jdkHome());
    // HotSpot's ThreadStackSize on x86-64 Linux, reported in the 1.1 block.
    EXPECT_EQ(queryDefaultJavaStackSize(launcher), 1048576u);
}

TEST_F(InProcessJvm, JavaStringsCarryTheBytes)
{
    EXPECT_EQ(utf(newJavaString(env, "two words")), "two words");
    EXPECT_EQ(utf(newJavaString(env, "")), "");

    jobjectArray none = newJavaStringArray(env, {});
    ASSERT_NE(none, nullptr);
    EXPECT_EQ(env->GetArrayLength(none), 0);

    jobjectArray three = newJavaStringArray(env, {"a", "", "c d"});
    ASSERT_NE(three, nullptr);
    ASSERT_EQ(env->GetArrayLength(three), 3);
    EXPECT_EQ(utf(env->GetObjectArrayElement(three, 0)), "a");
    EXPECT_EQ(utf(env->GetObjectArrayElement(three, 1)), "");
    EXPECT_EQ(utf(env->GetObjectArrayElement(three, 2)), "c d");
}

TEST_F(InProcessJvm, CapturedTraceIsWhatPrintStackTraceWrites)
{
    jobject thrown = callStatic("caught", "()Ljava/lang/Throwable;");
    ASSERT_NE(thrown, nullptr);
    const std::string expected = utf(callStatic("printed", "(Ljava/lang/Throwable;)Ljava/lang/String;", thrown));
    ASSERT_EQ(expected.rfind("java.lang.IllegalStateException: outer\n\tat quarnel.test.Traces.nested(", 0), 0u)
        << expected;
    ASSERT_NE(expected.find("Caused by: java.lang.IllegalArgumentException: inner cause\n"), std::string::npos);

    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    const std::string captured = captureStackTrace(env, static_cast<jthrowable>(thrown));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << "-Xcheck:jni objected";
    EXPECT_EQ(captured, expected);
}

TEST_F(InProcessJvm, TraceThatFailsHalfwayIsDescribedAndKeepsWhatWasWritten)
{
    jobject thrown = callStatic("unprintable", "()Ljava/lang/Throwable;");
    ASSERT_NE(thrown, nullptr);
    testing::internal::CaptureStderr();
    const std::string captured = captureStackTrace(env, static_cast<jthrowable>(thrown));
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(captured, "partial");
    EXPECT_EQ(err.rfind("Exception in thread \"main\" java.lang.UnsupportedOperationException: no trace today\n", 0), 0u)
        << err;
}

TEST_F(InProcessJvm, FailureCheckDescribesOnceAndGoesOn)
{
    JavaLauncher& launcher = sharedJvm();
    jobject thrown = callStatic("caught", "()Ljava/lang/Throwable;");
    ASSERT_NE(thrown, nullptr);
    ASSERT_EQ(env->Throw(static_cast<jthrowable>(thrown)), JNI_OK);
    launcher.failureCheck = true;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    handleUncaughtException(launcher, static_cast<jthrowable>(thrown));
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << "-Xcheck:jni objected";
    launcher.failureCheck = false;
    EXPECT_EQ(err.rfind("Exception in thread \"main\" java.lang.IllegalStateException: outer\n", 0), 0u) << err;
    EXPECT_EQ(err.find("IllegalStateException", 1), err.rfind("IllegalStateException")) << "described twice:\n" << err;
    EXPECT_EQ(decideOnFailure(launcher, static_cast<jthrowable>(thrown)), FailureContinue);
}

TEST_F(InProcessJvm, StopEndsTheProcessWithMinusOne)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(exitJava(sharedJvm()), testing::ExitedWithCode(255), "");
}

// Last: the refusal stays installed for the rest of the process.
TEST_F(InProcessJvm, RefusedExitIsDescribedAndReturns)
{
    const jmethodID refuse = env->GetStaticMethodID(traces, "refuseExit", "()V");
    ASSERT_NE(refuse, nullptr);
    testing::internal::CaptureStderr();
    env->CallStaticVoidMethod(traces, refuse);
    ASSERT_EQ(env->ExceptionCheck(), JNI_FALSE);
    exitJava(sharedJvm());
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("java.lang.SecurityException: exit -1 refused\n"), std::string::npos) << err;
}

} // namespace
