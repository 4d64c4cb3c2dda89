// The window base's geometry on the fixed desktop metrics: the main window's outer size with
// and without a sizing border, its tracking sizes, and the placement rules with the clamp
// to the work area.
#include "base/window_base.h"

#include <gtest/gtest.h>

#include "platform/desktop.h"

namespace {

constexpr std::uint32_t kMainStyle =
    0x80000000u | plat::WS_CAPTION | plat::WS_SYSMENU | plat::WS_MINIMIZEBOX | plat::WS_MAXIMIZEBOX;

void MakeMain(cWindowBase& w) {
    w.SetGeometry(640, 480, 100, 100, 640, 480, kMainStyle, 0, 0, 0, 0, 0);
}

TEST(WindowBase, MainWindowOuterSizeFollowsTheFrameOfItsStyle) {
    cWindowBase w;
    MakeMain(w);
    const int dlgX = plat::GetSystemMetrics(plat::SM_CXDLGFRAME);
    const int dlgY = plat::GetSystemMetrics(plat::SM_CYDLGFRAME);
    const int caption = plat::GetSystemMetrics(plat::SM_CYCAPTION);
    EXPECT_EQ(w.rcWindow.right, 640 + 2 * dlgX);
    EXPECT_EQ(w.rcWindow.bottom, 480 + caption + 2 * dlgY);
    EXPECT_EQ(w.rcDraw.right - w.rcDraw.left, 640);
    EXPECT_EQ(w.rcDraw.bottom - w.rcDraw.top, 480);

    w.AddStyle(plat::WS_THICKFRAME);
    const int frameX = plat::GetSystemMetrics(plat::SM_CXFRAME);
    const int frameY = plat::GetSystemMetrics(plat::SM_CYFRAME);
    ASSERT_NE(frameX, dlgX);  // else the test could not tell the metrics apart
    EXPECT_EQ(w.rcWindow.right, 640 + 2 * frameX);
    EXPECT_EQ(w.rcWindow.bottom, 480 + caption + 2 * frameY);

    w.RemoveStyle(plat::WS_THICKFRAME);
    EXPECT_EQ(w.rcWindow.right, 640 + 2 * dlgX);
}

TEST(WindowBase, TrackingSizesAreTheClientLimitsPlusTheFrame) {
    cWindowBase w;
    MakeMain(w);
    MINMAXINFO info{};
    w.GetMinMaxInfo(&info);
    const int extraX = w.rcWindow.right - 640, extraY = w.rcWindow.bottom - 480;
    EXPECT_EQ(info.ptMinTrackSize.x, 100 + extraX);
    EXPECT_EQ(info.ptMinTrackSize.y, 100 + extraY);
    EXPECT_EQ(info.ptMaxTrackSize.x, 640 + extraX);
    EXPECT_EQ(info.ptMaxTrackSize.y, 480 + extraY);
    // The dispatcher answers WM_GETMINMAXINFO the same way.
    MINMAXINFO dispatched{};
    EXPECT_EQ(
        w.Dispatch(nullptr, plat::WM_GETMINMAXINFO, 0, reinterpret_cast<plat::LPARAM>(&dispatched)),
        1);
    EXPECT_EQ(dispatched.ptMaxTrackSize.x, info.ptMaxTrackSize.x);
}

TEST(WindowBase, PlaceKeepsTheWindowInsideTheWorkArea) {
    const plat::RECT work = plat::GetWorkArea();
    struct Case {
        int x, y;
        bool moved;
        int expectX, expectY;
    };
    cWindowBase probe;
    MakeMain(probe);
    const int width = probe.rcWindow.right, height = probe.rcWindow.bottom;
    const Case cases[] = {
        {-50, 10, true, 0, 10},
        {work.right - width, 20, true, work.right - width, 20},  // reaches the edge
        {work.right - width - 1, 20, true, work.right - width - 1, 20},
        {work.right, work.bottom, true, work.right - width, work.bottom - height},
        {-1000, 300, false, 7, 9},  // no request: left where it was
        {300, -1000, false, 7, 9},
    };
    for (const Case& c : cases) {
        cWindowBase w;
        MakeMain(w);
        w.ptWindow = plat::POINT{7, 9};
        w.nPlaceX = c.x;
        w.nPlaceY = c.y;
        w.Place();
        EXPECT_EQ(w.ptWindow.x, c.expectX) << c.x << "," << c.y;
        EXPECT_EQ(w.ptWindow.y, c.expectY) << c.x << "," << c.y;
    }
}

TEST(WindowBase, PlaceCentresOverTheOwnersClientArea) {
    cWindowBase owner;
    MakeMain(owner);
    owner.ptWindow = plat::POINT{100, 50};
    cWindowBase w;
    w.SetGeometry(200, 100, 0, 0, 0, 0, plat::WS_CAPTION, 0, 0, 0, 0, 0);
    w.lpOwnerWnd = &owner;
    w.bCentre = 1;
    w.Place();
    EXPECT_EQ(w.ptWindow.x, 100 + 320 - 100);
    EXPECT_EQ(w.ptWindow.y, 50 + 240 - 50);
}

TEST(WindowBase, CentreOnDesktopRemembersWhereTheWindowWillShow) {
    cWindowBase w;
    MakeMain(w);
    w.CentreOnDesktop();
    const plat::RECT desktop = plat::GetDesktopRect();
    EXPECT_EQ(w.ptWindow.x, (desktop.right - w.rcWindow.right) / 2);
    EXPECT_EQ(w.ptWindow.y, (desktop.bottom - w.rcWindow.bottom) / 2);
}

}  // namespace
