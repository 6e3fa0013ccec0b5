#include "ui/HyperlinkControl.h"

#include "text/AnsiText.h"
#include "ui/HandCursor.h"
#include "ui/LinkColor.h"
#include "ui/Painting.h"
#include "ui/ShellOpen.h"

#include <commctrl.h>

#include <cstring>
#include <string_view>

namespace {

// Where the user's browser keeps its link colours.
constexpr const char* browserSettingsKey = "Software\\Microsoft\\Internet Explorer\\Settings";
// The access the colours are read with: read and write, as the browser's own
// settings code opens it.
constexpr REGSAM browserSettingsAccess = 0x2001F;
// Holds "255,255,255" and its terminator, and nothing longer.
constexpr DWORD colorTextBuffer = 12;

constexpr UINT toolId = 1;

platform::UniqueHeapBlock copyText(const char* text) noexcept
{
    const std::size_t size = std::strlen(text) + 1;
    void* block = HeapAlloc(GetProcessHeap(), 0, size);
    if (block != nullptr) {
        std::memcpy(block, text, size);
    }
    return platform::UniqueHeapBlock(block);
}

COLORREF toColorRef(const ui::Rgb& color) noexcept
{
    return RGB(color.red, color.green, color.blue);
}

// A colour value: a terminated string that fits the buffer and parses.
// Anything else leaves `color` as it was.
void readColorValue(HKEY key, const char* name, COLORREF& color) noexcept
{
    char text[colorTextBuffer];
    DWORD type = 0;
    DWORD size = sizeof text;
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text), &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ) || size == 0 || text[size - 1] != '\0') {
        return;
    }
    if (const std::optional<ui::Rgb> parsed = ui::parseColorText(std::string_view(text))) {
        color = toColorRef(*parsed);
    }
}

} // namespace

HyperlinkControl::HyperlinkControl() noexcept
    : route_(*this), linkColor_(toColorRef(ui::defaultLinkColor)), visitedColor_(toColorRef(ui::defaultVisitedColor))
{
}

bool HyperlinkControl::attach(HWND window) noexcept
{
    if (!route_.takeOver(window)) {
        return false;
    }
    // A static ignores the mouse unless it notifies its parent.
    char className[8];
    if (GetClassNameA(window, className, sizeof className) > 0 && text::equalsIgnoringCase(className, "static")) {
        SetWindowLongPtrA(window, GWL_STYLE, GetWindowLongPtrA(window, GWL_STYLE) | SS_NOTIFY);
    }

    const HINSTANCE module = GetModuleHandleA(nullptr);
    const ui::CursorPlanes planes = ui::handCursorPlanes();
    handCursor_.reset(CreateCursor(module, ui::handCursorHotSpotX, ui::handCursorHotSpotY, ui::handCursorSize,
                                   ui::handCursorSize, planes.mask.data(), planes.image.data()));

    normalFont_ = reinterpret_cast<HFONT>(SendMessageA(GetParent(window), WM_GETFONT, 0, 0));
    if (normalFont_ == nullptr) {
        normalFont_ = static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
    }
    if (!linkFont_) {
        LOGFONTA description{};
        if (GetObjectA(normalFont_, sizeof description, &description) != 0) {
            description.lfUnderline = TRUE;
            linkFont_.reset(CreateFontIndirectA(&description));
        }
    }

    INITCOMMONCONTROLSEX classes{sizeof classes, ICC_BAR_CLASSES};
    InitCommonControlsEx(&classes);
    toolTip_.reset(CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, 0, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                   CW_USEDEFAULT, window, nullptr, module, nullptr));

    const int length = GetWindowTextLengthA(window);
    if (!label_ && length > 0) {
        std::string text(static_cast<std::size_t>(length) + 1, '\0');
        GetWindowTextA(window, text.data(), length + 1);
        static_cast<void>(setLabel(text.c_str()));
    }
    computeLinkRect();
    if (address_) {
        SendMessageA(static_cast<HWND>(toolTip_.get()), TTM_ACTIVATE, TRUE, 0);
        addTool();
    } else if (label_) {
        static_cast<void>(setAddress(static_cast<const char*>(label_.get())));
    }
    readColors();
    return true;
}

void HyperlinkControl::readColors() noexcept
{
    HKEY opened = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, browserSettingsKey, 0, browserSettingsAccess, &opened) != ERROR_SUCCESS) {
        return;
    }
    const platform::UniqueRegistryKey key(opened);
    readColorValue(opened, "Anchor Color", linkColor_);
    readColorValue(opened, "Anchor Color Visited", visitedColor_);
}

bool HyperlinkControl::setLabel(const char* text) noexcept
{
    label_ = copyText(text);
    if (!label_) {
        return false;
    }
    computeLinkRect();
    if (route_.window() != nullptr) {
        SetWindowTextA(route_.window(), text);
    }
    return true;
}

bool HyperlinkControl::setAddress(const char* text) noexcept
{
    address_ = copyText(text);
    if (!address_) {
        return false;
    }
    if (!label_) {
        computeLinkRect();
    }
    if (toolTip_ && IsWindow(static_cast<HWND>(toolTip_.get()))) {
        SendMessageA(static_cast<HWND>(toolTip_.get()), TTM_ACTIVATE, TRUE, 0);
        addTool();
    }
    return true;
}

void HyperlinkControl::addTool() noexcept
{
    // The tool is not subclassed by the tooltip: it sees the mouse only
    // through the messages the control relays.
    TOOLINFOA tool{};
    tool.cbSize = TTTOOLINFOA_V2_SIZE;
    tool.uFlags = 0;
    tool.hwnd = route_.window();
    tool.uId = toolId;
    tool.rect = linkRect_;
    tool.hinst = GetModuleHandleA(nullptr);
    tool.lpszText = static_cast<char*>(address_.get());
    tool.lParam = 0;
    SendMessageA(static_cast<HWND>(toolTip_.get()), TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}

const char* HyperlinkControl::shownText() const noexcept
{
    return static_cast<const char*>(label_ ? label_.get() : address_.get());
}

UINT HyperlinkControl::alignment() const noexcept
{
    const LONG_PTR kind = GetWindowLongPtrA(route_.window(), GWL_STYLE) & SS_TYPEMASK;
    if (kind == SS_CENTER) {
        return DT_CENTER;
    }
    return kind == SS_RIGHT ? DT_RIGHT : DT_LEFT;
}

bool HyperlinkControl::computeLinkRect() noexcept
{
    const HWND window = route_.window();
    if (window == nullptr || shownText() == nullptr) {
        return false;
    }
    RECT client{};
    GetClientRect(window, &client);
    RECT text = client;
    const UINT align = alignment();
    {
        const ui::WindowDc dc(window);
        const ui::SelectedFont font(dc.get(), static_cast<HFONT>(linkFont_.get()));
        DrawTextA(dc.get(), shownText(), -1, &text, DT_CALCRECT | DT_WORDBREAK | align);
    }
    // The measurement leaves the text at the left; move it where the
    // alignment draws it.
    if (align == DT_CENTER) {
        OffsetRect(&text, (client.right - text.right) / 2, 0);
    } else if (align == DT_RIGHT) {
        OffsetRect(&text, client.right - text.right, 0);
    }
    linkRect_ = text;
    return true;
}

bool HyperlinkControl::navigate() noexcept
{
    if (!ui::openWithShell(static_cast<const char*>(address_.get()))) {
        return false;
    }
    visited_ = true;
    InvalidateRect(route_.window(), nullptr, TRUE);
    return true;
}

bool HyperlinkControl::inLink(LPARAM point) const noexcept
{
    const POINT at{static_cast<short>(LOWORD(point)), static_cast<short>(HIWORD(point))};
    return PtInRect(&linkRect_, at) != FALSE;
}

void HyperlinkControl::redraw(bool now) noexcept
{
    InvalidateRect(route_.window(), nullptr, TRUE);
    if (now) {
        UpdateWindow(route_.window());
    }
}

void HyperlinkControl::paint(HDC given) noexcept
{
    const HWND window = route_.window();
    const ui::PaintDc dc(window, given);
    RECT client{};
    GetClientRect(window, &client);
    const auto brush = reinterpret_cast<HBRUSH>(
        SendMessageA(GetParent(window), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc.get()),
                     reinterpret_cast<LPARAM>(window)));
    if (brush != nullptr) {
        FillRect(dc.get(), &client, brush);
    }
    SetBkMode(dc.get(), TRANSPARENT);
    const COLORREF color = !IsWindowEnabled(window) ? GetSysColor(COLOR_GRAYTEXT)
                           : visited_              ? visitedColor_
                                                   : linkColor_;
    const ui::TextColor textColor(dc.get(), color);
    const ui::SelectedFont font(dc.get(), linkFont_ ? static_cast<HFONT>(linkFont_.get()) : normalFont_);
    if (shownText() != nullptr) {
        RECT text = linkRect_;
        DrawTextA(dc.get(), shownText(), -1, &text, DT_WORDBREAK | alignment());
    }
    if (GetFocus() == window) {
        DrawFocusRect(dc.get(), &linkRect_);
    }
}

bool HyperlinkControl::handleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) noexcept
{
    const HWND window = route_.window();
    if (message >= WM_MOUSEFIRST && message <= WM_MOUSEWHEEL && toolTip_ &&
        IsWindow(static_cast<HWND>(toolTip_.get()))) {
        MSG relayed{window, message, wParam, lParam, 0, {0, 0}};
        SendMessageA(static_cast<HWND>(toolTip_.get()), TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
    }
    result = 0;
    switch (message) {
    case WM_DESTROY:
        // The tooltip is owned by the dialog, which may have destroyed it
        // already.
        if (IsWindow(static_cast<HWND>(toolTip_.get()))) {
            toolTip_.reset();
        } else {
            static_cast<void>(toolTip_.take());
        }
        return false;
    case WM_ERASEBKGND:
        result = 1;
        return true;
    case WM_PAINT:
    case WM_PRINTCLIENT:
        paint(reinterpret_cast<HDC>(wParam));
        return true;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        redraw(false);
        return true;
    case WM_MOUSEMOVE:
        if (address_ && inLink(lParam)) {
            SetCursor(static_cast<HCURSOR>(handCursor_.get()));
            return true;
        }
        return false;
    case WM_LBUTTONDOWN:
        if (inLink(lParam)) {
            SetFocus(window);
            SetCapture(window);
        }
        return true;
    case WM_LBUTTONUP:
        if (GetCapture() == window) {
            ReleaseCapture();
            if (inLink(lParam)) {
                navigate();
            }
        }
        return true;
    case WM_CHAR:
        if (wParam == '\r' || wParam == ' ') {
            navigate();
        }
        return true;
    case WM_GETDLGCODE: {
        // The dialog manager takes Enter for the default button unless the
        // control asks for that very key; a focused link opens instead.
        const auto* key = reinterpret_cast<const MSG*>(lParam);
        const bool enter = key != nullptr && (key->message == WM_KEYDOWN || key->message == WM_CHAR) &&
                           key->wParam == VK_RETURN;
        result = DLGC_WANTCHARS | (enter ? DLGC_WANTMESSAGE : 0);
        return true;
    }
    case WM_SETCURSOR: {
        POINT at{};
        GetCursorPos(&at);
        ScreenToClient(window, &at);
        if (address_ && PtInRect(&linkRect_, at)) {
            result = 1;
            return true;
        }
        return false;
    }
    case WM_ENABLE:
        redraw(true);
        return true;
    case WM_GETFONT:
        result = reinterpret_cast<LRESULT>(normalFont_);
        return true;
    case WM_SETFONT:
        normalFont_ = reinterpret_cast<HFONT>(wParam);
        if (lParam != 0) {
            redraw(true);
        }
        return true;
    case WM_UPDATEUISTATE:
        return true;
    default:
        return false;
    }
}
