// Centring the dialog on its owner, in this process: real windows, placed
// where a person's windows could be.

#include "ui/CenterWindow.h"

#include "Desktop.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace {

struct OwnerRow {
    const char* what;
    int ownerX, ownerY;
    int ownerShow; // SW_SHOWNOACTIVATE, SW_HIDE, SW_SHOWMINNOACTIVE
    bool onOwner;  // else on the work area
};

TEST(CenterWindow, OnAVisibleOwnerElseOnTheWorkArea)
{
    if (!haveDisplay()) {
        GTEST_SKIP() << "no DISPLAY: windows need a screen to be placed on";
    }
    RECT area{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    const int width = 200, height = 100, ownerWidth = 400, ownerHeight = 300;
    const OwnerRow rows[] = {
        {"visible owner", 100, 80, SW_SHOWNOACTIVATE, true},
        {"hidden owner", 100, 80, SW_HIDE, false},
        {"minimised owner", 100, 80, SW_SHOWMINNOACTIVE, false},
    };
    for (const OwnerRow& row : rows) {
        HWND owner = CreateWindowExA(0, "STATIC", "owner", WS_POPUP | WS_BORDER, row.ownerX, row.ownerY, ownerWidth,
                                     ownerHeight, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(owner, nullptr);
        ShowWindow(owner, row.ownerShow);
        HWND window = CreateWindowExA(0, "STATIC", "centred", WS_POPUP | WS_BORDER, 3, 4, width, height, owner,
                                      nullptr, nullptr, nullptr);
        ASSERT_NE(window, nullptr);

        centerWindow(window);
        RECT placed{};
        GetWindowRect(window, &placed);
        RECT reference = area;
        if (row.onOwner) {
            GetWindowRect(owner, &reference);
        }
        EXPECT_EQ(placed.left, (reference.left + reference.right) / 2 - width / 2) << row.what;
        EXPECT_EQ(placed.top, (reference.top + reference.bottom) / 2 - height / 2) << row.what;
        EXPECT_EQ(placed.right - placed.left, width) << "size kept: " << row.what;
        DestroyWindow(window);
        DestroyWindow(owner);
    }
}

TEST(CenterWindow, StaysInsideTheWorkArea)
{
    if (!haveDisplay()) {
        GTEST_SKIP() << "no DISPLAY: windows need a screen to be placed on";
    }
    RECT area{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    // An owner hanging over the bottom right corner.
    HWND owner = CreateWindowExA(0, "STATIC", "owner", WS_POPUP | WS_VISIBLE, area.right - 50, area.bottom - 40, 300,
                                 200, nullptr, nullptr, nullptr, nullptr);
    HWND window = CreateWindowExA(0, "STATIC", "centred", WS_POPUP, 0, 0, 200, 100, owner, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    centerWindow(window);
    RECT placed{};
    GetWindowRect(window, &placed);
    EXPECT_EQ(placed.right, area.right);
    EXPECT_EQ(placed.bottom, area.bottom);
    DestroyWindow(window);
    DestroyWindow(owner);
}

} // namespace
