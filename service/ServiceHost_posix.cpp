#include "service/ServiceHost.h"

#include "launcher/JavaLauncher.h"
#include "platform/System.h"
#include "service/NotifySocket.h"

#include <memory>
#include <new>

// Under systemd the service is this process, in the foreground. HotSpot
// would take SIGTERM, SIGINT and SIGHUP for itself (run the shutdown hooks
// while main still runs, then exit with 143, a failure to systemd), so the
// JVM is created with -Xrs (see buildJvmOptions) and the launcher catches the
// three before the JVM exists; one thread of its own acts on them. They are
// caught, not blocked: a blocked signal stays blocked in every program the
// Java application starts, which then could not be stopped or interrupted.

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
// Windows. SIGHUP asks a daemon to reload; there is nothing to reload. Ends
// at the wake byte the end of the run writes.
unsigned actOnSignals(void* parameter) noexcept
{
    const platform::UniqueFileHandle& signals = *static_cast<const platform::UniqueFileHandle*>(parameter);
    ServiceHost& host = *ServiceHost::published();
    for (;;) {
        const platform::CaughtSignal caught = platform::nextCaughtSignal(signals);
        if (caught == platform::CaughtSignal::other) {
            return 0;
        }
        if (caught == platform::CaughtSignal::hangUp) {
            continue;
        }
        {
            platform::MonitorLock held(host.statusLock);
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
    platform::UniqueFileHandle signals;
    platform::UniqueFileHandle signalled;
    platform::ThreadToken signalThread = 0;
    const bool caught = platform::makePipe(signals, signalled) && platform::catchStopSignals(signalled);
    // Without a thread to act on them the signals are better left to end
    // the process than caught for nobody.
    const bool acting = caught && platform::startThread(actOnSignals, &signals, &signalThread);
    if (caught && !acting) {
        platform::restoreStopSignals();
    }
    if (!notifyAddress.empty()) {
        startGateThread(*launcher, notifyWhenRunning);
    }
    const int result = launcher->run();
    if (acting) {
        // The teardown that follows is not interrupted: main has returned,
        // and a late request has nothing left to stop.
        platform::ignoreStopSignals();
        platform::writeWakeByte(signalled);
        platform::joinThread(signalThread);
    }
    return result;
}
