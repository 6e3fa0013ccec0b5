// Stands in for the browser in the dialog tests: registered as the handler of
// the link's URL scheme, it appends the address it was asked to open, one
// line each, to the file named first on its command line.
//
// As a browser would, it takes the foreground from the dialog: it shows a
// window of its own, makes it the foreground window, and closes it again.
// Only then does it write the line, so that a test that has seen the line
// knows the foreground has come and gone, and can bring the dialog back
// without another program taking it away afterwards.

#include <windows.h>

#include <cstdio>

namespace {

// Waits for the window to be in front, handling its messages meanwhile;
// five seconds at most.
bool takeForeground(HWND window)
{
    SetForegroundWindow(window);
    const ULONGLONG end = GetTickCount64() + 5000;
    while (GetForegroundWindow() != window) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageA(&message);
        }
        if (GetTickCount64() > end) {
            return false;
        }
        Sleep(10);
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        return 2;
    }
    HWND window = CreateWindowExA(0, "STATIC", "browser stand-in", WS_POPUP | WS_CAPTION | WS_VISIBLE, 600, 500, 200,
                                  80, nullptr, nullptr, nullptr, nullptr);
    const bool inFront = window != nullptr && takeForeground(window);
    if (window != nullptr) {
        DestroyWindow(window);
    }
    std::FILE* file = std::fopen(argv[1], "ab");
    if (file == nullptr) {
        return 1;
    }
    std::fprintf(file, "%s%s\n", argv[2], inFront ? "" : " (never in front)");
    std::fclose(file);
    return 0;
}
