// The Linux launcher started as a product starts it, running small Java
// programs on the real JDK with -Xcheck:jni: what reaches main, what the
// program prints and where, and how the process ends.

#include "LinuxProduct.h"

#include <gtest/gtest.h>

namespace {

TEST(Launch, ArgumentsArriveInOrder)
{
    LinuxProduct app("args");
    app.writeIni(javaConfig("quarnel.test.Args"));
    const RunResult r = app.run({"one", "two three", "-nosplash", ""});
    EXPECT_EQ(r.out, "argc=4\n[0]=one\n[1]=two three\n[2]=-nosplash\n[3]=\n");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.exitCode, 0);

    const RunResult none = app.run();
    EXPECT_EQ(none.out, "argc=0\n");
    EXPECT_EQ(none.exitCode, 0);
}

TEST(Launch, OutputAndErrorFilesReceiveWhatTheProgramPrints)
{
    LinuxProduct app("files");
    app.writeIni(javaConfig("quarnel.test.Streams", "", "Output File=out.txt\nError File=" + app.folder() + "logs/err.txt\n"));
    app.write("out.txt", "an older and much longer content\n");
    app.write("logs/keep", "");
    const RunResult r = app.run();
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(app.read("out.txt"), "to out\n");
    EXPECT_EQ(app.read("logs/err.txt"), "to err\n");
}

TEST(Launch, FileInAMissingFolderIsDescribedAndTheRunGoesOn)
{
    LinuxProduct app("missingfolder");
    app.writeIni(javaConfig("quarnel.test.Streams", "", "Output File=missing/out.txt\nError File=err.txt\n"));
    const RunResult r = app.run();
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "to out\n");
    const std::string described =
        "Exception in thread \"main\" java.io.FileNotFoundException: missing/out.txt (No such file or directory)\n";
    EXPECT_EQ(r.err.substr(0, described.size()), described) << r.err;
    EXPECT_EQ(app.read("err.txt"), "to err\n");
}

TEST(Launch, ExceptionEscapingMainIsDescribedAndTheRunSucceeds)
{
    const std::string described = "Exception in thread \"main\" java.lang.IllegalStateException: boom\n"
                                  "\tat quarnel.test.Thrower.fail(Thrower.java:11)\n"
                                  "\tat quarnel.test.Thrower.main(Thrower.java:7)\n";
    for (const char* failureCheck : {"no", "yes"}) {
        LinuxProduct app("thrower");
        app.writeIni(javaConfig("quarnel.test.Thrower", "", std::string("Failure Check=") + failureCheck + "\n"));
        const RunResult r = app.run();
        EXPECT_EQ(r.out, "before\n") << failureCheck;
        EXPECT_EQ(r.err, described) << failureCheck; // the captured trace is not shown
        EXPECT_EQ(r.exitCode, 0) << failureCheck;
    }
}

TEST(Launch, ErrorFileTakesTheDescriptionThatGoesThroughSystemErr)
{
    // HotSpot prints the thread's name natively and the trace through
    // System.err: only the trace follows the redirection.
    LinuxProduct app("describedintofile");
    app.writeIni(javaConfig("quarnel.test.Thrower", "", "Error File=err.txt\n"));
    const RunResult r = app.run();
    EXPECT_EQ(r.err, "Exception in thread \"main\" ");
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(app.read("err.txt"), "java.lang.IllegalStateException: boom\n"
                                   "\tat quarnel.test.Thrower.fail(Thrower.java:11)\n"
                                   "\tat quarnel.test.Thrower.main(Thrower.java:7)\n");
}

TEST(Launch, SystemExitEndsTheProcessWithItsStatus)
{
    LinuxProduct app("exit");
    app.writeIni(javaConfig("quarnel.test.ExitSeven"));
    const RunResult r = app.run();
    EXPECT_EQ(r.out, "before\n");
    EXPECT_EQ(r.exitCode, 7);
}

TEST(Launch, MissingMainClassIsDescribedThenReported)
{
    LinuxProduct app("missingclass");
    app.writeIni(javaConfig("quarnel.test.Missing"));
    const RunResult r = app.run();
    EXPECT_EQ(r.out, "Error: Could not find the main class quarnel/test/Missing.\n \n");
    const std::string described = "Exception in thread \"main\" java.lang.NoClassDefFoundError: quarnel/test/Missing\n";
    EXPECT_EQ(r.err.substr(0, described.size()), described) << r.err;
    EXPECT_EQ(r.exitCode, 255);
}

TEST(Launch, UnrecognisedOptionFailsCreation)
{
    LinuxProduct app("badoption");
    app.writeIni(javaConfig("quarnel.test.Args", "-Xfoo"));
    const RunResult r = app.run();
    EXPECT_EQ(r.out, "Error: JNI exception: failed to create the Java VM\nReason: unknown.\n \n"); // JNI_ERR
    EXPECT_EQ(r.err, "Unrecognized option: -Xfoo\n");
    EXPECT_EQ(r.exitCode, 255);
}

TEST(Launch, TinyStackSizeIsRefusedByTheJvmItself)
{
    // The JVM's answer to a size it can check on the launcher's thread as it
    // stands; smaller sizes must get the same answer, not a crash.
    LinuxProduct reference("stack64k");
    reference.writeIni(javaConfig("quarnel.test.Args", "-Xss64k"));
    const RunResult refused = reference.run();
    ASSERT_NE(refused.out.find("The Java thread stack size specified is too small."), std::string::npos)
        << refused.out << refused.err;
    ASSERT_NE(refused.out.find("Error: JNI exception: failed to create the Java VM\n"), std::string::npos);
    ASSERT_EQ(refused.exitCode, 255);

    for (const char* size : {"-Xss1", "-Xss16k", "-Xss24k"}) {
        LinuxProduct app("tinystack");
        app.writeIni(javaConfig("quarnel.test.Args", size));
        const RunResult r = app.run();
        EXPECT_EQ(r.out, refused.out) << size;
        EXPECT_EQ(r.err, refused.err) << size;
        EXPECT_EQ(r.exitCode, 255) << size;
    }
}

TEST(Launch, NonDaemonThreadKeepsTheProcessAlive)
{
    LinuxProduct app("lingering");
    app.writeIni(javaConfig("quarnel.test.Lingering"));
    const RunResult r = app.run();
    EXPECT_EQ(r.out, "main done\nlate\n");
    EXPECT_EQ(r.exitCode, 0);
}

TEST(Launch, PathsAndRuntimeLocationReachTheProgram)
{
    LinuxProduct app("environment");
    app.writeIni(javaConfig("quarnel.test.Environment", "", "",
                            "Library Path=/opt/qt-lib\nSystem Path=/opt/qt-bin\n"));
    const std::string home = jdkHome();
    const std::string runtime = home.substr(0, home.size() - 1);
    const std::string shared = "QUARNEL_JVM_PATH=" + home + "lib/server/libjvm.so\nQUARNEL_JVM_HOME=" + runtime +
                               "\nPATH=/usr/bin:/bin:/opt/qt-bin\n";

    const RunResult r = app.run({}, {"PATH=/usr/bin:/bin", "LD_LIBRARY_PATH=/opt/qt-ld"});
    EXPECT_EQ(r.out, shared + "java.library.path=/opt/qt-lib:" + app.folder() + ":.:/opt/qt-ld:" + runtime + "/lib\n");
    EXPECT_EQ(r.exitCode, 0);

    // Without a library search path of the process there is nothing to refer to.
    const RunResult unset = app.run({}, {"PATH=/usr/bin:/bin", "LD_LIBRARY_PATH"});
    EXPECT_EQ(unset.out, shared + "java.library.path=/opt/qt-lib:" + app.folder() + ":.:" + runtime + "/lib\n");
}

} // namespace
