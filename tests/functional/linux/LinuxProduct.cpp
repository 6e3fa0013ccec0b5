#include "LinuxProduct.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <csignal>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

extern char** environ;

namespace {

namespace fs = std::filesystem;

// The inherited environment with `changes` applied.
std::vector<std::string> environmentWith(const std::vector<std::string>& changes)
{
    std::vector<std::string> result;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        result.emplace_back(*entry);
    }
    for (const std::string& change : changes) {
        const std::string name = change.substr(0, change.find('='));
        result.erase(std::remove_if(result.begin(), result.end(),
                                    [&name](const std::string& e) { return e.compare(0, name.size() + 1, name + "=") == 0; }),
                     result.end());
        if (change.find('=') != std::string::npos) {
            result.push_back(change);
        }
    }
    return result;
}

std::vector<char*> pointers(std::vector<std::string>& texts)
{
    std::vector<char*> result;
    for (std::string& text : texts) {
        result.push_back(text.data());
    }
    result.push_back(nullptr);
    return result;
}

// Starts `program` with `arguments` in `folder`, standard output and error
// into the two files; its process id, or -1.
pid_t startProcess(const std::string& folder, std::vector<std::string> arguments, std::vector<std::string> environment,
                   const std::string& outFile, const std::string& errFile)
{
    std::vector<char*> argv = pointers(arguments);
    std::vector<char*> envp = pointers(environment);
    const pid_t child = ::fork();
    if (child == 0) {
        // Only async-signal-safe calls until exec: the parent may run a JVM.
        const int out = ::open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = ::open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (out < 0 || err < 0 || ::chdir(folder.c_str()) != 0 || ::dup2(out, 1) < 0 || ::dup2(err, 2) < 0) {
            ::_exit(120);
        }
        ::execve(argv[0], argv.data(), envp.data());
        ::_exit(121);
    }
    if (child < 0) {
        ADD_FAILURE() << "fork failed";
    }
    return child;
}

// The exit status of a process that ended, or -1000.
int exitStatus(int status)
{
    if (!WIFEXITED(status)) {
        ADD_FAILURE() << "the launcher did not exit normally (status " << status << ")";
        return -1000;
    }
    return WEXITSTATUS(status);
}

int runProcess(const std::string& folder, std::vector<std::string> arguments, std::vector<std::string> environment,
               const std::string& outFile, const std::string& errFile)
{
    const pid_t child = startProcess(folder, std::move(arguments), std::move(environment), outFile, errFile);
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child) {
        return -1000;
    }
    return exitStatus(status);
}

std::string fileText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

} // namespace

LinuxProduct::LinuxProduct(const std::string& name) : LinuxProduct(name, "app.bin")
{
}

LinuxProduct::LinuxProduct(const std::string& name, const std::string& executable)
    : scratch_(name), folder_(scratch_.path().string() + "/"), executable_(executable),
      iniName_(executable.substr(0, executable.rfind('.')) + ".ini")
{
    std::error_code error;
    fs::copy_file(QUARNEL_EXE, folder_ + executable_, error);
    if (error) {
        ADD_FAILURE() << "cannot copy the launcher: " << error.message();
    }
}

std::string LinuxProduct::absolute(const std::string& path) const
{
    return !path.empty() && path[0] == '/' ? path : folder_ + path;
}

void LinuxProduct::write(const std::string& path, const std::string& text) const
{
    const fs::path full = absolute(path);
    fs::create_directories(full.parent_path());
    std::ofstream(full, std::ios::binary) << text;
}

std::string LinuxProduct::read(const std::string& path) const { return fileText(absolute(path)); }

std::string LinuxProduct::executablePath() const { return fs::canonical(folder_ + executable_).string(); }

RunningLaunch LinuxProduct::spawn(const std::string& tag, const std::vector<std::string>& arguments,
                                  const std::vector<std::string>& environment,
                                  const std::vector<std::string>& prefix) const
{
    std::vector<std::string> argv = prefix;
    argv.push_back(folder_ + executable_);
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    const std::string outFile = folder_ + "~" + tag + ".out";
    const std::string errFile = folder_ + "~" + tag + ".err";
    return RunningLaunch(startProcess(folder_, argv, environmentWith(environment), outFile, errFile), outFile, errFile);
}

RunningLaunch::RunningLaunch(pid_t pid, std::string outFile, std::string errFile)
    : pid_(pid), outFile_(std::move(outFile)), errFile_(std::move(errFile)), ended_(pid < 0)
{
}

RunningLaunch::RunningLaunch(RunningLaunch&& other) noexcept
    : pid_(other.pid_), outFile_(std::move(other.outFile_)), errFile_(std::move(other.errFile_)),
      ended_(other.ended_), status_(other.status_)
{
    other.ended_ = true;
}

RunningLaunch::~RunningLaunch()
{
    if (!ended_) {
        kill();
    }
}

std::string RunningLaunch::out() const { return fileText(outFile_); }
std::string RunningLaunch::err() const { return fileText(errFile_); }

bool RunningLaunch::reap(int options)
{
    if (!ended_ && ::waitpid(pid_, &status_, options) == pid_) {
        ended_ = true;
    }
    return ended_;
}

bool RunningLaunch::stillRunning() { return !reap(WNOHANG); }

void RunningLaunch::signal(int number) const
{
    if (!ended_) {
        ::kill(pid_, number);
    }
}

RunResult RunningLaunch::finish()
{
    if (!eventually([this] { return !stillRunning(); }, 60000)) {
        ADD_FAILURE() << "the launcher did not end within 60 s";
        kill();
        return RunResult{out(), err(), -1000};
    }
    return RunResult{out(), err(), pid_ < 0 ? -1000 : exitStatus(status_)};
}

void RunningLaunch::kill()
{
    signal(SIGKILL);
    reap(0);
}

std::size_t countOf(const std::string& text, const std::string& part)
{
    std::size_t found = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) {
        ++found;
    }
    return found;
}

void pauseMilliseconds(int milliseconds) { ::usleep(static_cast<useconds_t>(milliseconds) * 1000); }

RunResult LinuxProduct::run(const std::vector<std::string>& arguments, const std::vector<std::string>& environment) const
{
    return run(arguments, environment, folder_);
}

RunResult LinuxProduct::run(const std::vector<std::string>& arguments, const std::vector<std::string>& environment,
                            const std::string& workingDirectory) const
{
    std::vector<std::string> argv{folder_ + executable_};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    const std::string outFile = folder_ + "~stdout";
    const std::string errFile = folder_ + "~stderr";
    RunResult result;
    result.exitCode = runProcess(workingDirectory, argv, environmentWith(environment), outFile, errFile);
    result.out = read(outFile);
    result.err = read(errFile);
    fs::remove(outFile);
    fs::remove(errFile);
    return result;
}

std::string jdkHome()
{
    const std::string home = QUARNEL_TEST_JDK;
    return home.back() == '/' ? home : home + "/";
}

std::vector<std::string> testJdks() { return {jdkHome(), temurin25}; }

void JdkTest::SetUp()
{
    if (!std::filesystem::exists(jdk() + needs_)) {
        GTEST_SKIP() << "no " << needs_ << " in " << jdk() << ": skipped (Debian 12 packages none)";
    }
}

std::string jdkTestName(const ::testing::TestParamInfo<std::string>& info)
{
    return info.param == temurin25 ? "Temurin25" : "TestJdk";
}

const std::string& javaClasses()
{
    // Removed when the test run ends.
    static const ScratchFolder classes("classes");
    static const std::string compiled = [] {
        const std::string folder = classes.path().string() + "/";
        std::vector<std::string> command{jdkHome() + "bin/javac", "-d", folder};
        for (const auto& entry : fs::recursive_directory_iterator(QUARNEL_TEST_JAVA_SOURCES)) {
            if (entry.path().extension() == ".java") {
                command.push_back(entry.path().string());
            }
        }
        const int status = runProcess(folder, command, environmentWith({}), folder + "javac.out", folder + "javac.err");
        if (status != 0) {
            std::ifstream in(folder + "javac.err");
            std::ostringstream text;
            text << in.rdbuf();
            ADD_FAILURE() << "javac failed (" << status << "): " << text.str();
        }
        return folder;
    }();
    return compiled;
}

const std::string& agentJar()
{
    static const ScratchFolder agent("agent");
    static const std::string jar = [] {
        const std::string folder = agent.path().string() + "/";
        {
            std::ofstream manifest(folder + "manifest.txt");
            manifest << "Premain-Class: quarnel.test.HeldStart\n";
        }
        const std::vector<std::string> command{jdkHome() + "bin/jar", "cfm", folder + "agent.jar",
                                               folder + "manifest.txt", "-C", javaClasses(),
                                               "quarnel/test/HeldStart.class"};
        const int status = runProcess(folder, command, environmentWith({}), folder + "jar.out", folder + "jar.err");
        if (status != 0) {
            ADD_FAILURE() << "jar failed (" << status << ")";
        }
        return folder + "agent.jar";
    }();
    return jar;
}

std::string javaConfig(const std::string& mainClass, const std::string& parameters, const std::string& application,
                       const std::string& runtimeKeys)
{
    return "[Java Runtime Environment]\nMain Class=" + mainClass + "\nJRE Path=" + jdkHome() +
           "\nVirtual Machine Parameters=-Xcheck:jni" + (parameters.empty() ? "" : " " + parameters) + "\n" +
           runtimeKeys + "[Class Path]\nClass Path=" + javaClasses() + "\n[Application]\n" + application;
}
