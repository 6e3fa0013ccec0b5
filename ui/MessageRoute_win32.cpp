#include "ui/MessageRoute.h"

namespace ui {
namespace {

constexpr const char* routeProperty = "Quarnel.MessageRoute";
// A taken-over window's own procedure, kept on the window for as long as our
// procedure may still be called after the route is gone.
constexpr const char* previousProperty = "Quarnel.PreviousProcedure";

} // namespace

MessageRoute::~MessageRoute()
{
    unbind();
}

bool MessageRoute::bind(HWND window) noexcept
{
    if (!SetPropA(window, routeProperty, this)) {
        return false;
    }
    window_ = window;
    return true;
}

void MessageRoute::unbind() noexcept
{
    if (window_ == nullptr) {
        return;
    }
    RemovePropA(window_, routeProperty);
    // Someone who subclassed the window after us still calls into our
    // procedure, which from now on passes through: putting the control's own
    // back over theirs would cut them off.
    if (tookOver_ && previous_ != DefWindowProcA &&
        reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window_, GWLP_WNDPROC)) == controlProcedure) {
        SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous_));
        RemovePropA(window_, previousProperty);
    }
    window_ = nullptr;
    tookOver_ = false;
}

INT_PTR CALLBACK MessageRoute::dialogProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        auto* route = reinterpret_cast<MessageRoute*>(lParam);
        if (route == nullptr || !route->bind(window)) {
            return FALSE;
        }
    }
    auto* route = static_cast<MessageRoute*>(GetPropA(window, routeProperty));
    if (route == nullptr) {
        return FALSE;
    }
    LRESULT result = 0;
    const bool handled = route->handler_.handleMessage(message, wParam, lParam, result);
    if (message == WM_NCDESTROY) {
        route->unbind();
    }
    if (!handled) {
        return FALSE;
    }
    // WM_INITDIALOG answers through the return value (whether the platform
    // sets the focus); everything else through the message result.
    if (message == WM_INITDIALOG) {
        return static_cast<INT_PTR>(result);
    }
    SetWindowLongPtrA(window, DWLP_MSGRESULT, result);
    return TRUE;
}

bool MessageRoute::takeOver(HWND window) noexcept
{
    if (window_ != nullptr || !bind(window)) {
        return false;
    }
    const LONG_PTR previous = SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(controlProcedure));
    if (previous == 0) {
        unbind();
        return false;
    }
    previous_ = reinterpret_cast<WNDPROC>(previous);
    tookOver_ = true;
    SetPropA(window, previousProperty, reinterpret_cast<HANDLE>(previous));
    return true;
}

LRESULT CALLBACK MessageRoute::controlProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* route = static_cast<MessageRoute*>(GetPropA(window, routeProperty));
    if (route == nullptr) {
        // Unbound while a later subclass still chains to us: pass through.
        auto previous = reinterpret_cast<WNDPROC>(GetPropA(window, previousProperty));
        if (message == WM_NCDESTROY) {
            RemovePropA(window, previousProperty);
        }
        return CallWindowProcA(previous != nullptr ? previous : DefWindowProcA, window, message, wParam, lParam);
    }
    const WNDPROC previous = route->previous_;
    LRESULT result = 0;
    const bool handled = route->handler_.handleMessage(message, wParam, lParam, result);
    if (message == WM_NCDESTROY) {
        route->unbind();
    }
    return handled ? result : CallWindowProcA(previous, window, message, wParam, lParam);
}

} // namespace ui
