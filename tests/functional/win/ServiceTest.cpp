// The launcher as an own-process service under the service control manager:
// registered, started, asked and stopped with the system's own sc tool, the
// way a product's installer and its administrators drive it.

#include "Product.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace {

// Runs the system's sc tool with `arguments` and returns its exit code.
DWORD sc(const std::string& arguments)
{
    std::string line = "C:\\windows\\system32\\sc.exe " + arguments;
    // Its chatter goes nowhere: the manager's own answers are what count.
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE nul = CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0,
                             nullptr);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = nul;
    si.hStdError = nul;
    PROCESS_INFORMATION pi{};
    const BOOL started = CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
    CloseHandle(nul);
    if (!started) {
        ADD_FAILURE() << "cannot run " << line << ": " << GetLastError();
        return ~0u;
    }
    DWORD code = ~0u;
    if (WaitForSingleObject(pi.hProcess, 30000) == WAIT_OBJECT_0) {
        GetExitCodeProcess(pi.hProcess, &code);
    } else {
        TerminateProcess(pi.hProcess, 1);
        ADD_FAILURE() << line << " did not end within 30 seconds";
    }
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    return code;
}

class ServiceManagerHandle {
public:
    explicit ServiceManagerHandle(SC_HANDLE handle) : handle_(handle) {}
    ~ServiceManagerHandle()
    {
        if (handle_ != nullptr) {
            CloseServiceHandle(handle_);
        }
    }
    ServiceManagerHandle(const ServiceManagerHandle&) = delete;
    ServiceManagerHandle& operator=(const ServiceManagerHandle&) = delete;
    SC_HANDLE get() const { return handle_; }

private:
    SC_HANDLE handle_;
};

// The service's status as the manager holds it; false when the service
// cannot be had.
bool queryStatus(const std::string& name, SERVICE_STATUS_PROCESS& status)
{
    const ServiceManagerHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
    const ServiceManagerHandle service(OpenServiceA(manager.get(), name.c_str(), SERVICE_QUERY_STATUS));
    DWORD needed = 0;
    return service.get() != nullptr &&
           QueryServiceStatusEx(service.get(), SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&status),
                                sizeof status, &needed);
}

// Sends a control and returns the status the manager answers with; false
// when the manager refuses the control.
bool control(const std::string& name, DWORD code, SERVICE_STATUS& answer)
{
    const ServiceManagerHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
    const ServiceManagerHandle service(
        OpenServiceA(manager.get(), name.c_str(), SERVICE_INTERROGATE | SERVICE_USER_DEFINED_CONTROL | SERVICE_STOP));
    return service.get() != nullptr && ControlService(service.get(), code, &answer);
}

bool serviceExists(const std::string& name)
{
    const ServiceManagerHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
    const ServiceManagerHandle service(OpenServiceA(manager.get(), name.c_str(), SERVICE_QUERY_STATUS));
    return service.get() != nullptr;
}

// Waits until the service reports `state`; false after `ms` milliseconds.
bool waitForState(const std::string& name, DWORD state, SERVICE_STATUS_PROCESS& status, DWORD ms = 20000)
{
    return waitFor([&] { return queryStatus(name, status) && status.dwCurrentState == state; }, ms);
}

// Ends a service the hard way when it does not stop by itself, and removes
// it, so that a failing test leaves nothing behind for the next run.
void removeService(const std::string& name)
{
    SERVICE_STATUS_PROCESS status{};
    if (queryStatus(name, status) && status.dwCurrentState != SERVICE_STOPPED) {
        SERVICE_STATUS answer{};
        (void)control(name, SERVICE_CONTROL_STOP, answer);
        if (!waitForState(name, SERVICE_STOPPED, status, 10000) && status.dwProcessId != 0) {
            HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, status.dwProcessId);
            if (process != nullptr) {
                TerminateProcess(process, 1);
                WaitForSingleObject(process, 10000);
                CloseHandle(process);
            }
            (void)waitForState(name, SERVICE_STOPPED, status, 10000);
        }
    }
    if (serviceExists(name)) {
        sc("delete " + name);
        (void)waitFor([&] { return !serviceExists(name); }, 10000);
    }
}

// A product registered as an own-process service under its executable's
// file name, as long as the test runs.
class RegisteredService {
public:
    // `script` drives the test JVM; `commandArguments` follow the quoted
    // executable path in the service's command line.
    RegisteredService(const std::string& product, const std::string& script,
                      const std::string& commandArguments = "")
        : name_("Qt" + product + ".exe"), app_(product, name_)
    {
        removeService(name_);
        const std::string home = app_.installJvm("rt\\", script);
        // A service starts in the system folder: the configuration's paths
        // are absolute.
        app_.writeIni("[Java Runtime Environment]\nMain Class=App\nJRE Path=" + home + "\n[Class Path]\nClass Path=" +
                      app_.folder() + "a.jar\n[Application]\nApplication Type=service\n");
        std::string binPath = "\\\"" + app_.exePath() + "\\\"";
        if (!commandArguments.empty()) {
            binPath += " " + commandArguments;
        }
        EXPECT_EQ(sc("create " + name_ + " binPath= \"" + binPath + "\""), 0u) << binPath;
    }
    ~RegisteredService() { removeService(name_); }
    RegisteredService(const RegisteredService&) = delete;
    RegisteredService& operator=(const RegisteredService&) = delete;

    const std::string& name() const { return name_; }
    std::string log() const { return app_.jvmLog("rt\\"); }
    // Polls the double's log for a whole line, or for a text anywhere.
    bool waitForLog(const std::string& line) const { return waitForText(line + "\n"); }
    bool waitForText(const std::string& text) const
    {
        return waitFor([&] { return log().find(text) != std::string::npos; }, 20000);
    }

private:
    std::string name_;
    Product app_;
};

// The service's own process, opened while it runs. A process that reports
// stopped and then crashes or hangs on its way out satisfies the manager,
// yet keeps its files locked and never ends with its code.
class ServiceProcess {
public:
    explicit ServiceProcess(const SERVICE_STATUS_PROCESS& running)
        : handle_(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, running.dwProcessId))
    {
    }
    ~ServiceProcess()
    {
        if (handle_ != nullptr) {
            CloseHandle(handle_);
        }
    }
    ServiceProcess(const ServiceProcess&) = delete;
    ServiceProcess& operator=(const ServiceProcess&) = delete;

    // Whether it ends within ten seconds, with exit code 0.
    ::testing::AssertionResult endsCleanly() const
    {
        if (handle_ == nullptr) {
            return ::testing::AssertionFailure() << "the process could not be opened: " << GetLastError();
        }
        if (WaitForSingleObject(handle_, 10000) != WAIT_OBJECT_0) {
            return ::testing::AssertionFailure() << "the process still runs ten seconds after it stopped";
        }
        DWORD code = ~0u;
        GetExitCodeProcess(handle_, &code);
        if (code != 0) {
            char hex[16];
            wsprintfA(hex, "%08lX", code);
            return ::testing::AssertionFailure() << "the process ended with " << hex;
        }
        return ::testing::AssertionSuccess();
    }

private:
    HANDLE handle_;
};

std::size_t count(const std::string& log, const std::string& line)
{
    std::size_t found = 0;
    for (std::size_t at = log.find(line + "\n"); at != std::string::npos; at = log.find(line + "\n", at + 1)) {
        ++found;
    }
    return found;
}

// Whether `first` is logged, and before `second`.
bool logsInOrder(const std::string& log, const std::string& first, const std::string& second)
{
    const std::size_t a = log.find(first + "\n");
    const std::size_t b = log.find(second + "\n");
    return a != std::string::npos && b != std::string::npos && a < b;
}

TEST(Service, RunsUntilStopEndsMainAndIsDestroyedAfterwards)
{
    // stop() lets main end and leaves a program thread behind that the JVM's
    // destruction waits for, so a destruction before the stopped report
    // would show as a late one.
    RegisteredService service("SvcStop",
                              "class=App\nmain=wait svc-stop-ends 30000;out main ends\n"
                              "stop=spawn 3000 late;signal svc-stop-ends\n",
                              "a1 \\\"a 2\\\"");
    ASSERT_EQ(sc("start " + service.name() + " p1 \"p 2\""), 0u);

    SERVICE_STATUS_PROCESS status{};
    ASSERT_TRUE(waitForState(service.name(), SERVICE_RUNNING, status));
    const ServiceProcess process(status);
    EXPECT_EQ(status.dwServiceType, static_cast<DWORD>(SERVICE_WIN32_OWN_PROCESS));
    EXPECT_EQ(status.dwControlsAccepted, static_cast<DWORD>(SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_SHUTDOWN));
    EXPECT_EQ(status.dwWaitHint, 0u);
    ASSERT_TRUE(service.waitForLog("main arg[4]=p 2")) << service.log();
    const std::string started = service.log();
    EXPECT_EQ(count(started, "main argc=5"), 1u) << started;
    EXPECT_TRUE(logsInOrder(started, "main arg[0]=a1", "main arg[1]=a 2")) << started;
    EXPECT_TRUE(logsInOrder(started, "main arg[1]=a 2", "main arg[2]=" + service.name())) << started;
    EXPECT_TRUE(logsInOrder(started, "main arg[2]=" + service.name(), "main arg[3]=p1")) << started;
    EXPECT_TRUE(logsInOrder(started, "main arg[3]=p1", "main arg[4]=p 2")) << started;

    // Neither an interrogation nor a control the service does not know
    // changes anything.
    SERVICE_STATUS answer{};
    EXPECT_TRUE(control(service.name(), SERVICE_CONTROL_INTERROGATE, answer)) << GetLastError();
    EXPECT_EQ(answer.dwCurrentState, static_cast<DWORD>(SERVICE_RUNNING));
    EXPECT_TRUE(control(service.name(), 200, answer)) << GetLastError();
    EXPECT_EQ(answer.dwCurrentState, static_cast<DWORD>(SERVICE_RUNNING));
    // The handler has answered both: what the manager holds now is final.
    ASSERT_TRUE(queryStatus(service.name(), status));
    EXPECT_EQ(status.dwCurrentState, static_cast<DWORD>(SERVICE_RUNNING));
    EXPECT_EQ(status.dwWaitHint, 0u);
    EXPECT_EQ(service.log(), started);

    ASSERT_EQ(sc("stop " + service.name()), 0u);
    ASSERT_TRUE(waitForState(service.name(), SERVICE_STOPPED, status)) << service.log();
    const std::string stopped = service.log();
    EXPECT_EQ(status.dwWin32ExitCode, 0u);
    EXPECT_EQ(count(stopped, "stop called"), 1u) << stopped;
    EXPECT_TRUE(logsInOrder(stopped, "stop called", "main returned")) << stopped;
    EXPECT_EQ(stopped.find("DestroyJavaVM done"), std::string::npos) << stopped;
    ASSERT_TRUE(service.waitForLog("DestroyJavaVM done")) << service.log();
    const std::string ended = service.log();
    EXPECT_TRUE(logsInOrder(ended, "main returned", "DestroyJavaVM")) << ended;
    EXPECT_EQ(ended.find("FATAL"), std::string::npos) << ended;
    EXPECT_TRUE(process.endsCleanly()) << service.log();
}

TEST(Service, MainThatReturnsEndsTheServiceWithoutARequest)
{
    const Release mainReturns("svc-returns");
    RegisteredService service("SvcReturns", "class=App\nmain=wait svc-returns 30000\nstop=out never\n");
    ASSERT_EQ(sc("start " + service.name()), 0u);
    SERVICE_STATUS_PROCESS status{};
    ASSERT_TRUE(waitForState(service.name(), SERVICE_RUNNING, status));
    const ServiceProcess process(status);
    ASSERT_TRUE(service.waitForLog("main argc=1")) << service.log();
    mainReturns(); // main returns by itself
    ASSERT_TRUE(waitForState(service.name(), SERVICE_STOPPED, status)) << service.log();
    EXPECT_EQ(status.dwWin32ExitCode, 0u);
    ASSERT_TRUE(service.waitForLog("DestroyJavaVM done")) << service.log();
    const std::string log = service.log();
    EXPECT_TRUE(logsInOrder(log, "main argc=1", "main arg[0]=" + service.name())) << log;
    EXPECT_TRUE(logsInOrder(log, "main returned", "DestroyJavaVM")) << log;
    EXPECT_EQ(log.find("stop called"), std::string::npos) << log;
    EXPECT_TRUE(process.endsCleanly()) << service.log();
}

TEST(Service, WithoutStopTheRequestIsDescribedAndTheServiceStaysPending)
{
    const Release mainEnds("svc-nostop-release");
    RegisteredService service("SvcNoStop", "class=App\nmain=wait svc-nostop-release 30000\n");
    ASSERT_EQ(sc("start " + service.name()), 0u);
    SERVICE_STATUS_PROCESS status{};
    ASSERT_TRUE(waitForState(service.name(), SERVICE_RUNNING, status));
    const ServiceProcess process(status);
    ASSERT_TRUE(service.waitForLog("main argc=1")) << service.log();

    ASSERT_EQ(sc("stop " + service.name()), 0u);
    ASSERT_TRUE(service.waitForLog("ExceptionDescribe java.lang.NoSuchMethodError: stop")) << service.log();
    // The stop thread is done once it has left Java: nothing more comes of it.
    ASSERT_TRUE(service.waitForLog("DetachCurrentThread Thread-0")) << service.log();
    ASSERT_TRUE(queryStatus(service.name(), status));
    EXPECT_EQ(status.dwCurrentState, static_cast<DWORD>(SERVICE_STOP_PENDING));
    EXPECT_EQ(status.dwWaitHint, 3000u);
    EXPECT_EQ(status.dwWin32ExitCode, 0u);
    EXPECT_EQ(service.log().find("main returned"), std::string::npos) << service.log();

    // main ends by other means, and with it the service.
    mainEnds();
    ASSERT_TRUE(waitForState(service.name(), SERVICE_STOPPED, status)) << service.log();
    EXPECT_EQ(status.dwWin32ExitCode, 0u);
    ASSERT_TRUE(service.waitForLog("DestroyJavaVM done")) << service.log();
    const std::string log = service.log();
    EXPECT_EQ(log.find("stop called"), std::string::npos) << log;
    EXPECT_TRUE(logsInOrder(log, "ExceptionDescribe java.lang.NoSuchMethodError: stop", "main returned")) << log;
    EXPECT_EQ(log.find("FATAL"), std::string::npos) << log;
    EXPECT_TRUE(process.endsCleanly()) << service.log();
}

TEST(Service, StopDuringASlowJvmCreationStopsOnceTheProgramRuns)
{
    const Release created("svc-slow-created");
    RegisteredService service("SvcSlow", "createWait=svc-slow-created\nclass=App\nmain=wait svc-slow-stop 30000\n"
                                         "stop=signal svc-slow-stop\n");
    ASSERT_EQ(sc("start " + service.name()), 0u);
    SERVICE_STATUS_PROCESS status{};
    // Reported running before the JVM exists.
    ASSERT_TRUE(waitForState(service.name(), SERVICE_RUNNING, status));
    const ServiceProcess process(status);
    ASSERT_TRUE(service.waitForText("CreateJavaVM version=")) << service.log();
    ASSERT_EQ(sc("stop " + service.name()), 0u);
    ASSERT_TRUE(waitForState(service.name(), SERVICE_STOP_PENDING, status));
    created();

    ASSERT_TRUE(waitForState(service.name(), SERVICE_STOPPED, status)) << service.log();
    EXPECT_EQ(status.dwWin32ExitCode, 0u);
    ASSERT_TRUE(service.waitForLog("DestroyJavaVM done")) << service.log();
    const std::string log = service.log();
    EXPECT_EQ(count(log, "stop called"), 1u) << log;
    EXPECT_TRUE(logsInOrder(log, "CreateJavaVM result=0", "stop called")) << log;
    EXPECT_TRUE(logsInOrder(log, "stop called", "main returned")) << log;
    EXPECT_TRUE(process.endsCleanly()) << service.log();
}

TEST(Service, FailedJvmCreationEndsStoppedAndAStopWaitingForItEndsQuietly)
{
    const Release created("svc-nojvm-created");
    RegisteredService service("SvcNoJvm", "createWait=svc-nojvm-created\ncreate=-1\nclass=App\nstop=out never\n");
    ASSERT_EQ(sc("start " + service.name()), 0u);
    SERVICE_STATUS_PROCESS status{};
    ASSERT_TRUE(waitForState(service.name(), SERVICE_RUNNING, status));
    const ServiceProcess process(status);
    ASSERT_TRUE(service.waitForText("CreateJavaVM version=")) << service.log();
    ASSERT_EQ(sc("stop " + service.name()), 0u);
    ASSERT_TRUE(waitForState(service.name(), SERVICE_STOP_PENDING, status));
    created();

    ASSERT_TRUE(waitForState(service.name(), SERVICE_STOPPED, status)) << service.log();
    EXPECT_EQ(status.dwWin32ExitCode, 0u);
    // The process ends once the stop thread has found no program.
    ASSERT_TRUE(waitFor(
        [&] {
            SERVICE_STATUS_PROCESS now{};
            return queryStatus(service.name(), now) && now.dwProcessId == 0;
        },
        20000))
        << service.log();
    const std::string log = service.log();
    EXPECT_TRUE(log.find("CreateJavaVM result=-1\n") != std::string::npos) << log;
    EXPECT_EQ(log.find("AttachCurrentThread"), std::string::npos) << log;
    EXPECT_EQ(log.find("main argc"), std::string::npos) << log;
    EXPECT_EQ(log.find("DestroyJavaVM"), std::string::npos) << log;
    EXPECT_EQ(log.find("FATAL"), std::string::npos) << log;
    EXPECT_TRUE(process.endsCleanly()) << service.log();
}

} // namespace
