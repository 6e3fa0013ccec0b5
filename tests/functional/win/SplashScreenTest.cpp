// "Splash Image" under wine, with a test double of the runtime's
// splash-screen library that logs what the launcher asks of it.

#include "Product.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace {

// A product whose runtime has the double as its bin\splashscreen.dll.
std::string withSplashLibrary(const Product& app, const std::string& script)
{
    const std::string home = app.installJvm("jre\\", script);
    EXPECT_TRUE(CopyFileA((buildFolder() + "splashscreen.dll").c_str(), (app.folder() + "jre\\bin\\splashscreen.dll").c_str(),
                          FALSE));
    return home;
}

std::string config(const std::string& home, const std::string& image)
{
    return "[Java Runtime Environment]\nMain Class=com.example.App\nJRE Path=" + home +
           "\n[Class Path]\nClass Path=app.jar\n[Application]\nSplash Image=" + image + "\n";
}

TEST(SplashScreen, ShownFromTheRuntimesLibraryBeforeTheJvmIsCreated)
{
    const ScopedVariable images("QT_IMAGES", "images");
    Product app("Splash");
    const std::string home = withSplashLibrary(app, "class=com/example/App\nmain=out main\nloaded=splashscreen.dll\n");
    app.write("images\\splash.png", "PNG bytes");
    app.writeIni(config(home, "%QT_IMAGES%\\splash.png"));
    const LaunchResult r = app.start();
    EXPECT_EQ(r.out, "main\r\n");
    EXPECT_EQ(r.exitCode, 0);
    // Relative to the launcher's folder, whatever the current one; the
    // program's SplashScreen learns the file's name from the library.
    const std::string image = app.folder() + "images\\splash.png";
    EXPECT_EQ(app.read("jre\\bin\\splash.log"), "SplashInit\nSplashLoadFile " + image + " shown\nSplashSetFileJarName " +
                                                    image + " (none)\n");
    // Before the JVM: the library was there when the JVM was created.
    EXPECT_NE(app.jvmLog("jre\\").find("loaded splashscreen.dll=1\n"), std::string::npos) << app.jvmLog("jre\\");
}

TEST(SplashScreen, AFailureClosesItSoThatNothingCoversTheReport)
{
    Product app("SplashFails");
    const std::string home = withSplashLibrary(app, "class=com/example/App\ncreate=-1\n");
    app.write("splash.png", "PNG bytes");
    app.writeIni(config(home, "splash.png"));
    const LaunchResult r = app.start();
    EXPECT_EQ(r.exitCode, -1);
    const std::string log = app.read("jre\\bin\\splash.log");
    EXPECT_EQ(log.substr(log.size() - 12), "SplashClose\n") << log;
}

TEST(SplashScreen, WithoutImageOrLibraryTheProgramStartsSilently)
{
    Product app("SplashMissing");
    const std::string home = withSplashLibrary(app, "class=com/example/App\nmain=out main\n");
    app.writeIni(config(home, "missing.png"));
    LaunchResult r = app.start();
    EXPECT_EQ(r.out, "main\r\n");
    EXPECT_EQ(r.err, "");
    EXPECT_FALSE(app.exists("jre\\bin\\splash.log")) << "the library is not even asked";

    // An image the library cannot read: closed again at once.
    app.write("empty.png", "");
    app.writeIni(config(home, "empty.png"));
    r = app.start();
    EXPECT_EQ(r.out, "main\r\n");
    EXPECT_EQ(app.read("jre\\bin\\splash.log"),
              "SplashInit\nSplashLoadFile " + app.folder() + "empty.png refused\nSplashClose\n");

    Product bare("SplashNoLibrary");
    const std::string bareHome = bare.installJvm("jre\\", "class=com/example/App\nmain=out main\n");
    bare.write("splash.png", "PNG bytes");
    bare.writeIni(config(bareHome, "splash.png"));
    r = bare.start();
    EXPECT_EQ(r.out, "main\r\n");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.exitCode, 0);
}

} // namespace
