#include "service/ServiceHost.h"

#include "jvm/JavaStrings.h"
#include "jvm/ProgramVisit.h"
#include "launcher/Configuration.h"
#include "launcher/JavaLauncher.h"
#include "platform/Files.h"
#include "text/AnsiText.h"

#include <jni.h>

#include <memory>
#include <new>

namespace {

ServiceHost* theHost = nullptr;

// On a thread attached as a Java thread of its own. A missing class or stop
// method is left pending for the caller to describe.
void callStop(JNIEnv* env, const std::string& mainClass, ProgramVisit& visit) noexcept
{
    jclass mainType = findClassNamed(env, mainClass);
    if (mainType == nullptr) {
        return;
    }
    const jmethodID stop = env->GetStaticMethodID(mainType, "stop", "()V");
    if (stop == nullptr) {
        return;
    }
    // The next thread in line may go while stop() runs: a stop() that waits
    // for main must not hold up the requests behind it.
    visit.passTurn();
    env->CallStaticVoidMethod(mainType, stop);
}

unsigned runStopThread(void* parameter) noexcept
{
    const std::unique_ptr<GateUser> user(static_cast<GateUser*>(parameter));
    theHost->stopJavaApplication(user->ticket);
    return 0;
}

} // namespace

namespace service {

std::string serviceNameFor(std::string_view modulePath)
{
    const std::size_t slash = text::findLastChar(modulePath, platform::pathSeparator);
    return std::string(modulePath.substr(slash == std::string_view::npos ? 0 : slash + 1));
}

ServiceStatus runningStatus() noexcept
{
    // Field by field: a whole-struct initialiser is copied from a template
    // that the 32-bit build keeps in a data section of its own.
    ServiceStatus status{};
    status.serviceType = ownProcess;
    status.currentState = stateRunning;
    status.controlsAccepted = acceptStopAndShutdown;
    return status;
}

bool markStopPending(ServiceStatus& status) noexcept
{
    if (status.currentState == stateStopped) {
        return false;
    }
    status.win32ExitCode = 0;
    status.currentState = stateStopPending;
    status.checkPoint = 0;
    status.waitHint = stopWaitHint;
    return true;
}

void markStopped(ServiceStatus& status) noexcept { status.currentState = stateStopped; }

void appendStartArguments(std::vector<std::string>& arguments, std::uint32_t count, char** values) noexcept
{
    for (std::uint32_t i = 0; i < count; ++i) {
        arguments.emplace_back(values[i] != nullptr ? values[i] : "");
    }
}

} // namespace service

void ServiceHost::publish(ServiceHost* host) noexcept { theHost = host; }
ServiceHost* ServiceHost::published() noexcept { return theHost; }

bool ServiceHost::bindLauncher(JavaLauncher& boundLauncher) noexcept
{
    launcher = &boundLauncher;
    std::string modulePath;
    if (!getModulePath(modulePath)) {
        return false;
    }
    serviceName = service::serviceNameFor(modulePath);
    return true;
}

void ServiceHost::stopJavaApplication(std::uint64_t ticket) noexcept
{
    {
        // No env when no program runs, none will any more, or it is
        // shutting down: nothing to stop.
        ProgramVisit visit(launcher->jvmGate, ticket);
        if (JNIEnv* env = visit.env()) {
            callStop(env, launcher->mainClass, visit);
            if (env->ExceptionOccurred() != nullptr) {
                env->ExceptionDescribe();
            }
        }
    }
    launcher->jvmGate.leave();
}

void ServiceHost::requestStop() noexcept
{
    std::unique_ptr<GateUser> user(new (std::nothrow) GateUser);
    if (user && launcher->jvmGate.startUser(runStopThread, user.get())) {
        (void)user.release(); // the thread's now
    }
}

void ServiceHost::releaseName() noexcept { serviceName.clear(); }
