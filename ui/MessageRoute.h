#pragma once
// Per-object routing of window messages, shared by the dialogs and the
// controls they take over. A window is bound to the object that handles its
// messages when it is created (a dialog, at WM_INITDIALOG) or taken over (an
// existing control, whose procedure is replaced); what the object does not
// handle goes on to the default dialog handling or the control's own
// procedure; at the window's final message, WM_NCDESTROY, the binding ends.
// Nothing global: the window itself carries its route as a property.

#include <windows.h>

namespace ui {

class MessageHandler {
public:
    // True when the message was handled, with `result` its answer; false
    // passes it on.
    virtual bool handleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) noexcept = 0;

protected:
    ~MessageHandler() = default;
};

class MessageRoute {
public:
    explicit MessageRoute(MessageHandler& handler) noexcept : handler_(handler) {}
    // A window still bound (its owner object dies first) is let go, its own
    // procedure put back.
    ~MessageRoute();
    MessageRoute(const MessageRoute&) = delete;
    MessageRoute& operator=(const MessageRoute&) = delete;

    // The bound window; null before binding and after the final message.
    HWND window() const noexcept { return window_; }

    // For DialogBoxParamA: the procedure and the initialisation parameter
    // that carries this route to WM_INITDIALOG. Messages before it are left
    // to the default dialog handling.
    static INT_PTR CALLBACK dialogProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LPARAM dialogParameter() noexcept { return reinterpret_cast<LPARAM>(this); }

    // Replaces an existing window's procedure with the route's. False, with
    // nothing bound, when the platform refuses.
    [[nodiscard]] bool takeOver(HWND window) noexcept;

private:
    static LRESULT CALLBACK controlProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    [[nodiscard]] bool bind(HWND window) noexcept;
    void unbind() noexcept;

    MessageHandler& handler_;
    HWND window_ = nullptr;
    // A taken-over window's own procedure; a dialog keeps the default.
    WNDPROC previous_ = DefWindowProcA;
    bool tookOver_ = false;
};

} // namespace ui
