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

// READY=1 once main is being called: systemd then counts the start as done.
unsigned notifyWhenRunning(void* parameter) noexcept
{
    const std::unique_ptr<GateUser> user(static_cast<GateUser*>(parameter));
    ServiceHost& host = *ServiceHost::published();
    JvmGate& gate = host.launcher->jvmGate;
    if (gate.awaitTurn(user->ticket) != nullptr) {
        // Into Java it does not go: it only needed to know main runs.
        gate.leftJava();
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
        host.requestStop();
    }
}

// The signal pipe and the thread that reads it: caught from before the
// JVM exists until the process ends. The handler may write at any moment,
// so neither end is ever closed: the watch is made once and never freed,
// not even by the process's exit, where a freed descriptor's number could
// already name another file.
struct SignalWatch {
    platform::UniqueFileHandle signals;
    platform::UniqueFileHandle signalled;
    platform::ThreadToken thread = 0;
    bool acting = false;
};
SignalWatch* watch = nullptr;

} // namespace

int ServiceHost::runServiceDispatcher() noexcept
{
    if (launcher == nullptr) {
        return 1;
    }
    if (!service::notifySocketAddress(platform::environmentVariable("NOTIFY_SOCKET"), notifyAddress)) {
        notifyAddress.clear();
    }
    watch = new (std::nothrow) SignalWatch;
    const bool caught = watch != nullptr && platform::makePipe(watch->signals, watch->signalled) &&
                        platform::catchStopSignals(watch->signalled);
    // Without a thread to act on them the signals are better left to end
    // the process than caught for nobody.
    const bool acting = caught && platform::startThread(actOnSignals, &watch->signals, &watch->thread);
    if (caught && !acting) {
        platform::restoreStopSignals();
    }
    if (watch != nullptr) {
        watch->acting = acting;
    }
    if (!notifyAddress.empty()) {
        std::unique_ptr<GateUser> user(new (std::nothrow) GateUser);
        if (user && launcher->jvmGate.startUser(notifyWhenRunning, user.get())) {
            (void)user.release(); // the thread's now
        }
    }
    // Signals go on reaching stop() after main returned, for as long as
    // other threads keep the program alive; once its shutdown hooks run,
    // the gate turns the stop threads away, so a late signal can neither
    // cut the hooks short nor change the exit code.
    return launcher->run();
}

void ServiceHost::endRun() noexcept
{
    if (watch != nullptr && watch->acting) {
        // The gate is closed by now: a signal from here on starts nothing.
        platform::writeWakeByte(watch->signalled);
        platform::joinThread(watch->thread);
        watch->acting = false;
    }
}
