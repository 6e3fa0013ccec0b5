#include "Product.h"

#include <gtest/gtest.h>
#include <windows.h>

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

} // namespace

std::string buildFolder()
{
    std::string exe = fromUnixPath(QUARNEL_EXE);
    return exe.substr(0, exe.find_last_of('\\') + 1);
}

Product::Product(const std::string& name, const std::string& exeName)
    : folder_("C:\\qt\\" + name + "\\"), exeName_(exeName)
{
    removeTree(folder_.substr(0, folder_.size() - 1));
    makeFolders(folder_.substr(0, folder_.size() - 1));
    const std::string exe = exePath();
    const std::size_t slash = exe.find_last_of('\\');
    makeFolders(exe.substr(0, slash));
    if (!CopyFileA(fromUnixPath(QUARNEL_EXE).c_str(), exe.c_str(), FALSE)) {
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
    const std::string full = absolute(path);
    makeFolders(full.substr(0, full.find_last_of('\\')));
    HANDLE file = CreateFileA(full.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << full;
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
}

std::string Product::read(const std::string& path) const
{
    HANDLE file = CreateFileA(absolute(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
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

bool Product::exists(const std::string& path) const
{
    return GetFileAttributesA(absolute(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

RunningLauncher::RunningLauncher(const Product& product, const std::string& commandLine,
                                 const std::string& workingDir, const char* desktop)
    : product_(product)
{
    HANDLE out = inheritableFile(product.folder() + "~stdout");
    HANDLE err = inheritableFile(product.folder() + "~stderr");
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = out;
    si.hStdError = err;
    std::string desktopName = desktop != nullptr ? desktop : "";
    si.lpDesktop = desktop != nullptr ? desktopName.data() : nullptr;
    PROCESS_INFORMATION pi{};
    std::string line = commandLine; // CreateProcessA may write into it
    const std::string exe = product.exePath();
    const BOOL created = CreateProcessA(exe.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                        workingDir.empty() ? product.folder().c_str() : workingDir.c_str(), &si, &pi);
    CloseHandle(out);
    CloseHandle(err);
    if (!created) {
        ADD_FAILURE() << "cannot start " << exe << ": " << GetLastError();
        return;
    }
    CloseHandle(pi.hThread);
    process_ = pi.hProcess;
    processId_ = pi.dwProcessId;
}

RunningLauncher::~RunningLauncher()
{
    if (process_ != nullptr) {
        if (running()) {
            TerminateProcess(process_, 1);
            WaitForSingleObject(process_, 5000);
        }
        CloseHandle(process_);
    }
}

bool RunningLauncher::running() const
{
    return process_ != nullptr && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

LaunchResult RunningLauncher::finish(unsigned long timeoutMs)
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
    result.exitCode = static_cast<int>(code);
    result.out = product_.read("~stdout");
    result.err = product_.read("~stderr");
    return result;
}

LaunchResult Product::run(const std::string& commandLine, const std::string& workingDir, const char* desktop) const
{
    RunningLauncher launcher(*this, commandLine, workingDir, desktop);
    return launcher.finish();
}

std::string Product::commandLine(const std::string& arguments) const
{
    return "\"" + exePath() + "\"" + (arguments.empty() ? "" : " " + arguments);
}

LaunchResult Product::start(const std::string& arguments) const
{
    return run(commandLine(arguments));
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
