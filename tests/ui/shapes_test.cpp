#include "ui/shapes.h"

#include <gtest/gtest.h>

#include <utility>

#include "ui_test_support.h"

namespace {

constexpr Gdiplus::ARGB kInk = 0xFF2040C0;

TEST(Shapes, DiameterZeroFillsExactlyTheRectangle) {
    Gdiplus::Bitmap canvas(20, 20, PixelFormat32bppARGB);
    ASSERT_TRUE(fillRoundedRect(&canvas, 5, 6, 8, 4, kInk, 0));
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 20; ++x) {
            bool inside = x >= 5 && x < 13 && y >= 6 && y < 10;
            ASSERT_EQ(pixelOf(canvas, x, y), inside ? kInk : 0u) << x << "," << y;
        }
    }
    EXPECT_FALSE(fillRoundedRect(nullptr, 0, 0, 5, 5, kInk, 0));
}

TEST(Shapes, CornerArcsLeaveTheCornersOutAndFillTheFace) {
    Gdiplus::Bitmap small(20, 20, PixelFormat32bppARGB);
    ASSERT_TRUE(fillRoundedRect(&small, 0, 0, 20, 20, kInk, 4));
    for (auto [x, y] : {std::pair{10, 10}, std::pair{10, 0}, std::pair{0, 10}, std::pair{2, 2}, std::pair{17, 17}}) {
        EXPECT_EQ(pixelOf(small, x, y), kInk) << x << "," << y;
    }
    Gdiplus::Bitmap large(40, 40, PixelFormat32bppARGB);
    ASSERT_TRUE(fillRoundedRect(&large, 0, 0, 40, 40, kInk, 16));
    for (auto [x, y] : {std::pair{0, 0}, std::pair{1, 1}, std::pair{39, 0}, std::pair{0, 39}, std::pair{38, 38}}) {
        EXPECT_EQ(pixelOf(large, x, y), 0u) << x << "," << y;
    }
    EXPECT_EQ(pixelOf(large, 20, 0), kInk);
    EXPECT_EQ(pixelOf(large, 8, 8), kInk);
}

TEST(Shapes, RoundedRegionsClipTheCorners) {
    EXPECT_FALSE(setRoundedRegion(nullptr, 10, 10, 4));
    TestWindow test(100, 60, WS_POPUP);
    ASSERT_TRUE(setRoundedRegion(test.hwnd(), 100, 60, 12));
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(GetWindowRgn(test.hwnd(), region), ERROR);
    EXPECT_FALSE(PtInRegion(region, 0, 0));
    EXPECT_FALSE(PtInRegion(region, 99, 59));
    EXPECT_TRUE(PtInRegion(region, 50, 0));
    EXPECT_TRUE(PtInRegion(region, 6, 6));
    EXPECT_TRUE(PtInRegion(region, 50, 30));

    // For a shape this large GDI+ gives no region handle (so measured under Wine): a failure,
    // and the outline stays.
    EXPECT_FALSE(setRoundedRegion(test.hwnd(), 100000000, 100000000, 12));
    ASSERT_NE(GetWindowRgn(test.hwnd(), region), ERROR);
    EXPECT_FALSE(PtInRegion(region, 0, 0));
    EXPECT_TRUE(PtInRegion(region, 50, 30));
    DeleteObject(region);
}

TEST(Shapes, WindowShapesClipToTheClientAreaOrDropTheFrame) {
    UiWindow none;
    EXPECT_FALSE(setWindowShape(none, 1));

    TestWindow test(200, 100, WS_OVERLAPPEDWINDOW);
    RECT windowRect{};
    RECT client{};
    GetWindowRect(test.hwnd(), &windowRect);
    POINT origin{0, 0};
    ClientToScreen(test.hwnd(), &origin);
    int32_t cl = origin.x - windowRect.left;
    int32_t ct = origin.y - windowRect.top;

    ASSERT_TRUE(setWindowShape(test.window, 1));
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    ASSERT_EQ(GetWindowRgn(test.hwnd(), region), SIMPLEREGION);
    RECT box{};
    GetRgnBox(region, &box);
    EXPECT_EQ(box.left, cl);
    EXPECT_EQ(box.top, ct);
    EXPECT_EQ(box.right - box.left, 200);
    EXPECT_EQ(box.bottom - box.top, 100);

    ASSERT_TRUE(setWindowShape(test.window, 12));
    ASSERT_NE(GetWindowRgn(test.hwnd(), region), ERROR);
    EXPECT_FALSE(PtInRegion(region, cl, ct));
    EXPECT_TRUE(PtInRegion(region, cl + 100, ct + 50));
    EXPECT_EQ(test.window.frameless, 0);

    // Diameter 0: no region, no frame, the window shrinks onto its former client area.
    setWindowShape(test.window, 0);
    EXPECT_EQ(GetWindowRgn(test.hwnd(), region), ERROR);
    EXPECT_EQ(test.window.frameless, 1);
    GetWindowRect(test.hwnd(), &windowRect);
    GetClientRect(test.hwnd(), &client);
    EXPECT_EQ(windowRect.left, origin.x);
    EXPECT_EQ(windowRect.right - windowRect.left, 200);
    EXPECT_EQ(client.right, 200);
    EXPECT_EQ(client.bottom, 100);
    EXPECT_EQ(test.window.clientWidth, 200);
    DeleteObject(region);
}

}  // namespace
