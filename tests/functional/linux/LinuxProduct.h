#pragma once
// A product folder for one Linux functional test: the built launcher copied
// as app.bin (configuration app.ini), or under another file name, into a
// scratch folder, run with given arguments, its standard output and error
// captured as bytes.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <sys/types.h>

#include "tests/support/ScratchFolder.h"

struct RunResult {
    std::string out;
    std::string err;
    int exitCode = -1000; // the process's exit status (255 for -1); -1000 when it did not exit
};

// A launcher started in the background, writing its standard output and
// error into files of its own. Killed and reaped when dropped unfinished.
class RunningLaunch {
public:
    RunningLaunch(pid_t pid, std::string outFile, std::string errFile);
    ~RunningLaunch();
    RunningLaunch(RunningLaunch&& other) noexcept;
    RunningLaunch(const RunningLaunch&) = delete;
    RunningLaunch& operator=(const RunningLaunch&) = delete;
    RunningLaunch& operator=(RunningLaunch&&) = delete;

    pid_t pid() const { return pid_; }
    std::string out() const; // what it has written so far
    std::string err() const;
    bool stillRunning();
    void signal(int number) const;
    // Waits (60 s at most, then kills it and fails the test) for its end.
    RunResult finish();
    // Kills it with SIGKILL and reaps it.
    void kill();

private:
    bool reap(int options);
    pid_t pid_;
    std::string outFile_;
    std::string errFile_;
    bool ended_ = false;
    int status_ = 0;
};

class LinuxProduct {
public:
    explicit LinuxProduct(const std::string& name);
    // The launcher copied as `executable`; its configuration is that name
    // with the extension replaced by "ini", or with ".ini" appended when the
    // name has no extension.
    LinuxProduct(const std::string& name, const std::string& executable);
    ~LinuxProduct() = default;
    LinuxProduct(const LinuxProduct&) = delete;
    LinuxProduct& operator=(const LinuxProduct&) = delete;

    const std::string& folder() const { return folder_; } // ends in a slash
    void writeIni(const std::string& text) const { write(iniName_, text); }
    // Paths are relative to the product folder unless they start with "/".
    void write(const std::string& path, const std::string& text) const;
    std::string read(const std::string& path) const;

    // Runs the launcher in the product folder with exactly `arguments`;
    // `environment` entries (NAME=value, or NAME alone to remove it) change
    // the inherited environment.
    RunResult run(const std::vector<std::string>& arguments = {},
                  const std::vector<std::string>& environment = {}) const;
    // The same, started in `workingDirectory` instead of the product folder.
    RunResult run(const std::vector<std::string>& arguments, const std::vector<std::string>& environment,
                  const std::string& workingDirectory) const;

    // Starts the launcher in the background with `arguments`; `tag` names its
    // output files. `prefix` comes before the launcher on the command line
    // (a program that starts it, e.g. as another user).
    RunningLaunch spawn(const std::string& tag, const std::vector<std::string>& arguments = {},
                        const std::vector<std::string>& environment = {},
                        const std::vector<std::string>& prefix = {}) const;
    // The launcher's full path, as it knows it itself.
    std::string executablePath() const;

private:
    std::string absolute(const std::string& path) const;
    ScratchFolder scratch_;
    std::string folder_;
    std::string executable_;
    std::string iniName_;
};

// Polls `condition` every 20 ms for at most `milliseconds`; its last answer.
template <typename Condition>
bool eventually(Condition condition, int milliseconds = 30000);
void pauseMilliseconds(int milliseconds);
// How often `part` occurs in `text`, without overlaps.
std::size_t countOf(const std::string& text, const std::string& part);

template <typename Condition>
bool eventually(Condition condition, int milliseconds)
{
    for (int waited = 0; waited < milliseconds; waited += 20) {
        if (condition()) {
            return true;
        }
        pauseMilliseconds(20);
    }
    return condition();
}

// The JDK the tests run on, ending in a slash.
std::string jdkHome();
// Temurin 25, where the machine has it: no Debian 12 package provides it, so
// the suites that run on it too skip where it is absent.
inline const std::string temurin25 = "/usr/lib/jvm/temurin-25-jdk-amd64/";
// The homes a suite over every JDK runs on, and its tests' names for them.
std::vector<std::string> testJdks();
std::string jdkTestName(const ::testing::TestParamInfo<std::string>& info);

// A suite run once per home of testJdks(): a home without the file the suite
// needs (relative to the home) is skipped, since Debian 12 packages no
// Temurin 25. A suite that adds its own checks calls this SetUp first and
// returns when IsSkipped().
class JdkTest : public ::testing::TestWithParam<std::string> {
protected:
    explicit JdkTest(const char* needs) : needs_(needs) {}
    void SetUp() override;
    const std::string& jdk() const { return GetParam(); }
    std::string java() const { return jdk() + "bin/java"; }

private:
    const char* needs_;
};
// The folder of the test programs' classes, compiled once per test run.
const std::string& javaClasses();
// A jar of the agent quarnel.test.HeldStart, which holds the JVM's creation
// until a file "release-agent" appears in the working directory; made once
// per test run.
const std::string& agentJar();
// Configuration of a product running `mainClass` on the test JDK with
// -Xcheck:jni and `parameters`; `application` goes into [Application].
std::string javaConfig(const std::string& mainClass, const std::string& parameters = "",
                       const std::string& application = "", const std::string& runtimeKeys = "");
