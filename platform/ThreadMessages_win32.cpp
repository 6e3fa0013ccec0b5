#include "platform/System.h"

#include <windows.h>

namespace platform {

std::uint32_t registerMessage(const std::string& name) noexcept { return RegisterWindowMessageA(name.c_str()); }

void createMessageQueue() noexcept
{
    // The first call of a window-manager function makes the thread's queue.
    MSG message;
    PeekMessageA(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
}

bool postThreadMessage(std::uint32_t threadId, std::uint32_t message) noexcept
{
    return PostThreadMessageA(threadId, message, 0, 0) != FALSE;
}

bool postQuit(std::uint32_t threadId) noexcept { return postThreadMessage(threadId, WM_QUIT); }

bool nextThreadMessage(std::uint32_t& message) noexcept
{
    MSG received;
    // -1 (a queue that cannot be read) ends the loop as WM_QUIT does, rather
    // than spinning on it.
    if (GetMessageA(&received, nullptr, 0, 0) <= 0) {
        return false;
    }
    message = received.message;
    return true;
}

void allowForegroundForThreadOwner(std::uint32_t threadId) noexcept
{
    const UniqueHandle thread(OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE, threadId));
    if (!thread) {
        return;
    }
    const DWORD process = GetProcessIdOfThread(thread.get());
    if (process != 0) {
        AllowSetForegroundWindow(process);
    }
}

} // namespace platform
