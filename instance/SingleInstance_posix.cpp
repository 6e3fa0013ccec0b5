#include "instance/SingleInstance.h"

#include "launcher/Configuration.h"
#include "launcher/JavaLauncher.h"

bool setUpSingleInstance(JavaLauncher& launcher) noexcept
{
    std::string ini;
    if (!getIniPath(ini)) {
        return false;
    }
    // No hand-over between instances here yet: a launch that asks for one
    // goes on as an ordinary start, exactly as when the shared block cannot
    // be created on Windows.
    if (coordinationRequested(ini)) {
        launcher.singleInstance = false;
    }
    return true;
}

void stopSingleInstance(JavaLauncher&) noexcept {}
