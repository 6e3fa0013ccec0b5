#include "service/ServiceHost.h"

#include "launcher/Configuration.h"
#include "launcher/JavaLauncher.h"
#include "platform/AnsiText.h"
#include "platform/System.h"

namespace {
ServiceHost* theHost = nullptr;
}

void ServiceHost::publish(ServiceHost* host) noexcept { theHost = host; }
ServiceHost* ServiceHost::published() noexcept { return theHost; }

bool ServiceHost::bind(JavaLauncher& launcher) noexcept
{
    std::string modulePath;
    if (!getModulePath(modulePath)) {
        return false;
    }
    const std::size_t slash = platform::findLastChar(modulePath, platform::pathSeparator);
    name_ = modulePath.substr(slash == std::string::npos ? 0 : slash + 1);
    launcher_ = &launcher;
    return true;
}

int ServiceHost::dispatch() noexcept
{
    // The service control manager connection is not built yet; this behaves
    // as a start from a console does: no Java code runs.
    return 0;
}

void ServiceHost::releaseName() noexcept { name_.clear(); }
