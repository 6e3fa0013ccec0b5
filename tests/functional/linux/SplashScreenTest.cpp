// "Splash Image" with the real JDKs on a virtual display: the runtime's own
// splash-screen library shows the image before the JVM exists, and the
// program's java.awt.SplashScreen finds it.

#include "LinuxProduct.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// An Xvfb display of the test's own, for as long as the object lives.
class VirtualDisplay {
public:
    VirtualDisplay()
    {
        if (!fs::exists("/usr/bin/Xvfb")) {
            return;
        }
        for (int number = 90; number < 100 && name_.empty(); ++number) {
            const std::string socket = "/tmp/.X11-unix/X" + std::to_string(number);
            if (fs::exists(socket) || fs::exists("/tmp/.X" + std::to_string(number) + "-lock")) {
                continue;
            }
            server_ = ::fork();
            if (server_ == 0) {
                const std::string display = ":" + std::to_string(number);
                ::execl("/usr/bin/Xvfb", "Xvfb", display.c_str(), "-screen", "0", "800x600x24", "-nolisten", "tcp",
                        static_cast<char*>(nullptr));
                ::_exit(127);
            }
            if (eventually([&] { return fs::exists(socket); }, 10000)) {
                name_ = ":" + std::to_string(number);
            } else {
                stop();
            }
        }
    }
    ~VirtualDisplay() { stop(); }
    VirtualDisplay(const VirtualDisplay&) = delete;
    VirtualDisplay& operator=(const VirtualDisplay&) = delete;

    // ":<n>", or empty when there is none.
    const std::string& name() const { return name_; }

private:
    void stop()
    {
        if (server_ > 0) {
            ::kill(server_, SIGTERM);
            ::waitpid(server_, nullptr, 0);
            server_ = -1;
        }
    }
    pid_t server_ = -1;
    std::string name_;
};

class SplashScreen : public JdkTest {
protected:
    SplashScreen() : JdkTest("lib/libsplashscreen.so") {}
    void SetUp() override
    {
        JdkTest::SetUp();
        if (IsSkipped()) {
            return;
        }
        if (display_.name().empty()) {
            GTEST_SKIP() << "no Xvfb to show a splash screen on";
        }
    }

    std::string config(const std::string& image) const
    {
        return "[Java Runtime Environment]\nMain Class=quarnel.test.SplashProbe\nJRE Path=" + jdk() +
               "\n[Class Path]\nClass Path=" + javaClasses() + "\n[Application]\nSplash Image=" + image + "\n";
    }

    VirtualDisplay display_;
};

TEST_P(SplashScreen, TheImageIsOnScreenBeforeMainOpensAWindow)
{
    LinuxProduct app("splash");
    const std::string image = app.folder() + "splash.png";
    ASSERT_EQ(std::system((java() + " -cp " + javaClasses() + " quarnel.test.ScreenShot make " + image).c_str()), 0);
    app.writeIni(config("splash.png"));
    const std::vector<std::string> environment{"DISPLAY=" + display_.name()};

    RunningLaunch launch = app.spawn("splash", {"wait"}, environment);
    ASSERT_TRUE(eventually([&] { return launch.out().find("splash true\n") != std::string::npos; }))
        << launch.out() << launch.err();
    // main runs and has opened no window: what is on the screen is ours.
    const std::string shot = fs::path(QUARNEL_EXE).parent_path().string() + "/screenshots/linux-splash-" +
                             (jdk() == temurin25 ? "temurin25" : "jdk") + ".png";
    fs::create_directories(fs::path(shot).parent_path());
    const std::string command = "cd " + app.folder() + " && DISPLAY=" + display_.name() + " " + java() + " -cp " +
                                javaClasses() + " quarnel.test.ScreenShot capture " + shot + " > shot.out 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << app.read("shot.out");
    EXPECT_EQ(app.read("shot.out"), "magenta 20000\n") << "the whole image, shown once";

    app.write("release", "");
    const RunResult r = launch.finish();
    EXPECT_EQ(r.out, "splash true\nimage file:" + image + "\nclosed true\n");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.exitCode, 0);
}

TEST_P(SplashScreen, AMissingImageStartsTheProgramSilently)
{
    LinuxProduct app("nosplash");
    app.writeIni(config("missing.png"));
    const RunResult r = app.run({}, {"DISPLAY=" + display_.name()});
    EXPECT_EQ(r.out, "splash false\n");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.exitCode, 0);
    const RunResult traced = app.run({}, {"DISPLAY=" + display_.name(), "QUARNEL_TRACE=1"});
    EXPECT_NE(traced.err.find("splash screen: unavailable: no image " + app.folder() + "missing.png"),
              std::string::npos)
        << traced.err;
}

INSTANTIATE_TEST_SUITE_P(Jdks, SplashScreen, ::testing::ValuesIn(testJdks()), jdkTestName);

} // namespace
