#include "ui/Centering.h"

namespace ui {
namespace {

long clampedStart(long start, long size, long areaStart, long areaEnd)
{
    if (start < areaStart) {
        return areaStart;
    }
    return start + size > areaEnd ? areaEnd - size : start;
}

} // namespace

Position centredPosition(const Rect& window, const Rect& reference, const Rect& workArea) noexcept
{
    const long width = window.right - window.left;
    const long height = window.bottom - window.top;
    // Each half rounds toward zero, as C's division does, also left of or
    // above the primary monitor where coordinates are negative.
    const long x = (reference.left + reference.right) / 2 - width / 2;
    const long y = (reference.top + reference.bottom) / 2 - height / 2;
    return {clampedStart(x, width, workArea.left, workArea.right),
            clampedStart(y, height, workArea.top, workArea.bottom)};
}

} // namespace ui
