#include "ui/ShellOpen.h"

#include "ui/ComScope.h"

#include <shellapi.h>

namespace ui {

bool openWithShell(const char* address) noexcept
{
    const ComScope com;
    return reinterpret_cast<INT_PTR>(ShellExecuteA(nullptr, "open", address, nullptr, nullptr, SW_SHOWNORMAL)) > 32;
}

} // namespace ui
