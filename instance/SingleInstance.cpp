#include "instance/SingleInstance.h"

#include "launcher/Configuration.h"
#include "launcher/JavaLauncher.h"

bool coordinationRequested(const std::string& iniPath) noexcept
{
    return readIniString(iniPath, section::application, "Application Type") != "service" &&
           readIniString(iniPath, section::application, "Single Instance") == "yes";
}

bool setUpSingleInstance(JavaLauncher& launcher) noexcept
{
    std::string modulePath;
    std::string ini;
    if (!getModulePath(modulePath) || !iniPathFor(modulePath, ini)) {
        return false;
    }
    if (!coordinationRequested(ini)) {
        return true;
    }
    launcher.instanceState.reset(newInstanceState());
    if (!launcher.instanceState) {
        return true; // coordination off: an ordinary start
    }
    launcher.singleInstance = true;
    return meetOtherInstances(launcher, *launcher.instanceState, modulePath);
}
