#include "service/ServiceHost.h"

#include "jvm/JavaStrings.h"
#include "launcher/Configuration.h"
#include "launcher/JavaLauncher.h"
#include "platform/AnsiText.h"
#include "platform/System.h"

#include <jni.h>

namespace {

ServiceHost* theHost = nullptr;

// On a thread attached as a Java thread of its own. A missing class or stop
// method is left pending for the caller to describe.
void callStop(JNIEnv* env, const std::string& mainClass, JvmGateTurn& turn) noexcept
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
    turn.pass();
    env->CallStaticVoidMethod(mainType, stop);
}

} // namespace

namespace service {

std::string serviceNameFor(std::string_view modulePath)
{
    const std::size_t slash = platform::findLastChar(modulePath, platform::pathSeparator);
    return std::string(modulePath.substr(slash == std::string_view::npos ? 0 : slash + 1));
}

ServiceStatus runningStatus() noexcept
{
    return ServiceStatus{ownProcess, stateRunning, acceptStopAndShutdown, 0, 0, 0, 0};
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
    JvmGate& gate = launcher->jvmGate;
    // Null when no program runs, or none will any more: nothing to stop.
    if (JavaVM* vm = gate.awaitTurn(ticket)) {
        JvmGateTurn turn(gate);
        JNIEnv* env = nullptr;
        if (vm->AttachCurrentThread(reinterpret_cast<void**>(&env), nullptr) == JNI_OK) {
            callStop(env, launcher->mainClass, turn);
            if (env->ExceptionOccurred() != nullptr) {
                env->ExceptionDescribe();
            }
            (void)vm->DetachCurrentThread();
        }
    }
    gate.leave();
}

void ServiceHost::releaseName() noexcept { serviceName.clear(); }
