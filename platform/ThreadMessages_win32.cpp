#include "platform/ThreadMessages.h"

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

bool allowForegroundForOwnInstance(std::uint32_t threadId) noexcept
{
    const UniqueHandle thread(OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE, threadId));
    const DWORD processId = thread ? GetProcessIdOfThread(thread.get()) : 0;
    const UniqueHandle process(processId != 0 ? OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId)
                                              : nullptr);
    char theirs[MAX_PATH];
    DWORD length = MAX_PATH;
    char ours[MAX_PATH];
    const DWORD ownLength = GetModuleFileNameA(nullptr, ours, MAX_PATH);
    // Instances meet under their full path, so a first instance of ours runs
    // from this very path; file systems ignore case.
    if (!process || !QueryFullProcessImageNameA(process.get(), 0, theirs, &length) || ownLength == 0 ||
        ownLength >= MAX_PATH || lstrcmpiA(theirs, ours) != 0) {
        return false;
    }
    (void)AllowSetForegroundWindow(processId); // refused only where this process has no rights to pass on
    return true;
}

} // namespace platform
