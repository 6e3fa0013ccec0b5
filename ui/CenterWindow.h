#pragma once

#include <windows.h>

// Moves a top-level window to the middle of its owner, or of the primary
// work area when it has no visible, unminimised owner, keeping it inside the
// work area. Size, z-order and activation stay.
void centerWindow(HWND window) noexcept;
