#include "launcher/JavaLauncher.h"

#include "instance/SingleInstance.h"
#include "jre/Discovery.h"
#include "jvm/JvmHost.h"
#include "launcher/Configuration.h"
#include "platform/Files.h"
#include "platform/Process.h"
#include "text/AnsiText.h"
#include "ui/SplashScreen.h"

namespace {

void moveToLauncherFolder() noexcept
{
    std::string modulePath;
    if (!getModulePath(modulePath)) {
        return;
    }
    const std::string folder = workingFolderFor(modulePath);
    if (!folder.empty()) {
        (void)platform::setCurrentDirectory(folder); // a failure leaves the directory as it was
    }
}

} // namespace

std::string workingFolderFor(std::string_view modulePath)
{
    const std::size_t separator = text::findLastChar(modulePath, platform::pathSeparator);
    if (separator == std::string_view::npos || separator == 0) {
        return {};
    }
    return std::string(modulePath.substr(0, separator));
}

bool JavaLauncher::initialize() noexcept
{
    arguments = platform::processArguments();
    if (!setUpSingleInstance(*this)) {
        return false;
    }
    if (singleInstance && !isFirstInstance) {
        return true; // handed over: nothing else to read or find
    }
    return readSettings() && locateJvm(*this);
}

bool JavaLauncher::readSettings() noexcept
{
    if (!readConfiguration(*this)) {
        return false;
    }
    if (overrideWorkingDir) {
        moveToLauncherFolder();
    }
    return true;
}

int JavaLauncher::run() noexcept
{
    if (singleInstance && !isFirstInstance) {
        return 0;
    }
    preparePaths(*this);
    if (!loadJvmLibrary(*this)) {
        return -1;
    }
    if (!buildJvmOptions(*this)) {
        return -1;
    }
    cache::prepareStartupCache(*this);
    showSplashScreen(*this);
    return runJavaThread(*this) == 0 ? 0 : -1;
}

void JavaLauncher::cleanup() noexcept
{
    if (javaVm != nullptr) {
        javaVm->DestroyJavaVM();
        javaVm = nullptr;
        mainEnv = nullptr;
    }
    cache::finishStartupCache(*this);
    // A hand-over or stop request that comes from here on finds no program,
    // and none may start a thread. The gate closes only after the JVM is
    // gone: a program whose main has returned may still run (a window) and
    // still take hand-overs.
    jvmGate.close();
    // Then the threads started at the gate, which use this object and the
    // coordination state until they leave, are waited for; one that attached
    // while the shutdown hooks ran is frozen inside Java by now, and is not.
    jvmGate.drain();
    stopSingleInstance(*this);
    jvmPath.clear();
    mainClass.clear();
    mainModule.clear();
    arguments.clear();
    jvmOptions.clear();
    preferredVersions.clear();
    jrePath.clear();
    outputFile.clear();
    errorFile.clear();
    systemPath.clear();
    splashImage.clear();
}
