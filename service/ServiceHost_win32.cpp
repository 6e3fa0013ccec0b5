#include "service/ServiceHost.h"

#include "launcher/JavaLauncher.h"

#include <windows.h>

#include <cstddef>
#include <memory>
#include <new>

static_assert(sizeof(ServiceStatus) == sizeof(SERVICE_STATUS), "ServiceStatus mirrors SERVICE_STATUS");
static_assert(offsetof(ServiceStatus, serviceType) == offsetof(SERVICE_STATUS, dwServiceType), "");
static_assert(offsetof(ServiceStatus, currentState) == offsetof(SERVICE_STATUS, dwCurrentState), "");
static_assert(offsetof(ServiceStatus, controlsAccepted) == offsetof(SERVICE_STATUS, dwControlsAccepted), "");
static_assert(offsetof(ServiceStatus, win32ExitCode) == offsetof(SERVICE_STATUS, dwWin32ExitCode), "");
static_assert(offsetof(ServiceStatus, serviceSpecificExitCode) ==
                  offsetof(SERVICE_STATUS, dwServiceSpecificExitCode),
              "");
static_assert(offsetof(ServiceStatus, checkPoint) == offsetof(SERVICE_STATUS, dwCheckPoint), "");
static_assert(offsetof(ServiceStatus, waitHint) == offsetof(SERVICE_STATUS, dwWaitHint), "");
static_assert(service::ownProcess == SERVICE_WIN32_OWN_PROCESS && service::stateStopped == SERVICE_STOPPED &&
                  service::stateStopPending == SERVICE_STOP_PENDING && service::stateRunning == SERVICE_RUNNING &&
                  service::acceptStopAndShutdown == (SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_SHUTDOWN) &&
                  service::controlStop == SERVICE_CONTROL_STOP &&
                  service::controlShutdown == SERVICE_CONTROL_SHUTDOWN,
              "the platform's published values");

namespace {

// With statusLock held.
bool report(ServiceHost& host) noexcept
{
    return SetServiceStatus(static_cast<SERVICE_STATUS_HANDLE>(host.statusHandle),
                            reinterpret_cast<SERVICE_STATUS*>(&host.status)) != FALSE;
}

// On the primary thread, inside the dispatcher.
void WINAPI serviceControlHandler(DWORD control) noexcept
{
    ServiceHost& host = *ServiceHost::published();
    bool stopRequested = false;
    {
        platform::MonitorLock held(host.statusLock);
        if (control == SERVICE_CONTROL_STOP || control == SERVICE_CONTROL_SHUTDOWN) {
            stopRequested = service::markStopPending(host.status);
        }
        // Anything else, interrogate included, hears the status as it is.
        stopRequested = report(host) && stopRequested;
    }
    if (stopRequested) {
        host.requestStop();
    }
}

// On the thread the dispatcher creates for the service.
void WINAPI serviceMain(DWORD count, LPSTR* values) noexcept
{
    ServiceHost& host = *ServiceHost::published();
    // The handler may be called as soon as it is registered, and reads the
    // handle under the lock: it is written there too.
    const SERVICE_STATUS_HANDLE handle = RegisterServiceCtrlHandlerA(host.serviceName.c_str(), serviceControlHandler);
    if (handle == nullptr) {
        return;
    }
    {
        platform::MonitorLock held(host.statusLock);
        host.statusHandle = handle;
        host.status = service::runningStatus();
        if (!report(host)) {
            return;
        }
    }
    service::appendStartArguments(host.launcher->arguments, count, values);
    (void)host.launcher->run(); // a failure is reported where it happened; the service stops all the same
    // Once the manager hears "stopped", the dispatcher returns and main
    // unwinds the host, lock included: the report goes out from copies,
    // after the lock is released, and is this thread's last touch of it.
    ServiceStatus stopped;
    {
        platform::MonitorLock held(host.statusLock);
        service::markStopped(host.status);
        stopped = host.status;
    }
    (void)SetServiceStatus(handle, reinterpret_cast<SERVICE_STATUS*>(&stopped));
}

} // namespace

int ServiceHost::runServiceDispatcher() noexcept
{
    if (launcher == nullptr) {
        return 1;
    }
    SERVICE_TABLE_ENTRYA table[] = {{serviceName.data(), serviceMain}, {nullptr, nullptr}};
    // Fails at once when the process was not started by the service control
    // manager: then no Java code runs, and that is no failure of the launcher.
    (void)StartServiceCtrlDispatcherA(table);
    return 0;
}

void ServiceHost::endRun() noexcept {}
