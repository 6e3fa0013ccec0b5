#pragma once
// Where a top-level window goes when it is centred: on its owner, or on the
// work area when it has none, and never beyond the work area's edges.

namespace ui {

struct Rect {
    long left = 0;
    long top = 0;
    long right = 0;
    long bottom = 0;
};

struct Position {
    long x = 0;
    long y = 0;
    friend bool operator==(const Position& a, const Position& b) { return a.x == b.x && a.y == b.y; }
};

// The top-left corner for `window` (only its size counts) centred on
// `reference` (the owner's rectangle, or the work area itself), then moved
// back into `workArea`: a start before the area's start moves to it, else an
// end past the area's end moves back to it (so a window larger than the area
// may still start before it).
Position centredPosition(const Rect& window, const Rect& reference, const Rect& workArea) noexcept;

} // namespace ui
