#include "Desktop.h"

#include "Product.h"

#include <gtest/gtest.h>

bool haveDisplay()
{
    return GetEnvironmentVariableA("DISPLAY", nullptr, 0) > 0;
}

namespace {

struct Search {
    DWORD processId;
    const std::string* caption;
    const char* className;
    HWND owner;
    HWND found;
};

BOOL CALLBACK visit(HWND window, LPARAM parameter)
{
    auto& search = *reinterpret_cast<Search*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search.processId || !IsWindowVisible(window)) {
        return TRUE;
    }
    if (search.caption != nullptr && windowText(window) != *search.caption) {
        return TRUE;
    }
    if (search.className != nullptr &&
        (windowClass(window) != search.className || GetWindow(window, GW_OWNER) != search.owner)) {
        return TRUE;
    }
    search.found = window;
    return FALSE;
}

} // namespace

HWND findWindow(DWORD processId, const std::string& caption)
{
    Search search{processId, &caption, nullptr, nullptr, nullptr};
    EnumWindows(visit, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND findOwnedWindow(DWORD processId, const char* className, HWND owner)
{
    Search search{processId, nullptr, className, owner, nullptr};
    EnumWindows(visit, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND findDescendant(HWND parent, const char* className)
{
    struct Search {
        const char* className;
        HWND found;
    } search{className, nullptr};
    EnumChildWindows(
        parent,
        [](HWND window, LPARAM parameter) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(parameter);
            if (windowClass(window) == s.className) {
                s.found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string windowText(HWND window)
{
    char text[1024] = "";
    // WM_GETTEXT is carried across processes by the system.
    const LRESULT length = SendMessageA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return std::string(text, static_cast<std::size_t>(length));
}

std::string windowClass(HWND window)
{
    char name[256] = "";
    return std::string(name, static_cast<std::size_t>(GetClassNameA(window, name, sizeof name)));
}

namespace {

GUITHREADINFO threadInfo(HWND window)
{
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
    return info;
}

} // namespace

HWND focusOf(HWND window)
{
    return threadInfo(window).hwndFocus;
}

HWND captureOf(HWND window)
{
    return threadInfo(window).hwndCapture;
}

RECT screenRect(HWND window)
{
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect;
}

void pressKey(WORD virtualKey)
{
    INPUT keys[2]{};
    keys[0].type = keys[1].type = INPUT_KEYBOARD;
    keys[0].ki.wVk = keys[1].ki.wVk = virtualKey;
    keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, keys, sizeof(INPUT));
}

void moveMouse(int x, int y)
{
    INPUT move{};
    move.type = INPUT_MOUSE;
    move.mi.dx = (x * 65536 + 32768) / GetSystemMetrics(SM_CXSCREEN);
    move.mi.dy = (y * 65536 + 32768) / GetSystemMetrics(SM_CYSCREEN);
    move.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &move, sizeof move);
    EXPECT_TRUE(waitFor(
        [&] {
            POINT at{};
            return GetCursorPos(&at) && at.x == x && at.y == y;
        },
        2000))
        << "the pointer did not reach " << x << "," << y;
}

void mouseButton(bool down)
{
    INPUT button{};
    button.type = INPUT_MOUSE;
    button.mi.dwFlags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
    SendInput(1, &button, sizeof button);
}

bool activate(HWND window)
{
    SetForegroundWindow(window);
    return waitFor([&] { return GetForegroundWindow() == window; }, 5000);
}

HCURSOR shownCursor()
{
    CURSORINFO info{};
    info.cbSize = sizeof info;
    GetCursorInfo(&info);
    return info.hCursor;
}

Image captureScreen(const RECT& rect)
{
    Image image;
    image.width = rect.right - rect.left;
    image.height = rect.bottom - rect.top;
    image.pixels.assign(static_cast<std::size_t>(image.width) * image.height, 0);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = image.width;
    info.bmiHeader.biHeight = -image.height; // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, image.width, image.height, screen, rect.left, rect.top, SRCCOPY);
    GdiFlush();
    const auto* source = static_cast<const std::uint32_t*>(bits);
    for (std::size_t i = 0; i < image.pixels.size(); ++i) {
        image.pixels[i] = source[i] & 0xFFFFFFu;
    }
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return image;
}

void saveScreenshot(const std::string& name, const Image& image)
{
    const std::string folder = buildFolder() + "screenshots";
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string png = encodePng(image);
    const std::string path = folder + "\\" + name + ".png";
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    DWORD written = 0;
    WriteFile(file, png.data(), static_cast<DWORD>(png.size()), &written, nullptr);
    CloseHandle(file);
}

RemoteBlock::RemoteBlock(HANDLE process, std::size_t size)
    : process_(process), address_(VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE))
{
    EXPECT_NE(address_, nullptr) << GetLastError();
}

RemoteBlock::~RemoteBlock()
{
    if (address_ != nullptr) {
        VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
    }
}

void RemoteBlock::write(const void* data, std::size_t size, std::size_t offset) const
{
    SIZE_T done = 0;
    EXPECT_TRUE(WriteProcessMemory(process_, static_cast<char*>(address_) + offset, data, size, &done));
}

std::string RemoteBlock::read(std::size_t size, std::size_t offset) const
{
    std::string data(size, '\0');
    SIZE_T done = 0;
    ReadProcessMemory(process_, static_cast<char*>(address_) + offset, data.data(), size, &done);
    data.resize(done);
    return data;
}
