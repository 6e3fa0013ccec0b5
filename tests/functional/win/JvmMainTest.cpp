// The Java thread: main's lookup and call, its arguments, an exception that
// escapes it, System.exit, and the JVM's teardown.

#include "Product.h"

#include <gtest/gtest.h>

namespace {

// A product whose runtime is the test double running `script`.
struct JavaApp {
    explicit JavaApp(const std::string& name, const std::string& script, const std::string& application = "")
        : app(name)
    {
        const std::string home = app.installJvm("jre\\", script);
        app.writeIni("[Java Runtime Environment]\nMain Class=com.example.App\nJRE Path=" + home +
                     "\n[Class Path]\nClass Path=app.jar\n[Application]\n" + application);
    }
    std::string log() const { return app.jvmLog("jre\\"); }
    Product app;
};

bool has(const std::string& log, const std::string& line) { return log.find(line + "\n") != std::string::npos; }

// Whether `first` is logged, and before `second`.
bool logsInOrder(const std::string& log, const std::string& first, const std::string& second)
{
    const std::size_t a = log.find(first + "\n");
    const std::size_t b = log.find(second + "\n");
    return a != std::string::npos && b != std::string::npos && a < b;
}

TEST(JavaMain, ArgumentsArriveInOrder)
{
    JavaApp java("Arguments", "class=com/example/App\nmain=args\n");
    const LaunchResult r = java.app.start("one \"two three\" -nosplash /nosplash");
    EXPECT_EQ(r.out, "arg[0]=one\r\narg[1]=two three\r\narg[2]=-nosplash\r\narg[3]=/nosplash\r\n");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.exitCode, 0);
    const std::string log = java.log();
    EXPECT_TRUE(has(log, "main argc=4")) << log;
    EXPECT_TRUE(logsInOrder(log, "main returned", "DetachCurrentThread main")) << log;
    EXPECT_TRUE(logsInOrder(log, "DetachCurrentThread main", "DestroyJavaVM done")) << log;
}

TEST(JavaMain, NoArgumentsIsAnEmptyArray)
{
    JavaApp java("NoArguments", "class=com/example/App\nmain=args\n");
    const LaunchResult r = java.app.start();
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(has(java.log(), "main argc=0")) << java.log();
}

TEST(JavaMain, MissingClassIsDescribedThenReported)
{
    JavaApp java("MissingClass", "class=com/example/Other\n");
    const LaunchResult r = java.app.start();
    EXPECT_EQ(r.err, "Exception in thread \"main\" java.lang.NoClassDefFoundError: com/example/App\r\n");
    EXPECT_EQ(r.out, "Error: Could not find the main class com/example/App.\n \n");
    EXPECT_EQ(r.exitCode, -1);
    const std::string log = java.log();
    // The JVM exists, so the thread still detaches and the JVM is destroyed.
    EXPECT_TRUE(logsInOrder(log, "DetachCurrentThread main", "DestroyJavaVM")) << log;
}

TEST(JavaMain, MissingMainWithExceptionIsOnlyDescribed)
{
    JavaApp java("NoMainThrows", "class=com/example/App\nnomain\n");
    const LaunchResult r = java.app.start();
    EXPECT_EQ(r.err, "Exception in thread \"main\" java.lang.NoSuchMethodError: main\r\n");
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.exitCode, -1);
    EXPECT_TRUE(has(java.log(), "DetachCurrentThread main")) << java.log();
}

TEST(JavaMain, MissingMainWithoutExceptionIsReported)
{
    JavaApp java("NoMainQuiet", "class=com/example/App\nnomain=quiet\n");
    const LaunchResult r = java.app.start();
    EXPECT_EQ(r.out, "Error: No main method found in specified class.\n \n");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.exitCode, -1);
}

TEST(JavaMain, ClassNameThatCannotBecomeAJavaStringIsReported)
{
    JavaApp java("NoClassName", "class=com/example/App\nmain=args\nfail=java/lang/String.<init> "
                                "java/lang/OutOfMemoryError Java heap space\n");
    const LaunchResult r = java.app.start("one");
    EXPECT_EQ(r.out, "Error: Failed to load Main Class: com/example/App.\n \n");
    EXPECT_EQ(r.exitCode, -1);
    EXPECT_EQ(java.log().find("main argc"), std::string::npos) << java.log();
}

TEST(JavaMain, UncaughtExceptionIsDescribedAndTheRunSucceeds)
{
    const std::string description =
        "Exception in thread \"main\" java.lang.IllegalStateException: boom\r\n\tat com.example.App.main(App.java)\r\n";
    for (const char* failureCheck : {"", "no", "yes", "YES"}) {
        JavaApp java("Uncaught", "class=com/example/App\nmain=out before;throw java/lang/IllegalStateException boom\n",
                     std::string("Failure Check=") + failureCheck + "\n");
        const LaunchResult r = java.app.start();
        EXPECT_EQ(r.out, "before\r\n") << failureCheck;
        EXPECT_EQ(r.err, description) << failureCheck; // described once, captured text not shown
        EXPECT_EQ(r.exitCode, 0) << failureCheck;
        const std::string log = java.log();
        const bool checked = failureCheck[0] == 'y' || failureCheck[0] == 'Y';
        // With the check the trace is printed into memory and read back.
        EXPECT_EQ(has(log, "printStackTrace java/lang/IllegalStateException"), checked) << log;
        EXPECT_EQ(log.find("printStackTrace captured ") != std::string::npos, checked) << log;
        EXPECT_TRUE(logsInOrder(log, "ExceptionDescribe java.lang.IllegalStateException: boom",
                                "DetachCurrentThread main"))
            << log;
    }
}

TEST(JavaMain, FailingStackTraceCaptureStillContinues)
{
    JavaApp java("CaptureFails",
                 "class=com/example/App\nmain=throw java/lang/IllegalStateException boom\n"
                 "fail=java/lang/Throwable.printStackTrace java/lang/UnsupportedOperationException no trace\n",
                 "Failure Check=Yes\n");
    const LaunchResult r = java.app.start();
    EXPECT_EQ(r.err,
              "Exception in thread \"main\" java.lang.IllegalStateException: boom\r\n\tat com.example.App.main(App.java)\r\n"
              "Exception in thread \"main\" java.lang.UnsupportedOperationException: no trace\r\n"
              "\tat java.lang.Throwable.printStackTrace(Throwable.java)\r\n");
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(has(java.log(), "DetachCurrentThread main")) << java.log();
}

TEST(JavaMain, SystemExitEndsTheProcessWithItsStatus)
{
    JavaApp java("Exit7", "class=com/example/App\nmain=out before;exit 7;out after\n");
    const LaunchResult r = java.app.start();
    EXPECT_EQ(r.out, "before\r\n");
    EXPECT_EQ(r.exitCode, 7);
}

TEST(JavaMain, FailedDetachFailsTheRun)
{
    JavaApp java("DetachFails", "class=com/example/App\nmain=out ran\ndetach=-1\n");
    const LaunchResult r = java.app.start();
    EXPECT_EQ(r.out, "ran\r\n");
    EXPECT_EQ(r.exitCode, -1);
}

TEST(JavaMain, TeardownWaitsForTheProgramsOtherThreads)
{
    JavaApp java("Lingering", "class=com/example/App\nmain=spawn 300 late;out main done\n");
    const LaunchResult r = java.app.start();
    EXPECT_EQ(r.out, "main done\r\nlate\r\n");
    EXPECT_EQ(r.exitCode, 0);
    const std::string log = java.log();
    EXPECT_TRUE(logsInOrder(log, "DetachCurrentThread main", "DestroyJavaVM")) << log;
    EXPECT_TRUE(logsInOrder(log, "DestroyJavaVM", "Thread-0 ended")) << log;
    EXPECT_TRUE(logsInOrder(log, "Thread-0 ended", "DestroyJavaVM done")) << log;
}

} // namespace
