// "Output File" and "Error File": what the Java program prints lands in the
// files, the launcher's own reports stay on the console.

#include "Product.h"

#include <gtest/gtest.h>

namespace {

struct JavaApp {
    JavaApp(const std::string& name, const std::string& script, const std::string& application) : app(name)
    {
        const std::string home = app.installJvm("jre\\", script);
        app.writeIni("[Java Runtime Environment]\nMain Class=com.example.App\nJRE Path=" + home +
                     "\n[Class Path]\nClass Path=app.jar\n[Application]\n" + application);
    }
    std::string log() const { return app.jvmLog("jre\\"); }
    Product app;
};

const std::string printsBoth = "class=com/example/App\nmain=out hello;err oops\n";

TEST(Redirection, BothStreamsGoToTheirFilesOutputFirst)
{
    JavaApp java("BothFiles", printsBoth, "Output File=out.txt\nError File=C:\\qt\\BothFiles\\logs\\err.txt\n");
    java.app.write("logs\\keep", "");
    const LaunchResult r = java.app.start();
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(java.app.read("out.txt"), "hello\r\n"); // relative to the current directory
    EXPECT_EQ(java.app.read("logs\\err.txt"), "oops\r\n");
    const std::string log = java.log();
    const std::size_t out = log.find("setOut out.txt\n");
    const std::size_t err = log.find("setErr C:\\qt\\BothFiles\\logs\\err.txt\n");
    ASSERT_NE(out, std::string::npos) << log;
    ASSERT_NE(err, std::string::npos) << log;
    EXPECT_LT(out, err);
    EXPECT_LT(err, log.find("main argc=0")); // before the program runs
}

TEST(Redirection, NoFileNamesLeaveTheStreamsAlone)
{
    JavaApp java("NoFiles", printsBoth, "Output File=\nError File=\n");
    const LaunchResult r = java.app.start();
    EXPECT_EQ(r.out, "hello\r\n");
    EXPECT_EQ(r.err, "oops\r\n");
    EXPECT_EQ(java.log().find("set"), std::string::npos) << java.log();
}

TEST(Redirection, ExistingFileIsEmptiedFirst)
{
    JavaApp java("Truncated", printsBoth, "Output File=out.txt\n");
    java.app.write("out.txt", "an older and much longer content\r\n");
    const LaunchResult r = java.app.start();
    EXPECT_EQ(java.app.read("out.txt"), "hello\r\n");
    EXPECT_EQ(r.err, "oops\r\n");
}

TEST(Redirection, FileInAMissingFolderIsDescribedAndTheLaunchGoesOn)
{
    JavaApp java("MissingFolder", printsBoth, "Output File=missing\\out.txt\nError File=err.txt\n");
    const LaunchResult r = java.app.start();
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "hello\r\n"); // standard output was left where it was
    const std::string expected = "Exception in thread \"main\" java.io.FileNotFoundException: missing\\out.txt (";
    EXPECT_EQ(r.err.substr(0, expected.size()), expected) << r.err;
    // The next redirection still happened, with nothing left pending.
    EXPECT_EQ(java.app.read("err.txt"), "oops\r\n");
    EXPECT_NE(java.log().find("DetachCurrentThread main\n"), std::string::npos) << java.log();
}

TEST(Redirection, ErrorFileTakesTheJvmsDescriptionNotTheLaunchersReports)
{
    {
        JavaApp java("ErrorFileDescribe", "class=com/example/App\nmain=throw java/lang/IllegalStateException boom\n",
                     "Error File=err.txt\n");
        const LaunchResult r = java.app.start();
        EXPECT_EQ(r.err, "");
        EXPECT_EQ(r.exitCode, 0);
        EXPECT_EQ(java.app.read("err.txt"),
                  "Exception in thread \"main\" java.lang.IllegalStateException: boom\r\n"
                  "\tat com.example.App.main(App.java)\r\n");
    }
    {
        JavaApp java("ErrorFileReport", "class=com/example/App\nnomain=quiet\n", "Error File=err.txt\n");
        const LaunchResult r = java.app.start();
        EXPECT_EQ(r.out, "Error: No main method found in specified class.\n \n");
        EXPECT_EQ(r.exitCode, -1);
        EXPECT_TRUE(java.app.exists("err.txt"));
        EXPECT_EQ(java.app.read("err.txt"), "");
    }
}

} // namespace
