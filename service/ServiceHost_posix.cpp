#include "service/ServiceHost.h"

#include "launcher/JavaLauncher.h"
#include "platform/Environment.h"
#include "platform/LocalSocket.h"
#include "platform/Signals.h"
#include "platform/Thread.h"
#include "service/NotifySocket.h"

#include <memory>
#include <new>

// Under systemd the service is this process, in the foreground. HotSpot
// would take SIGTERM, SIGINT and SIGHUP for itself (run the shutdown hooks
// while main still runs, then exit with 143, a failure to systemd), so the
// JVM is created with -Xrs (added below) and the launcher catches the
// three before the JVM exists; one thread of its own acts on them. They are
// caught, not blocked: a blocked signal stays blocked in every program the
// Java application starts, which then could not be stopped or interrupted.

namespace {

// What the service keeps of systemd while it runs: where systemd hears of
// it (NOTIFY_SOCKET as socket path bytes; empty when it asked for
// nothing), whether a stop came (READY=1 is no news after STOPPING=1), and
// the signal pipe with the thread that reads it. The signals are caught
// from before the JVM exists until the process ends, and the handler may
// write at any moment, so neither end of the pipe is ever closed: this is
// made once and never freed, not even by the process's exit, where a freed
// descriptor's number could already name another file. The notification
// and the stop flag are guarded by the host's statusLock.
struct Systemd {
    std::string notifyAddress;
    bool stopRequested = false;
    platform::UniqueFileHandle signals;
    platform::UniqueFileHandle signalled;
    platform::ThreadToken thread = 0;
    bool acting = false;
};
Systemd* systemd = nullptr;

// With statusLock held, so that READY=1 and STOPPING=1 go out in the order
// in which their reasons arose.
void notify(const char* state) noexcept
{
    if (!systemd->notifyAddress.empty()) {
        (void)platform::sendLocalDatagram(systemd->notifyAddress, state); // systemd gone: nobody to tell
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
        if (!systemd->stopRequested) {
            notify(service::notifyReady);
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
            systemd->stopRequested = true;
            notify(service::notifyStopping);
        }
        host.requestStop();
    }
}


} // namespace

int ServiceHost::runServiceDispatcher() noexcept
{
    systemd = new (std::nothrow) Systemd;
    if (launcher == nullptr || systemd == nullptr) {
        return 1;
    }
    if (!service::notifySocketAddress(platform::environmentVariable("NOTIFY_SOCKET"), systemd->notifyAddress)) {
        systemd->notifyAddress.clear();
    }
    const bool caught = platform::makePipe(systemd->signals, systemd->signalled) &&
                        platform::catchStopSignals(systemd->signalled);
    // Without a thread to act on them the signals are better left to end
    // the process than caught for nobody.
    systemd->acting = caught && platform::startThread(actOnSignals, &systemd->signals, &systemd->thread);
    if (caught && !systemd->acting) {
        platform::restoreStopSignals();
    }
    if (!systemd->notifyAddress.empty()) {
        std::unique_ptr<GateUser> user(new (std::nothrow) GateUser);
        if (user && launcher->jvmGate.startUser(notifyWhenRunning, user.get())) {
            (void)user.release(); // the thread's now
        }
    }
    // Without this HotSpot takes the stop signals first.
    launcher->trailingJvmOptions.emplace_back("-Xrs");
    // Signals go on reaching stop() after main returned, for as long as
    // other threads keep the program alive; once its shutdown hooks run,
    // the gate turns the stop threads away, so a late signal can neither
    // cut the hooks short nor change the exit code.
    return launcher->run();
}

void ServiceHost::endRun() noexcept
{
    if (systemd != nullptr && systemd->acting) {
        // The gate is closed by now: a signal from here on starts nothing.
        platform::writeWakeByte(systemd->signalled);
        platform::joinThread(systemd->thread);
        systemd->acting = false;
    }
}
