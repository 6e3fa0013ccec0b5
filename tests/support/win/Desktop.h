#pragma once
// What a person does and sees at the desktop, for tests that drive another
// process's windows: find them, read their texts, type, point, click, and
// look at the pixels on the screen.

#include "Png.h"
#include "Waiting.h"

#include <windows.h>

#include <string>

// True when a display is there to show windows on (tests/support/wine.sh gives the
// test run one; by hand it may be missing).
bool haveDisplay();

// A visible top-level window of the process with exactly this caption, or
// null.
HWND findWindow(DWORD processId, const std::string& caption);
// The first visible top-level window of the process of this class owned by
// `owner`, or null.
HWND findOwnedWindow(DWORD processId, const char* className, HWND owner);

// The first window of this class among `parent`'s descendants, or null.
HWND findDescendant(HWND parent, const char* className);

std::string windowText(HWND window);
std::string windowClass(HWND window);
// The window holding the keyboard focus in `window`'s thread.
HWND focusOf(HWND window);
// The window holding the mouse capture in `window`'s thread.
HWND captureOf(HWND window);
// Screen rectangle of a window.
RECT screenRect(HWND window);

// Presses and releases a key as the keyboard would (SendInput). The window
// in front handles it in its own time: a test waits for what it does.
void pressKey(WORD virtualKey);
// Moves the mouse to a screen point, and returns once the pointer is there.
void moveMouse(int x, int y);
// Presses or releases the left button where the pointer is; handled, like
// a key, in the window's own time.
void mouseButton(bool down);
// Brings a window to the front so that the keyboard reaches it; true once
// it is there.
[[nodiscard]] bool activate(HWND window);
// The cursor shown now.
HCURSOR shownCursor();

// Pixels of a screen rectangle, as shown.
Image captureScreen(const RECT& rect);
// Saves an image as <build folder>\screenshots\<name>.png.
void saveScreenshot(const std::string& name, const Image& image);

// A block of memory inside another process, for messages whose parameters
// point at data (they cross no process boundary by themselves).
class RemoteBlock {
public:
    RemoteBlock(HANDLE process, std::size_t size);
    ~RemoteBlock();
    RemoteBlock(const RemoteBlock&) = delete;
    RemoteBlock& operator=(const RemoteBlock&) = delete;
    void* address() const { return address_; }
    void write(const void* data, std::size_t size, std::size_t offset = 0) const;
    std::string read(std::size_t size, std::size_t offset = 0) const;

private:
    HANDLE process_;
    void* address_;
};
