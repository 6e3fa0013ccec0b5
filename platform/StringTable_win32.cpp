#include "platform/System.h"

#include <windows.h>

namespace platform {

std::string loadString(unsigned id) noexcept
{
    // LoadStringA cannot report a text's length beforehand; the table's
    // longest entry is far below this size.
    char buffer[1024];
    const int length = LoadStringA(GetModuleHandleA(nullptr), id, buffer, sizeof buffer);
    return std::string(buffer, length > 0 ? static_cast<std::size_t>(length) : 0);
}

} // namespace platform
