// The window twin (quarnelw.exe) started as the desktop starts it, with no
// console and no standard output: a failure a person can see, in a box
// read and closed from outside as a person would; with output redirected,
// the line as from the console launcher.

#include "Desktop.h"
#include "Product.h"

#include <gtest/gtest.h>

namespace {

// The message box the launcher `launch` shows, once it is there.
HWND awaitBox(const RunningLaunch& launch, const std::string& title)
{
    HWND box = nullptr;
    waitFor([&] { return (box = findWindow(launch.processId(), title)) != nullptr; }, 30000);
    return box;
}

// The box's text, as the static control that holds it shows it.
std::string boxText(HWND box) { return windowText(GetDlgItem(box, 0xFFFF)); }

// The box as shown, once its text is painted: black pixels in its body.
Image shownBox(HWND box)
{
    Image image;
    waitFor([&] {
        image = captureScreen(screenRect(box));
        return image.count(rgb(0, 0, 0), 0, 30, image.width, image.height) > 20;
    });
    return image;
}

void pressOk(HWND box)
{
    HWND ok = GetDlgItem(box, IDOK);
    ASSERT_NE(ok, nullptr);
    SendMessageA(ok, BM_CLICK, 0, 0);
}

// A runtime whose JVM fails to be created, and says why.
void withJvmThatCannotStart(const Product& app)
{
    const std::string home = app.installJvm(
        "jre\\", "class=com/example/App\ncreate=-4\ncreateMessage=Could not reserve enough space for object heap\n");
    app.writeIni("[Java Runtime Environment]\nMain Class=com.example.App\nJRE Path=" + home +
                 "\n[Class Path]\nClass Path=app.jar\n");
}

class WindowProgram : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!haveDisplay()) {
            GTEST_SKIP() << "no display to show the box on";
        }
    }
    // Copies the window twin rather than the console launcher.
    ScopedVariable twin_{"QT_LAUNCHER", "quarnelw.exe"};
};

TEST_F(WindowProgram, AFailureFromTheDesktopIsShownInABox)
{
    Product app("WindowNoMain", "My App.exe");
    app.writeIni("[Java Runtime Environment]\nJRE Path=C:\\nowhere\n");
    RunningLaunch launch = app.spawnWithoutOutput();
    HWND box = awaitBox(launch, "My App");
    ASSERT_NE(box, nullptr) << "no box titled with the executable's name";
    EXPECT_EQ(windowClass(box), "#32770");
    EXPECT_EQ(boxText(box), "Main class was not specified in INI file.");
    saveScreenshot("window-twin-no-main-class", shownBox(box));
    pressOk(box);
    const LaunchResult r = launch.finish();
    EXPECT_EQ(r.exitCode, -1);
}

TEST_F(WindowProgram, AFailedCreationShowsTheJvmsOwnWords)
{
    Product app("WindowNoHeap");
    withJvmThatCannotStart(app);
    RunningLaunch launch = app.spawnWithoutOutput();
    HWND box = awaitBox(launch, "app");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(boxText(box), "JNI exception: failed to create the Java VM\nReason: not enought memory.\n\n"
                            "Could not reserve enough space for object heap");
    saveScreenshot("window-twin-jvm-failure", shownBox(box));
    pressOk(box);
    EXPECT_EQ(launch.finish().exitCode, -1);
    // The console launcher's options as they are: the hook only here.
    EXPECT_NE(app.jvmLog("jre\\").find(" (extraInfo set)"), std::string::npos);
}

TEST_F(WindowProgram, WithOutputRedirectedTheLineGoesThereAndNoBoxComes)
{
    Product app("WindowRedirected");
    withJvmThatCannotStart(app);
    // Would a box come, the launch would wait for it and never end.
    const LaunchResult r = app.run(app.commandLine());
    EXPECT_EQ(r.out, "Error: JNI exception: failed to create the Java VM\nReason: not enought memory.\n \n");
    EXPECT_EQ(r.err, "Could not reserve enough space for object heap\n");
    EXPECT_EQ(r.exitCode, -1);
    EXPECT_EQ(app.jvmLog("jre\\").find(" (extraInfo set)"), std::string::npos) << "no hook with a place to write";
}

TEST_F(WindowProgram, AServicesStationShowsNothing)
{
    Product app("WindowUnseen");
    app.writeIni("[Java Runtime Environment]\nJRE Path=C:\\nowhere\n");
    // No output and a station nobody sees: a box there would hold the
    // launch until it is killed.
    const LaunchResult r = app.spawnWithoutOutput("", unseenDesktop).finish(20000);
    EXPECT_EQ(r.exitCode, -1);
}

} // namespace
