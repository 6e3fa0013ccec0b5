// What the launcher asks of a runtime's splash-screen library, logged one
// line per call. SplashLoadFile succeeds for a file that exists and holds
// bytes, as the real library does for an image it can read.

#include <windows.h>

#include <string>

namespace {

std::string logPath()
{
    HMODULE self = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&logPath), &self);
    char path[MAX_PATH] = "";
    GetModuleFileNameA(self, path, MAX_PATH);
    std::string folder = path;
    return folder.substr(0, folder.find_last_of('\\') + 1) + "splash.log";
}

void logLine(const std::string& line)
{
    const HANDLE file = CreateFileA(logPath().c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return;
    }
    const std::string text = line + "\n";
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
}

} // namespace

extern "C" {

__declspec(dllexport) int SplashInit()
{
    logLine("SplashInit");
    return 1;
}

__declspec(dllexport) int SplashLoadFile(const char* fileName)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    const bool readable = GetFileAttributesExA(fileName, GetFileExInfoStandard, &data) && data.nFileSizeLow > 0;
    logLine(std::string("SplashLoadFile ") + fileName + (readable ? " shown" : " refused"));
    return readable ? 1 : 0;
}

__declspec(dllexport) void SplashSetFileJarName(const char* fileName, const char* jarName)
{
    logLine(std::string("SplashSetFileJarName ") + fileName + " " + (jarName == nullptr ? "(none)" : jarName));
}

__declspec(dllexport) void SplashClose() { logLine("SplashClose"); }

} // extern "C"
