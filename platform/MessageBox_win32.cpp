#include "platform/MessageBox.h"

#include <windows.h>

namespace platform {

void showErrorBox(const std::string& title, const std::string& text) noexcept
{
    // In front: a program started from the desktop has no window of its own
    // yet that the box could come up behind.
    MessageBoxA(nullptr, text.c_str(), title.c_str(), MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
}

} // namespace platform
