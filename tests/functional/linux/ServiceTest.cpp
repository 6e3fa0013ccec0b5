// Service mode on Linux, as systemd runs it: the program in the foreground,
// SIGTERM or SIGINT as the stop request that stop() answers, SIGHUP
// ignored, READY=1 and STOPPING=1 on the notification socket, exit 0 once
// main has returned and the JVM is gone.

#include "LinuxProduct.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstring>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// A datagram socket standing in for systemd's: a path, or with a leading
// '@' a name in the abstract namespace.
class NotifySocket {
public:
    explicit NotifySocket(const std::string& name) : name_(name)
    {
        socket_ = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path, name.data(), name.size());
        if (name[0] == '@') {
            address.sun_path[0] = '\0';
        }
        const socklen_t length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + name.size());
        EXPECT_EQ(::bind(socket_, reinterpret_cast<const sockaddr*>(&address), length), 0) << std::strerror(errno);
    }
    ~NotifySocket()
    {
        ::close(socket_);
        if (name_[0] == '/') {
            ::unlink(name_.c_str());
        }
    }
    NotifySocket(const NotifySocket&) = delete;
    NotifySocket& operator=(const NotifySocket&) = delete;

    std::string variable() const { return "NOTIFY_SOCKET=" + name_; }
    // The next datagram within `seconds`, or "(none)".
    std::string next(int seconds = 30) const
    {
        const timeval limit{seconds, 0};
        ::setsockopt(socket_, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
        char buffer[256];
        const ssize_t got = ::recv(socket_, buffer, sizeof buffer, 0);
        return got < 0 ? "(none)" : std::string(buffer, static_cast<std::size_t>(got));
    }

private:
    std::string name_;
    int socket_ = -1;
};

TEST(LinuxService, StopSignalCallsStopAndTheServiceEndsZero)
{
    const struct {
        const char* socket; // "@" names the abstract namespace
        int stopSignal;
    } rows[] = {{"notify.socket", SIGTERM}, {"@", SIGINT}};
    for (const auto& row : rows) {
        LinuxProduct app("service");
        app.writeIni(javaConfig("quarnel.test.Service", "", "Application Type=service\n"));
        const std::string name = row.socket[0] == '@' ? "@quarnel-test-" + std::to_string(::getpid())
                                                      : app.folder() + row.socket;
        const NotifySocket systemd(name);
        RunningLaunch service = app.spawn("service", {}, {systemd.variable()});

        EXPECT_EQ(systemd.next(), "READY=1") << name << service.out() << service.err();
        EXPECT_TRUE(eventually([&] { return service.out() == "main runs\n"; })) << service.out();
        // Nothing to reload: the program goes on, and systemd hears nothing.
        service.signal(SIGHUP);
        EXPECT_EQ(systemd.next(1), "(none)");
        EXPECT_TRUE(service.stillRunning());

        service.signal(row.stopSignal);
        EXPECT_EQ(systemd.next(), "STOPPING=1") << name;
        const RunResult r = service.finish();
        // The shutdown hook runs as the JVM is destroyed, after main.
        EXPECT_EQ(r.out, "main runs\nstop\nmain returns\nhook\n") << name;
        EXPECT_EQ(r.err, "") << name;
        EXPECT_EQ(r.exitCode, 0) << name;
    }
}

TEST(LinuxService, MainClassWithoutStopIsDescribedAndRunsOn)
{
    LinuxProduct app("nostop");
    app.writeIni(javaConfig("quarnel.test.Single", "", "Application Type=service\n"));
    RunningLaunch service = app.spawn("service", {"service"});
    ASSERT_TRUE(eventually([&] { return service.out() == "main service\n"; })) << service.out() << service.err();

    // Each request is described once, and the program runs on.
    const std::string described =
        "Exception in thread \"Thread-0\" java.lang.NoSuchMethodError: static Lquarnel/test/Single;.stop()V\n";
    service.signal(SIGTERM);
    ASSERT_TRUE(eventually([&] { return service.err() == described; })) << service.err();
    service.signal(SIGTERM);
    ASSERT_TRUE(eventually([&] { return countOf(service.err(), "NoSuchMethodError") == 2; })) << service.err();
    EXPECT_TRUE(service.stillRunning());

    app.write("quit", "");
    const RunResult r = service.finish();
    EXPECT_EQ(r.out, "main service\nmain ends\n");
    EXPECT_EQ(r.exitCode, 0);
}

TEST(LinuxService, StopBeforeMainRunsWaitsForMain)
{
    LinuxProduct app("slowstart");
    app.writeIni(javaConfig("quarnel.test.SlowStart", "", "Application Type=service\n"));
    const NotifySocket systemd(app.folder() + "notify.socket");
    RunningLaunch service = app.spawn("service", {}, {systemd.variable()});
    ASSERT_TRUE(eventually([&] { return service.out() == "initialising\n"; })) << service.out() << service.err();

    service.signal(SIGTERM);
    EXPECT_EQ(systemd.next(), "STOPPING=1");
    const RunResult r = service.finish();
    EXPECT_EQ(r.out, "initialising\nmain runs\nmain returns\n");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.exitCode, 0);
    // Stopping came first: that it runs is no news to systemd any more.
    EXPECT_EQ(systemd.next(1), "(none)");
}

// The signal set of a /proc/<pid>/status line "<name>:\t<hex>".
unsigned long long signalSet(const std::string& status, const std::string& name)
{
    const std::size_t at = status.find(name + ":\t");
    EXPECT_NE(at, std::string::npos) << status;
    return at == std::string::npos ? ~0ull : std::stoull(status.substr(at + name.size() + 2, 16), nullptr, 16);
}

TEST(LinuxService, ProgramsTheServiceStartsCanBeStoppedAsUsual)
{
    // The stop signals are the launcher's only while it runs the service: a
    // program the Java application starts has none of them blocked, and
    // ignores no more than it would under an ordinary start.
    std::string status[2];
    for (const bool service : {true, false}) {
        LinuxProduct app("childsignals");
        app.writeIni(javaConfig("quarnel.test.ChildSignals", "", service ? "Application Type=service\n" : ""));
        const RunResult r = app.run();
        EXPECT_EQ(r.exitCode, 0);
        EXPECT_EQ(r.err, "");
        status[service] = r.out;
    }
    const unsigned long long stopSignals = 1ull << (SIGHUP - 1) | 1ull << (SIGINT - 1) | 1ull << (SIGTERM - 1);
    EXPECT_EQ(signalSet(status[1], "SigBlk") & stopSignals, 0u) << status[1];
    EXPECT_EQ(signalSet(status[1], "SigIgn"), signalSet(status[0], "SigIgn"));
    EXPECT_EQ(signalSet(status[1], "SigIgn") & stopSignals, 0u);
}

TEST(LinuxService, OnlyAServiceRunsWithReducedSignalUse)
{
    // HotSpot would otherwise catch the stop signals itself; an ordinary
    // start leaves them to it.
    for (const bool service : {true, false}) {
        LinuxProduct app("xrs");
        app.writeIni(javaConfig("quarnel.test.Report", "-Dmarker=1", service ? "Application Type=service\n" : ""));
        const RunResult r = app.run({"options"});
        const std::string options = "option=-Xcheck:jni\noption=-Dmarker=1\n";
        EXPECT_EQ(r.out, service ? options + "option=-Xrs\n" : options);
        EXPECT_EQ(r.err, "");
        EXPECT_EQ(r.exitCode, 0);
    }
}

TEST(LinuxService, StopSignalsReachStopUntilTheProgramShutsDown)
{
    // main has returned, a worker keeps the program alive: systemd's stop
    // must still reach stop(). Once the shutdown hook runs, a stop signal
    // neither calls stop() again nor cuts the hook short.
    LinuxProduct app("worker");
    app.writeIni(javaConfig("quarnel.test.Worker", "", "Application Type=service\n"));
    RunningLaunch service = app.spawn("service");
    ASSERT_TRUE(eventually([&] { return service.out().find("worker runs\n") != std::string::npos; }))
        << service.out() << service.err();
    // What a program started in this phase inherits.
    const std::size_t child = service.out().find("child ");
    ASSERT_NE(child, std::string::npos) << service.out();
    const std::string signals = service.out().substr(child, service.out().find('\n', child) - child);
    const unsigned long long stopSignals = 1ull << (SIGINT - 1) | 1ull << (SIGTERM - 1);
    EXPECT_EQ(signalSet(signals, "SigBlk") & stopSignals, 0u) << signals;
    EXPECT_EQ(signalSet(signals, "SigIgn") & stopSignals, 0u) << signals;

    service.signal(SIGTERM);
    ASSERT_TRUE(eventually([&] { return service.out().find("hook starts\n") != std::string::npos; }))
        << service.out() << service.err();
    service.signal(SIGTERM);
    service.signal(SIGINT);
    app.write("release-hook", "");
    const RunResult r = service.finish();
    EXPECT_EQ(r.out.substr(child), signals + "\nworker runs\nstop\nworker ends\nhook starts\nhook ends\n");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.exitCode, 0);
}

} // namespace
