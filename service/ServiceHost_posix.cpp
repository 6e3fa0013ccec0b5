#include "service/ServiceHost.h"

#include "launcher/JavaLauncher.h"
#include "platform/System.h"
#include "service/NotifySocket.h"

#include <memory>
#include <new>

// Under systemd the service is this process, in the foreground. HotSpot
// would take SIGTERM, SIGINT and SIGHUP for itself (run the shutdown hooks
// while main still runs, then exit with 143, a failure to systemd), so the
// JVM is created with -Xrs (see buildJvmOptions) and the three signals are
// blocked before any thread exists: every thread, the JVM's included,
// inherits the mask, and only the signal thread here ever takes them.

namespace {

// With statusLock held, so that READY=1 and STOPPING=1 go out in the order
// in which their reasons arose.
void notify(const ServiceHost& host, const char* state) noexcept
{
    if (!host.notifyAddress.empty()) {
        (void)platform::sendLocalDatagram(host.notifyAddress, state); // systemd gone: nobody to tell
    }
}

// Starts a thread that uses the launcher's gate, admitted before it can run
// so that the teardown waits for it; it receives its ticket on the heap.
void startGateThread(JavaLauncher& launcher, platform::ThreadRoutine routine) noexcept
{
    std::unique_ptr<std::uint64_t> ticket(new (std::nothrow) std::uint64_t(0));
    if (!ticket) {
        return;
    }
    *ticket = launcher.jvmGate.admit();
    if (!platform::startThread(routine, ticket.get(), nullptr)) {
        launcher.jvmGate.withdraw();
        return;
    }
    (void)ticket.release(); // the thread owns it now
}

unsigned stopJavaApplication(void* parameter) noexcept
{
    const std::unique_ptr<std::uint64_t> ticket(static_cast<std::uint64_t*>(parameter));
    ServiceHost::published()->stopJavaApplication(*ticket);
    return 0;
}

// READY=1 once main is being called: systemd then counts the start as done.
unsigned notifyWhenRunning(void* parameter) noexcept
{
    const std::unique_ptr<std::uint64_t> ticket(static_cast<std::uint64_t*>(parameter));
    ServiceHost& host = *ServiceHost::published();
    JvmGate& gate = host.launcher->jvmGate;
    if (gate.awaitTurn(*ticket) != nullptr) {
        gate.passTurn();
        platform::MonitorLock held(host.statusLock);
        if (!host.stopRequested) {
            notify(host, service::notifyReady);
        }
    }
    gate.leave(); // the last touch of the launcher
    return 0;
}

// Each SIGTERM or SIGINT is one stop request, as each stop control is on
// Windows. SIGHUP asks a daemon to reload; there is nothing to reload.
unsigned waitForStopSignals(void*) noexcept
{
    ServiceHost& host = *ServiceHost::published();
    for (;;) {
        const bool stop = platform::awaitStopSignal();
        {
            platform::MonitorLock held(host.statusLock);
            if (host.runEnded) {
                return 0;
            }
            if (!stop) {
                continue;
            }
            host.stopRequested = true;
            notify(host, service::notifyStopping);
        }
        startGateThread(*host.launcher, stopJavaApplication);
    }
}

} // namespace

int ServiceHost::runServiceDispatcher() noexcept
{
    if (launcher == nullptr) {
        return 1;
    }
    if (!service::notifySocketAddress(platform::environmentVariable("NOTIFY_SOCKET"), notifyAddress)) {
        notifyAddress.clear();
    }
    platform::blockStopSignals();
    platform::ThreadToken signalThread = 0;
    const bool handled = platform::startThread(waitForStopSignals, nullptr, &signalThread);
    if (!handled) {
        // Without the thread a stop would wait for systemd's SIGKILL; a
        // signal that ends the process at once is the lesser harm.
        platform::unblockStopSignals();
    }
    if (!notifyAddress.empty()) {
        startGateThread(*launcher, notifyWhenRunning);
    }
    const int result = launcher->run();
    if (handled) {
        {
            platform::MonitorLock held(statusLock);
            runEnded = true;
        }
        platform::sendHangUp(signalThread);
        platform::joinThread(signalThread);
    }
    return result;
}
