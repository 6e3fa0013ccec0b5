#include "service/ServiceHost.h"

int ServiceHost::runServiceDispatcher() noexcept
{
    // No service manager is served here yet: the run ends as a start from a
    // console does, without Java code.
    return launcher == nullptr ? 1 : 0;
}
