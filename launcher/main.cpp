// Process entry: wires the launch sequence and decides the exit code.

#include "launcher/JavaLauncher.h"
#include "launcher/Trace.h"
#include "platform/Process.h"
#include "platform/Profile.h"
#include "service/ServiceHost.h"

#include <cstdlib>

int main(int argc, char** argv)
{
    JavaLauncher launcher;
    ServiceHost serviceHost;
    ServiceHost::publish(&serviceHost);
    platform::initialiseProcess(argc, argv);
    platform::holdProfileTexts(true);
    initialiseTrace();

    int result;
    if (cache::isStartupCacheJob()) {
        result = cache::runStartupCacheJob(launcher);
    } else if (!launcher.initialize()) {
        result = -1;
    } else if (launcher.serviceMode) {
        result = serviceHost.bindLauncher(launcher) ? serviceHost.runServiceDispatcher() : -1;
    } else {
        result = launcher.run();
    }

    serviceHost.releaseName();
    launcher.cleanup();
    serviceHost.endRun();
    // Ends here, with both objects still in place: a thread the JVM froze
    // inside Java was not waited for, and should it come back out all the
    // same, what it touches last (the launcher's gate) must still be there.
    std::exit(result);
}
