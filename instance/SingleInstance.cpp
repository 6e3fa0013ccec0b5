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
    std::string ini;
    if (!getIniPath(ini)) {
        return false;
    }
    if (!coordinationRequested(ini)) {
        return true;
    }
    // The hand-over between instances is not built yet: the launch goes on as
    // an ordinary start, exactly as when the shared block cannot be created.
    launcher.singleInstance = false;
    return true;
}

void stopSingleInstance(JavaLauncher&) noexcept {}
