#pragma once
// Running the launcher as a service. On Windows an own-process service: the
// dispatcher takes the primary thread, the service thread runs the launch,
// and each stop or shutdown request calls the main class's static stop() on
// a thread of its own. Under systemd the process runs in the foreground and
// SIGTERM or SIGINT is the stop request. The launcher neither installs nor
// removes the service.

#include "platform/Monitor.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class JavaLauncher;

// The platform's SERVICE_STATUS, field for field (checked against it where
// <windows.h> is included).
struct ServiceStatus {
    std::uint32_t serviceType;
    std::uint32_t currentState;
    std::uint32_t controlsAccepted;
    std::uint32_t win32ExitCode;
    std::uint32_t serviceSpecificExitCode;
    std::uint32_t checkPoint;
    std::uint32_t waitHint;
};

namespace service {
inline constexpr std::uint32_t ownProcess = 16;
inline constexpr std::uint32_t stateStopped = 1;
inline constexpr std::uint32_t stateStopPending = 3;
inline constexpr std::uint32_t stateRunning = 4;
inline constexpr std::uint32_t acceptStopAndShutdown = 5;
inline constexpr std::uint32_t controlStop = 1;
inline constexpr std::uint32_t controlShutdown = 5;
inline constexpr std::uint32_t stopWaitHint = 3000; // milliseconds

// The name the service control manager knows the service by: the
// executable's file name with its extension, the whole path when it holds
// no separator.
std::string serviceNameFor(std::string_view modulePath);

// What is reported once the handler is registered: running at once, before
// any JVM exists, since nothing is left that could keep the start pending.
ServiceStatus runningStatus() noexcept;
// A stop or shutdown request. Stopped is final: a request that races with
// main's own end changes nothing, so the stopped report cannot be
// overwritten and the dispatcher is not kept waiting. False then.
[[nodiscard]] bool markStopPending(ServiceStatus& status) noexcept;
// The run has ended; every other field stays as it was.
void markStopped(ServiceStatus& status) noexcept;

// The service's start arguments (the platform puts the service's name
// first) go after the command line's.
void appendStartArguments(std::vector<std::string>& arguments, std::uint32_t count, char** values) noexcept;
} // namespace service

class ServiceHost {
public:
    ServiceHost() = default;
    ServiceHost(const ServiceHost&) = delete;
    ServiceHost& operator=(const ServiceHost&) = delete;

    // The one host, reached by the service callbacks; published by the process
    // entry before any other thread exists.
    static void publish(ServiceHost* host) noexcept;
    static ServiceHost* published() noexcept;

    // Binds the launcher and takes the service name from the executable's file
    // name; false (reported) when the launcher's own path cannot be read.
    [[nodiscard]] bool bindLauncher(JavaLauncher& boundLauncher) noexcept;
    // Windows: hands the primary thread to the service control manager until
    // the service has stopped, or returns at once when the process was not
    // started by it; 0 either way. POSIX: runs the launch in the foreground,
    // stopping it on SIGTERM or SIGINT; the run's result. 1 without a bound
    // launcher.
    int runServiceDispatcher() noexcept;
    // One stop or shutdown request: a thread of its own, admitted to the
    // launcher's gate, calls the main class's stop() once the program runs;
    // nothing when none does, or the program is shutting down already.
    void requestStop() noexcept;
    // The body of that thread. Leaves the gate as its last act.
    void stopJavaApplication(std::uint64_t ticket) noexcept;
    void releaseName() noexcept;
    // After the launcher's teardown: POSIX stops acting on signals (they
    // stay caught, and do nothing, until the process ends); nothing on
    // Windows.
    void endRun() noexcept;

    JavaLauncher* launcher = nullptr;
    std::string serviceName;
    ServiceStatus status{}; // the status last reported; guarded by statusLock
    void* statusHandle = nullptr; // SERVICE_STATUS_HANDLE, from the handler's registration
    // The control handler (primary thread) and the service thread both
    // change and report the status; under systemd it guards notifying.
    platform::Monitor statusLock;
};
