// The status a service reports as it goes: running, stop pending on each
// request, stopped for good.

#include "service/ServiceHost.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

bool sameFields(const ServiceStatus& a, const ServiceStatus& b)
{
    return a.serviceType == b.serviceType && a.currentState == b.currentState &&
           a.controlsAccepted == b.controlsAccepted && a.win32ExitCode == b.win32ExitCode &&
           a.serviceSpecificExitCode == b.serviceSpecificExitCode && a.checkPoint == b.checkPoint &&
           a.waitHint == b.waitHint;
}

TEST(ServiceStatus, RequestsKeepTheServicePendingUntilTheRunEnds)
{
    ServiceStatus status = service::runningStatus();
    EXPECT_EQ(status.currentState, service::stateRunning);
    EXPECT_EQ(status.waitHint, 0u);

    // Whatever a program left in the status, a request reports the stop
    // with exit code 0 and a fresh wait.
    status.win32ExitCode = 5;
    status.checkPoint = 7;
    ASSERT_TRUE(service::markStopPending(status));
    const ServiceStatus pending = status;
    EXPECT_EQ(pending.currentState, service::stateStopPending);
    EXPECT_EQ(pending.win32ExitCode, 0u);
    EXPECT_EQ(pending.checkPoint, 0u);
    EXPECT_EQ(pending.waitHint, service::stopWaitHint);
    EXPECT_EQ(pending.controlsAccepted, service::acceptStopAndShutdown);

    ASSERT_TRUE(service::markStopPending(status)); // a second request
    EXPECT_TRUE(sameFields(status, pending));

    service::markStopped(status);
    ServiceStatus expected = pending;
    expected.currentState = service::stateStopped;
    EXPECT_TRUE(sameFields(status, expected));
}

TEST(ServiceStatus, ARequestAfterTheRunEndedCannotUndoTheStop)
{
    ServiceStatus status = service::runningStatus();
    service::markStopped(status); // main returned by itself
    const ServiceStatus stopped = status;
    EXPECT_FALSE(service::markStopPending(status));
    EXPECT_TRUE(sameFields(status, stopped));
    EXPECT_EQ(status.waitHint, 0u);
}

TEST(ServiceStatus, StartArgumentsFollowTheCommandLine)
{
    std::vector<std::string> arguments{"from", "command line"};
    char name[] = "svc.exe", first[] = "p1", second[] = "p 2";
    char* values[] = {name, first, nullptr, second};
    service::appendStartArguments(arguments, 4, values);
    EXPECT_EQ(arguments, (std::vector<std::string>{"from", "command line", "svc.exe", "p1", "", "p 2"}));
    service::appendStartArguments(arguments, 0, nullptr);
    EXPECT_EQ(arguments.size(), 6u);
}

} // namespace
