#include "ui/SplashScreen.h"

#include "jre/JvmLibrary.h"
#include "jvm/OptionAssembly.h"
#include "launcher/JavaLauncher.h"
#include "launcher/Trace.h"
#include "platform/Files.h"
#include "platform/Library.h"
#include "platform/Process.h"
#include "text/AnsiText.h"

#include <atomic>

namespace {

#ifdef _WIN32
constexpr const char* libraryInRuntime = "\\bin\\splashscreen.dll";
#else
constexpr const char* libraryInRuntime = "/lib/libsplashscreen.so";
#endif

using SplashInit = int (*)();
using SplashLoadFile = int (*)(const char* fileName);
using SplashSetFileJarName = void (*)(const char* fileName, const char* jarName);
using SplashClose = void (*)();

std::atomic<SplashClose> shownSplash{nullptr};

// The image's path: relative ones are taken from the launcher's folder.
std::string imagePath(const std::string& configured) noexcept
{
    std::string image = configured;
    expandEnvironment(image);
    std::string module;
    if (platform::isAbsolutePath(image) || !platform::moduleFileName(module)) {
        return image;
    }
    const std::size_t separator = text::findLastChar(module, platform::pathSeparator);
    return module.substr(0, separator + 1) + image;
}

} // namespace

void showSplashScreen(const JavaLauncher& launcher) noexcept
{
    if (launcher.splashImage.empty()) {
        return;
    }
    const std::string image = imagePath(launcher.splashImage);
    if (!platform::fileExists(image)) {
        trace("splash screen: unavailable: no image %s", image.c_str());
        return;
    }
    const std::string library = jreHomeOf(launcher.jvmPath) + libraryInRuntime;
    void* loaded = platform::fileExists(library) ? platform::loadLibrary(library) : nullptr;
    const auto init = reinterpret_cast<SplashInit>(loaded ? platform::findSymbol(loaded, "SplashInit") : nullptr);
    const auto load = reinterpret_cast<SplashLoadFile>(loaded ? platform::findSymbol(loaded, "SplashLoadFile") : nullptr);
    const auto close = reinterpret_cast<SplashClose>(loaded ? platform::findSymbol(loaded, "SplashClose") : nullptr);
    if (init == nullptr || load == nullptr || close == nullptr) {
        trace("splash screen: unavailable: the runtime has no splash-screen library %s", library.c_str());
        return;
    }
    init();
    if (load(image.c_str()) == 0) {
        close();
        trace("splash screen: unavailable: %s cannot be shown (not an image the library reads, or no display)",
              image.c_str());
        return;
    }
    // The name the program's SplashScreen.getImageURL() reports.
    if (const auto setName = reinterpret_cast<SplashSetFileJarName>(platform::findSymbol(loaded, "SplashSetFileJarName"))) {
        setName(image.c_str(), nullptr);
    }
    shownSplash.store(close);
    trace("splash screen: %s shown", image.c_str());
}

void closeSplashScreen() noexcept
{
    if (const SplashClose close = shownSplash.exchange(nullptr)) {
        close();
    }
}
