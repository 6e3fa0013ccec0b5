#pragma once
// A static text control of a dialog turned into a link: underlined text in
// the user's link colour (another once opened), the hand cursor and a tooltip
// with the address over the text, the keyboard focus and a focus rectangle
// after a click, and the shell's "open" on a click, Enter or Space. The link
// does not change its look while the mouse is over it.
//
// Lives inside its dialog's object, constructed before the dialog's window
// exists; owns its texts, its underlined font, its cursor and its tooltip.
// Only the dialog's thread touches it.

#include "platform/Handles.h"
#include "ui/MessageRoute.h"

#include <windows.h>

class HyperlinkControl final : private ui::MessageHandler {
public:
    HyperlinkControl() noexcept;
    ~HyperlinkControl() = default;
    HyperlinkControl(const HyperlinkControl&) = delete;
    HyperlinkControl& operator=(const HyperlinkControl&) = delete;

    // Takes over an existing static control: its text becomes the label and,
    // unless an address was set before, the address too. False when its
    // window procedure cannot be replaced; the control then stays a plain
    // static and nothing else is done.
    [[nodiscard]] bool attach(HWND window) noexcept;

    // Replace the text drawn / the address opened. False when the copy
    // cannot be allocated; that text is then none.
    [[nodiscard]] bool setLabel(const char* text) noexcept;
    [[nodiscard]] bool setAddress(const char* text) noexcept;

    // Opens the address with the shell. True when the shell accepted it; the
    // link then shows as visited. A failure is not reported.
    bool navigate() noexcept;

    // Measures where the text lies in the control. False, leaving the last
    // rectangle, when no window is attached or there is no text at all.
    bool computeLinkRect() noexcept;

private:
    bool handleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) noexcept override;
    const char* shownText() const noexcept;
    UINT alignment() const noexcept;
    bool inLink(LPARAM point) const noexcept;
    void addTool() noexcept;
    void readColors() noexcept;
    void paint(HDC given) noexcept;
    void redraw(bool now) noexcept;

    ui::MessageRoute route_;
    platform::UniqueHeapBlock label_;   // narrow text, or none
    platform::UniqueHeapBlock address_; // narrow text, or none
    platform::UniqueCursor handCursor_;
    platform::UniqueGdiObject linkFont_; // underlined copy of normalFont_, ours
    HFONT normalFont_ = nullptr;         // the dialog's; not ours
    RECT linkRect_{};                    // client coordinates
    platform::UniqueWindow toolTip_;
    COLORREF linkColor_;
    COLORREF visitedColor_;
    bool visited_ = false;
};
