#include "instance/SingleInstance.h"

#include "launcher/Configuration.h"

bool coordinationRequested(const std::string& iniPath) noexcept
{
    return readIniString(iniPath, section::application, "Application Type") != "service" &&
           readIniString(iniPath, section::application, "Single Instance") == "yes";
}

Coordination coordinationFor(std::string& modulePath) noexcept
{
    std::string ini;
    if (!getModulePath(modulePath) || !iniPathFor(modulePath, ini)) {
        return Coordination::failed;
    }
    return coordinationRequested(ini) ? Coordination::requested : Coordination::notRequested;
}
