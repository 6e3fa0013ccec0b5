#include "platform/Handles.h"

#include <cerrno>
#include <unistd.h>

namespace platform {

void FileDescriptorTraits::release(Value value) noexcept
{
    const int saved = errno;
    // Not retried on EINTR: Linux releases the descriptor even then, and a
    // retry could close one another thread has just been given.
    ::close(value);
    errno = saved;
}

} // namespace platform
