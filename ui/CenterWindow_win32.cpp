#include "ui/CenterWindow.h"

#include "ui/Centering.h"

namespace {

ui::Rect toRect(const RECT& rect)
{
    return {rect.left, rect.top, rect.right, rect.bottom};
}

} // namespace

void centerWindow(HWND window) noexcept
{
    HWND owner = GetWindow(window, GW_OWNER);
    if (owner != nullptr && (!IsWindowVisible(owner) || IsIconic(owner))) {
        owner = nullptr;
    }
    RECT area{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    RECT reference = area;
    if (owner != nullptr) {
        GetWindowRect(owner, &reference);
    }
    RECT own{};
    GetWindowRect(window, &own);
    const ui::Position at = ui::centredPosition(toRect(own), toRect(reference), toRect(area));
    SetWindowPos(window, nullptr, static_cast<int>(at.x), static_cast<int>(at.y), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
