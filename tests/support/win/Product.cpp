#include "Product.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <utility>

namespace {

// Windows path of a file named by its Unix path (wine maps / to Z:).
std::string fromUnixPath(std::string path)
{
    for (char& c : path) {
        if (c == '/') {
            c = '\\';
        }
    }
    return "Z:" + path;
}

HANDLE inheritableFile(const std::string& path)
{
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    return CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa, CREATE_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

std::string readWhole(const std::string& path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return {};
    }
    std::string text;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) {
        text.append(buffer, got);
    }
    CloseHandle(file);
    return text;
}

} // namespace

std::string buildFolder()
{
    std::string exe = fromUnixPath(QUARNEL_EXE);
    return exe.substr(0, exe.find_last_of('\\') + 1);
}

std::vector<std::string> logLines(const std::string& log, const std::string& prefix)
{
    std::vector<std::string> found;
    for (std::size_t start = 0; start < log.size();) {
        std::size_t end = log.find('\n', start);
        end = end == std::string::npos ? log.size() : end;
        std::string line = log.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.compare(0, prefix.size(), prefix) == 0) {
            found.push_back(std::move(line));
        }
        start = end + 1;
    }
    return found;
}

std::vector<std::string> logValues(const std::string& log, const std::string& prefix)
{
    std::vector<std::string> values = logLines(log, prefix);
    for (std::string& value : values) {
        value.erase(0, prefix.size());
    }
    return values;
}

Product::Product(const std::string& name, const std::string& exeName)
    : folder_("C:\\qt\\" + name + "\\"), exeName_(exeName)
{
    removeTree(folder_.substr(0, folder_.size() - 1));
    makeFolders(folder_.substr(0, folder_.size() - 1));
    const std::string exe = exePath();
    const std::size_t slash = exe.find_last_of('\\');
    makeFolders(exe.substr(0, slash));
    // QT_LAUNCHER names another executable of the build to run as the
    // product (the window twin, for the suites that must pass with both).
    char other[MAX_PATH] = "";
    const std::string source = GetEnvironmentVariableA("QT_LAUNCHER", other, sizeof other) > 0
                                   ? buildFolder() + other
                                   : fromUnixPath(QUARNEL_EXE);
    if (!CopyFileA(source.c_str(), exe.c_str(), FALSE)) {
        ADD_FAILURE() << "cannot copy the launcher to " << exe << ": " << GetLastError();
    }
}

std::string Product::iniPath() const
{
    const std::string exe = exePath();
    return exe.substr(0, exe.find_last_of('.')) + ".ini";
}

std::string Product::absolute(const std::string& path) const
{
    return path.size() > 1 && path[1] == ':' ? path : folder_ + path;
}

void Product::write(const std::string& path, const std::string& text) const
{
    writeFile(absolute(path), text);
}

std::string Product::read(const std::string& path) const { return readWhole(absolute(path)); }

bool Product::exists(const std::string& path) const
{
    return GetFileAttributesA(absolute(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

RunningLaunch::RunningLaunch(void* process, void* thread, unsigned long processId, std::string outPath,
                             std::string errPath)
    : process_(process), thread_(thread), processId_(processId), outPath_(std::move(outPath)),
      errPath_(std::move(errPath))
{
}

RunningLaunch::RunningLaunch(RunningLaunch&& other) noexcept
    : process_(other.process_), thread_(other.thread_), processId_(other.processId_),
      outPath_(std::move(other.outPath_)), errPath_(std::move(other.errPath_))
{
    other.process_ = nullptr;
    other.thread_ = nullptr;
}

RunningLaunch::~RunningLaunch()
{
    if (process_ != nullptr) {
        (void)finish();
    }
}

void RunningLaunch::resume() const
{
    if (thread_ != nullptr) {
        ResumeThread(thread_);
    }
}

bool RunningLaunch::stillRunning(unsigned milliseconds) const
{
    return process_ != nullptr && WaitForSingleObject(process_, milliseconds) == WAIT_TIMEOUT;
}

std::string RunningLaunch::out() const { return readWhole(outPath_); }
std::string RunningLaunch::err() const { return readWhole(errPath_); }

Release::Release(const std::string& name) : event_(CreateEventA(nullptr, TRUE, FALSE, ("fakejvm-" + name).c_str()))
{
    EXPECT_NE(event_, nullptr);
}

Release::~Release() { CloseHandle(event_); }

void Release::operator()() const { SetEvent(event_); }

ScopedVariable::ScopedVariable(const char* name, const char* value) : name_(name)
{
    char buffer[32767];
    const DWORD length = GetEnvironmentVariableA(name, buffer, sizeof buffer);
    had_ = length > 0 && length < sizeof buffer;
    if (had_) {
        old_.assign(buffer, length);
    }
    SetEnvironmentVariableA(name, value);
}

ScopedVariable::~ScopedVariable() { SetEnvironmentVariableA(name_, had_ ? old_.c_str() : nullptr); }

LaunchResult RunningLaunch::finish(unsigned long timeoutMs)
{
    LaunchResult result;
    if (process_ == nullptr) {
        return result;
    }
    if (WaitForSingleObject(process_, timeoutMs) != WAIT_OBJECT_0) {
        TerminateProcess(process_, 1);
        WaitForSingleObject(process_, 5000);
        ADD_FAILURE() << "the launcher did not end within " << timeoutMs << " ms";
    }
    DWORD code = 0;
    GetExitCodeProcess(process_, &code);
    CloseHandle(process_);
    CloseHandle(thread_);
    process_ = nullptr;
    thread_ = nullptr;
    result.exitCode = static_cast<int>(code);
    result.out = readWhole(outPath_);
    result.err = readWhole(errPath_);
    return result;
}

RunningLaunch Product::launch(const std::string& commandLine, const std::string& workingDir, const std::string& tag,
                              bool suspended, const char* desktop, bool withOutput) const
{
    const std::string outPath = folder_ + "~stdout" + tag, errPath = folder_ + "~stderr" + tag;
    HANDLE out = inheritableFile(outPath);
    HANDLE err = inheritableFile(errPath);

    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    // Without output, as the desktop starts a window program: no standard
    // handles at all.
    si.hStdInput = withOutput ? GetStdHandle(STD_INPUT_HANDLE) : nullptr;
    si.hStdOutput = withOutput ? out : nullptr;
    si.hStdError = withOutput ? err : nullptr;
    std::string desktopName = desktop != nullptr ? desktop : "";
    si.lpDesktop = desktop != nullptr ? desktopName.data() : nullptr;
    PROCESS_INFORMATION pi{};
    std::string line = commandLine; // CreateProcessA may write into it
    const std::string exe = exePath();
    // Wine now and then fails to create a process under load with an
    // internal error that says nothing about the launcher; try again.
    BOOL started = FALSE;
    for (int attempt = 0; attempt < 3 && !started; ++attempt) {
        line = commandLine;
        started = CreateProcessA(exe.c_str(), line.data(), nullptr, nullptr, TRUE, suspended ? CREATE_SUSPENDED : 0,
                                 nullptr, workingDir.empty() ? folder_.c_str() : workingDir.c_str(), &si, &pi);
        if (!started && GetLastError() != ERROR_INTERNAL_ERROR) {
            break;
        }
        if (!started) {
            Sleep(200);
        }
    }
    CloseHandle(out);
    CloseHandle(err);
    if (!started) {
        ADD_FAILURE() << "cannot start " << exe << ": " << GetLastError();
        return RunningLaunch(nullptr, nullptr, 0, outPath, errPath);
    }
    return RunningLaunch(pi.hProcess, pi.hThread, pi.dwProcessId, outPath, errPath);
}

LaunchResult Product::run(const std::string& commandLine, const std::string& workingDir, const char* desktop) const
{
    return launch(commandLine, workingDir, "", false, desktop).finish();
}

std::string Product::commandLine(const std::string& arguments) const
{
    return "\"" + exePath() + "\"" + (arguments.empty() ? "" : " " + arguments);
}

LaunchResult Product::start(const std::string& arguments) const { return run(commandLine(arguments)); }

RunningLaunch Product::spawn(const std::string& arguments, const std::string& tag, bool suspended) const
{
    return launch(commandLine(arguments), "", tag, suspended, nullptr);
}

RunningLaunch Product::spawnWithoutOutput(const std::string& arguments, const char* desktop) const
{
    return launch(commandLine(arguments), "", "", false, desktop, false);
}

std::string Product::installJvm(const std::string& runtimeFolder, const std::string& script,
                                const std::string& library) const
{
    const std::string home = absolute(runtimeFolder);
    const std::string bin = home + "bin\\client\\";
    makeFolders(bin.substr(0, bin.size() - 1));
    if (!CopyFileA((buildFolder() + library).c_str(), (bin + "jvm.dll").c_str(), FALSE)) {
        ADD_FAILURE() << "cannot copy the test JVM: " << GetLastError();
    }
    write(home + "bin\\java.dll", "");
    write(bin + "fakejvm.ini", script);
    DeleteFileA((bin + "fakejvm.log").c_str());
    return home;
}
