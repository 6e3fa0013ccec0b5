#pragma once
// Scoped device contexts and selections, so that painting and measuring
// undo every selection and give back every context on every path.

#include <windows.h>

namespace ui {

// GetDC / ReleaseDC.
class WindowDc {
public:
    explicit WindowDc(HWND window) noexcept : window_(window), dc_(GetDC(window)) {}
    ~WindowDc()
    {
        if (dc_ != nullptr) {
            ReleaseDC(window_, dc_);
        }
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC get() const noexcept { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// The context a WM_PAINT or WM_PRINTCLIENT draws into: the one given with the
// message, else BeginPaint's, ended with EndPaint.
class PaintDc {
public:
    PaintDc(HWND window, HDC given) noexcept : window_(window), dc_(given)
    {
        if (dc_ == nullptr) {
            dc_ = BeginPaint(window, &paint_);
            began_ = true;
        }
    }
    ~PaintDc()
    {
        if (began_) {
            EndPaint(window_, &paint_);
        }
    }
    PaintDc(const PaintDc&) = delete;
    PaintDc& operator=(const PaintDc&) = delete;
    HDC get() const noexcept { return dc_; }

private:
    HWND window_;
    HDC dc_;
    PAINTSTRUCT paint_{};
    bool began_ = false;
};

// A font selected into a context for the scope's life; no font selects
// nothing and the context's own font stays.
class SelectedFont {
public:
    SelectedFont(HDC dc, HFONT font) noexcept
        : dc_(dc), previous_(dc != nullptr && font != nullptr ? SelectObject(dc, font) : nullptr)
    {
    }
    ~SelectedFont()
    {
        if (previous_ != nullptr) {
            SelectObject(dc_, previous_);
        }
    }
    SelectedFont(const SelectedFont&) = delete;
    SelectedFont& operator=(const SelectedFont&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// A text colour for the scope's life.
class TextColor {
public:
    TextColor(HDC dc, COLORREF color) noexcept : dc_(dc), previous_(SetTextColor(dc, color)) {}
    ~TextColor() { SetTextColor(dc_, previous_); }
    TextColor(const TextColor&) = delete;
    TextColor& operator=(const TextColor&) = delete;

private:
    HDC dc_;
    COLORREF previous_;
};

} // namespace ui
