#pragma once
// Messages between threads, and the foreground they may pass on (Windows).
// Unless a declaration says otherwise, a call that fails leaves its outputs
// untouched and the reason in lastError() (platform/Errors.h).

#include "platform/Handles.h"

#include <cstdint>
#include <string>

namespace platform {

// RegisterWindowMessageA: the identifier, 0 on failure.
std::uint32_t registerMessage(const std::string& name) noexcept;
// Gives the calling thread a message queue, so that posts to it can succeed.
void createMessageQueue() noexcept;
// PostThreadMessageA with wParam 0 and lParam 0.
[[nodiscard]] bool postThreadMessage(std::uint32_t threadId, std::uint32_t message) noexcept;
[[nodiscard]] bool postQuit(std::uint32_t threadId) noexcept;
// Waits for the next message of the calling thread's queue; false once
// WM_QUIT arrives (or the queue cannot be read).
[[nodiscard]] bool nextThreadMessage(std::uint32_t& message) noexcept;
// Lets the process that owns the thread bring a window to the foreground (a
// process may only hand on what it has itself), when that process runs the
// same executable as this one (its full path, ignoring case): nobody else
// is given this process's rights for having written a thread identifier
// where ours is expected. True when that is the case.
bool allowForegroundForOwnInstance(std::uint32_t threadId) noexcept;

} // namespace platform
