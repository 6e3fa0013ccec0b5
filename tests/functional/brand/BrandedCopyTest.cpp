// Branded copies of our executables as Windows sees them: quarnel-brand.exe
// brands each of dist\x86 and dist\x64; the version functions, the shell's
// icon extraction, the resource loader and the activation context read the
// copies (the 32-bit ones as data files), and the 64-bit copy runs.

#include "Desktop.h"
#include "Folders.h"
#include "Product.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <shellapi.h>

#include <fstream>
#include <iterator>
#include <vector>

namespace {

std::string windowsPath(std::string path)
{
    for (char& c : path) {
        c = c == '/' ? '\\' : c;
    }
    return "Z:" + path;
}

const std::string dist = windowsPath(QUARNEL_DIST_DIR) + "\\";
const std::string icon = windowsPath(QUARNEL_SAMPLE_ICON);

std::string readFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// The executables of ours in dist\<arch>\: those holding the JRE Not Found dialog.
std::vector<std::string> ourExecutables(const char* arch)
{
    std::vector<std::string> found;
    WIN32_FIND_DATAA entry;
    const std::string folder = dist + arch + "\\";
    HANDLE search = FindFirstFileA((folder + "*.exe").c_str(), &entry);
    for (bool more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &entry)) {
        HMODULE module = LoadLibraryExA((folder + entry.cFileName).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        if (module != nullptr && FindResourceA(module, MAKEINTRESOURCEA(201), MAKEINTRESOURCEA(5)) != nullptr) {
            found.push_back(folder + entry.cFileName);
        }
        FreeLibrary(module);
    }
    FindClose(search);
    return found;
}

// Text of the ANSI code page as UTF-16, as CreateProcessA passes it on.
std::wstring wide(const std::string& text)
{
    std::wstring result(text.size(), L'\0');
    result.resize(static_cast<std::size_t>(MultiByteToWideChar(
        CP_ACP, 0, text.data(), static_cast<int>(text.size()), result.data(), static_cast<int>(result.size()))));
    return result;
}

// Runs quarnel-brand.exe with the arguments; its exit code. UTF-16, so that
// any name reaches it.
DWORD brand(const std::wstring& arguments)
{
    std::wstring line = L"\"" + wide(buildFolder()) + L"quarnel-brand.exe\" " + arguments;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        ADD_FAILURE() << "cannot start quarnel-brand: " << GetLastError();
        return 1;
    }
    WaitForSingleObject(pi.hProcess, 60000);
    DWORD code = 1;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    return code;
}

DWORD brand(const std::string& arguments) { return brand(wide(arguments)); }

const char* const productOptions =
    "--file-version 1.2.3.4 --product-version 5.6.7.8 --product-name Hello --file-description \"Says hello\" "
    "--company \"\xC4" "chme\" --copyright \"(c) 2024\" --original-filename hello.exe --internal-name hello "
    "--execution-level highestAvailable --dpi-aware permonitorv2";

// A branded copy of `source` in a fresh folder of its own.
std::string brandedCopy(const std::string& source, const std::string& folder)
{
    removeTree(folder);
    makeFolders(folder);
    const std::string target = folder + "\\hello.exe";
    EXPECT_EQ(brand("\"" + source + "\" \"" + target + "\" --icon \"" + icon + "\" " + productOptions), 0u);
    return target;
}

std::string versionValue(const std::vector<char>& block, const std::string& key)
{
    char* value = nullptr;
    UINT length = 0;
    const std::string path = "\\StringFileInfo\\040904E4\\" + key;
    if (!VerQueryValueA(block.data(), path.c_str(), reinterpret_cast<void**>(&value), &length)) {
        return "<missing>";
    }
    return std::string(value, length > 0 ? length - 1 : 0);
}

void checkVersion(const std::string& path)
{
    DWORD ignored = 0;
    std::vector<char> block(GetFileVersionInfoSizeA(path.c_str(), &ignored));
    ASSERT_FALSE(block.empty()) << GetLastError();
    ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, static_cast<DWORD>(block.size()), block.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010002u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00030004u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00050006u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00070008u);
    DWORD* translation = nullptr;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                               &length));
    EXPECT_EQ(*translation, 0x04E40409u);
    const std::pair<const char*, const char*> fields[] = {
        {"CompanyName", "\xC4" "chme"}, {"FileDescription", "Says hello"}, {"FileVersion", "1.2.3.4"},
        {"InternalName", "hello"},      {"LegalCopyright", "(c) 2024"},  {"OriginalFilename", "hello.exe"},
        {"ProductName", "Hello"},       {"ProductVersion", "5.6.7.8"}};
    for (const auto& [key, value] : fields) {
        EXPECT_EQ(versionValue(block, key), value) << key;
    }
}

// The pixel at (x, y) from the top of the 32-pixel image of the icon file,
// as BGRA.
std::uint32_t iconFilePixel(int x, int y)
{
    const std::string file = readFile(icon);
    for (std::size_t i = 0; i < static_cast<unsigned char>(file[4]); ++i) {
        const char* entry = file.data() + 6 + 16 * i;
        if (entry[0] == 32) {
            const std::uint32_t offset = *reinterpret_cast<const std::uint32_t*>(entry + 12);
            return *reinterpret_cast<const std::uint32_t*>(file.data() + offset + 40 + ((31 - y) * 32 + x) * 4);
        }
    }
    return 0;
}

void checkIcon(const std::string& path)
{
    EXPECT_EQ(ExtractIconExA(path.c_str(), -1, nullptr, nullptr, 0), 1u);
    HICON large = nullptr, small = nullptr;
    ASSERT_EQ(ExtractIconExA(path.c_str(), 0, &large, &small, 1), 2u);
    ASSERT_TRUE(large != nullptr && small != nullptr);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(large, &info));
    BITMAPINFO format{};
    format.bmiHeader = {sizeof(BITMAPINFOHEADER), 32, -32, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    std::vector<std::uint32_t> pixels(32 * 32);
    HDC screen = GetDC(nullptr);
    EXPECT_EQ(GetDIBits(screen, info.hbmColor, 0, 32, pixels.data(), &format, DIB_RGB_COLORS), 32);
    ReleaseDC(nullptr, screen);
    for (const auto& [x, y] : {std::pair{16, 16}, {16, 8}, {4, 28}}) {
        EXPECT_EQ(pixels[static_cast<std::size_t>(y * 32 + x)] & 0xFFFFFF, iconFilePixel(x, y) & 0xFFFFFF)
            << x << "," << y;
    }
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    DestroyIcon(large);
    DestroyIcon(small);
}

std::string resourceBytes(HMODULE module, LPCSTR type, LPCSTR name)
{
    HRSRC found = FindResourceA(module, name, type);
    HGLOBAL loaded = found != nullptr ? LoadResource(module, found) : nullptr;
    if (loaded == nullptr) {
        return "<missing>";
    }
    return std::string(static_cast<const char*>(LockResource(loaded)), SizeofResource(module, found));
}

BOOL CALLBACK collectName(HMODULE, LPCSTR, LPSTR name, LONG_PTR names)
{
    reinterpret_cast<std::vector<LPSTR>*>(names)->push_back(name); // numbered: no string to copy
    return TRUE;
}

// The launcher's dialogs and string table read the same through the loader.
void checkKeptResources(const std::string& source, const std::string& path)
{
    HMODULE original = LoadLibraryExA(source.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    HMODULE branded = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_TRUE(original != nullptr && branded != nullptr);
    for (LPCSTR type : {RT_DIALOG, RT_STRING}) {
        std::vector<LPSTR> names;
        EnumResourceNamesA(original, type, collectName, reinterpret_cast<LONG_PTR>(&names));
        EXPECT_FALSE(names.empty());
        for (LPSTR name : names) {
            EXPECT_EQ(resourceBytes(branded, type, name), resourceBytes(original, type, name));
        }
    }
    char text[100] = "";
    EXPECT_EQ(LoadStringA(branded, 210, text, sizeof text), 41);
    EXPECT_STREQ(text, "Main class was not specified in INI file.");
    if (GetEnvironmentVariableA("DISPLAY", nullptr, 0) > 0) {
        HRSRC dialog = FindResourceA(branded, MAKEINTRESOURCEA(201), RT_DIALOG);
        HWND window = CreateDialogIndirectParamA(
            GetModuleHandleA(nullptr),
            static_cast<LPCDLGTEMPLATEA>(LockResource(LoadResource(branded, dialog))), nullptr, nullptr, 0);
        ASSERT_TRUE(window != nullptr) << GetLastError();
        char caption[64] = "";
        GetWindowTextA(window, caption, sizeof caption);
        EXPECT_STREQ(caption, "JRE Not Found");
        EXPECT_TRUE(GetDlgItem(window, IDOK) != nullptr);
        DestroyWindow(window);
    }
    FreeLibrary(branded);
    FreeLibrary(original);
}

// The manifest as the system's activation context reads it.
void checkManifest(const std::string& path)
{
    ACTCTXA context{};
    context.cbSize = sizeof context;
    context.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    context.lpSource = path.c_str();
    context.lpResourceName = MAKEINTRESOURCEA(1);
    HANDLE handle = CreateActCtxA(&context);
    ASSERT_NE(handle, INVALID_HANDLE_VALUE) << GetLastError();
    ACTIVATION_CONTEXT_RUN_LEVEL_INFORMATION level{};
    EXPECT_TRUE(QueryActCtxW(0, handle, nullptr, RunlevelInformationInActivationContext, &level, sizeof level,
                             nullptr));
    EXPECT_EQ(level.RunLevel, ACTCTX_RUN_LEVEL_HIGHEST_AVAILABLE);
    EXPECT_EQ(level.UiAccess, 0u);
    ReleaseActCtx(handle);
}

TEST(BrandedCopy, WindowsReadsEveryDetail)
{
    for (const char* arch : {"x86", "x64"}) {
        const std::vector<std::string> sources = ourExecutables(arch);
        EXPECT_FALSE(sources.empty()) << arch;
        for (const std::string& source : sources) {
            SCOPED_TRACE(source);
            const std::string copy = brandedCopy(source, std::string("C:\\qt\\brand-") + arch);
            checkVersion(copy);
            checkIcon(copy);
            checkKeptResources(source, copy);
            checkManifest(copy);
        }
    }
}

TEST(BrandedCopy, RunsAsTheLauncherDoes)
{
    for (const std::string& source : ourExecutables("x64")) {
        SCOPED_TRACE(source);
        const std::string copy = brandedCopy(source, "C:\\qt\\brand-run");
        Product app("BrandedStart");
        ASSERT_TRUE(CopyFileA(copy.c_str(), app.exePath().c_str(), FALSE));
        const std::string home = app.installJvm("jre\\", "class=com/example/App\nmain=out Hello from a product;args\n");
        app.writeIni("[Java Runtime Environment]\nMain Class=com.example.App\nJRE Path=" + home +
                     "\n[Class Path]\nClass Path=app.jar\n");
        const LaunchResult started = app.start("one");
        EXPECT_EQ(started.out, "Hello from a product\r\narg[0]=one\r\n");
        EXPECT_EQ(started.exitCode, 0);

        app.writeIni("[Java Runtime Environment]\nJRE Path=" + home + "\n[Class Path]\nClass Path=app.jar\n");
        const LaunchResult failed = app.start();
        EXPECT_EQ(failed.out, "Error: Main class was not specified in INI file. \n");
        EXPECT_EQ(failed.err, "");
        EXPECT_EQ(failed.exitCode, -1);
    }
}

// The window twin branded still reports a failure from the desktop in its
// box, titled with the product's name.
TEST(BrandedCopy, TheWindowTwinShowsItsBox)
{
    if (!haveDisplay()) {
        GTEST_SKIP() << "no display to show the box on";
    }
    const std::string copy = brandedCopy(dist + "x64\\quarnelw.exe", "C:\\qt\\brand-twin");
    Product app("BrandedTwin", "Hello.exe");
    ASSERT_TRUE(CopyFileA(copy.c_str(), app.exePath().c_str(), FALSE));
    app.writeIni("[Java Runtime Environment]\nJRE Path=C:\\nowhere\n");
    RunningLaunch launch = app.spawnWithoutOutput();
    HWND box = nullptr;
    waitFor([&] { return (box = findWindow(launch.processId(), "Hello")) != nullptr; }, 30000);
    ASSERT_NE(box, nullptr) << "no box titled with the product's name";
    EXPECT_EQ(windowText(GetDlgItem(box, 0xFFFF)), "Main class was not specified in INI file.");
    SendMessageA(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    EXPECT_EQ(launch.finish().exitCode, -1);
}

TEST(BrandedCopy, TheWindowsToolRefusesAndLeavesNoFile)
{
    const std::vector<std::string> sources = ourExecutables("x64");
    ASSERT_FALSE(sources.empty());
    const std::string copy = brandedCopy(sources[0], "C:\\qt\\brand-refused");
    const std::string bytes = readFile(copy);
    // The copy itself under other spellings: case, a "." and a "..".
    for (const char* target : {"C:\\qt\\brand-refused\\HELLO.EXE", "C:\\qt\\.\\brand-refused\\hello.exe",
                               "C:\\qt\\brand-run\\..\\brand-refused\\Hello.exe"}) {
        EXPECT_EQ(brand("\"" + copy + "\" \"" + target + "\""), 1u) << target;
    }
    EXPECT_EQ(brand("\"" + sources[0] + "\" C:\\qt\\brand-refused\\other.exe --icon \"" + copy + "\""), 1u);
    EXPECT_EQ(brand("\"" + sources[0] + "\" C:\\qt\\brand-refused\\other.exe --file-version 1"), 2u);
    EXPECT_EQ(readFile(copy), bytes);
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA("C:\\qt\\brand-refused\\*", &entry);
    std::vector<std::string> names;
    for (bool more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &entry)) {
        names.push_back(entry.cFileName);
    }
    FindClose(search);
    EXPECT_EQ(names, (std::vector<std::string>{".", "..", "hello.exe"}));
}

// A name and texts outside every ANSI code page: the tool names its files
// through the wide calls, and its texts reach the version resource as the
// characters they are.
TEST(BrandedCopy, AnyNameAndAnyText)
{
    const std::vector<std::string> sources = ourExecutables("x64");
    ASSERT_FALSE(sources.empty());
    const std::wstring name = L"\u03A9mega \u2615.exe";
    const std::wstring target = L"C:\\qt\\brand-unicode\\" + name;
    // Removed by name: the scratch folders' cleanup reaches ANSI names only.
    DeleteFileW(target.c_str());
    removeTree("C:\\qt\\brand-unicode");
    makeFolders("C:\\qt\\brand-unicode");
    ASSERT_EQ(brand(L"\"" + wide(sources[0]) + L"\" \"" + target + L"\" --company \u0416\u4E2D"), 0u);
    DWORD ignored = 0;
    std::vector<char> block(GetFileVersionInfoSizeW(target.c_str(), &ignored));
    ASSERT_FALSE(block.empty()) << GetLastError();
    ASSERT_TRUE(GetFileVersionInfoW(target.c_str(), 0, static_cast<DWORD>(block.size()), block.data()));
    const auto value = [&](const std::wstring& key) {
        wchar_t* text = nullptr;
        UINT length = 0;
        const std::wstring path = L"\\StringFileInfo\\040904E4\\" + key;
        return VerQueryValueW(block.data(), path.c_str(), reinterpret_cast<void**>(&text), &length)
                   ? std::wstring(text)
                   : L"<missing>";
    };
    EXPECT_TRUE(value(L"OriginalFilename") == name);
    EXPECT_TRUE(value(L"ProductName") == L"\u03A9mega \u2615");
    EXPECT_TRUE(value(L"CompanyName") == L"\u0416\u4E2D");
    DeleteFileW(target.c_str());
}

} // namespace
