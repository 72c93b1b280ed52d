#include "ui/images.h"

#include <gtest/gtest.h>

#include <memory>

#include "ui_test_resources.h"
#include "ui_test_support.h"

namespace {

std::unique_ptr<Gdiplus::Bitmap> load(int id, int32_t width, int32_t height) {
    return std::unique_ptr<Gdiplus::Bitmap>(
        loadImageResource(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), width, height));
}

struct LoadCase {
    int id;
    int32_t width;
    int32_t height;
    UINT expectedWidth;
    UINT expectedHeight;
    bool scaled;
};

const LoadCase kLoadCases[] = {
    {TEST_EMBLEM_64, 64, 64, 64, 64, false},
    {TEST_EMBLEM_64, 0, 0, 64, 64, false},
    {TEST_SQUARE_48, 32, 32, 32, 32, true},
    {TEST_HALVES_100, 0, 50, 100, 50, true},
};

TEST(Images, ResourcesLoadAtTheRequestedSize) {
    for (const LoadCase& c : kLoadCases) {
        auto bitmap = load(c.id, c.width, c.height);
        ASSERT_NE(bitmap, nullptr) << c.id;
        EXPECT_EQ(bitmap->GetWidth(), c.expectedWidth) << c.id;
        EXPECT_EQ(bitmap->GetHeight(), c.expectedHeight) << c.id;
        // A scaled copy is a bitmap made in memory; at its own size the decoded PNG itself comes back.
        GUID format{};
        ASSERT_EQ(bitmap->GetRawFormat(&format), Gdiplus::Ok) << c.id;
        EXPECT_TRUE(IsEqualGUID(format, c.scaled ? Gdiplus::ImageFormatMemoryBMP : Gdiplus::ImageFormatPNG)) << c.id;
        if (c.scaled) {
            EXPECT_EQ(bitmap->GetPixelFormat(), PixelFormat32bppARGB) << c.id;
        }
    }
    auto emblem = load(TEST_EMBLEM_64, 64, 64);
    EXPECT_EQ(pixelOf(*emblem, 5, 5) >> 24, 0u);
    EXPECT_EQ(pixelOf(*emblem, 50, 50), 0xFF00A000u);
    auto halves = load(TEST_HALVES_100, 0, 50);
    EXPECT_EQ(pixelOf(*halves, 10, 25), 0xFFFF0000u);
    EXPECT_EQ(pixelOf(*halves, 90, 25), 0xFF0000FFu);
}

TEST(Images, MissingAndUndecodableResourcesGiveNothing) {
    EXPECT_EQ(load(999, 10, 10), nullptr);
    EXPECT_EQ(load(TEST_BROKEN, 10, 10), nullptr);
    EXPECT_EQ(loadImageResource(GetModuleHandleW(nullptr), L"NO_SUCH_NAME", 0, 0), nullptr);
}

TEST(Images, ScalingDrawsTheWholeSourceIntoTheTarget) {
    auto halves = load(TEST_HALVES_100, 0, 0);
    Gdiplus::Bitmap target(10, 4, PixelFormat32bppPARGB);
    ASSERT_TRUE(scaleImageInto(halves.get(), &target, 10, 4));
    EXPECT_EQ(pixelOf(target, 1, 2), 0xFFFF0000u);
    EXPECT_EQ(pixelOf(target, 8, 2), 0xFF0000FFu);
    EXPECT_FALSE(scaleImageInto(nullptr, &target, 10, 4));
    EXPECT_FALSE(scaleImageInto(halves.get(), nullptr, 10, 4));
}

TEST(Images, BlankDibsAreTopDownAndAlmostTransparentBlack) {
    HBITMAP blank = createBlankDib(2, 2);
    ASSERT_NE(blank, nullptr);
    DIBSECTION section{};
    ASSERT_EQ(GetObjectW(blank, sizeof(section), &section), static_cast<int>(sizeof(section)));
    EXPECT_EQ(section.dsBm.bmHeight, 2);
    EXPECT_EQ(section.dsBm.bmBitsPixel, 32);
    auto* pixels = static_cast<uint32_t*>(section.dsBm.bmBits);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(pixels[i], 0x01000000u);
    }
    // Top-down: the first row in memory is the top row on the bitmap.
    pixels[0] = 0x00FF0000;
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, blank);
    EXPECT_EQ(GetPixel(dc, 0, 0), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(dc, 0, 1), RGB(0, 0, 0));
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(blank);
}

TEST(Images, BackgroundsAreScaledToTheClientAndReplaceTheOldOnes) {
    TestWindow test(40, 20, WS_POPUP);
    auto halves = load(TEST_HALVES_100, 0, 0);
    HBRUSH solid = test.window.backgroundBrush;
    setBackgroundImage(test.window, halves.get(), 0, 0);
    EXPECT_EQ(test.window.backgroundKind, TiledPattern);
    EXPECT_EQ(GetObjectType(solid), 0u);
    HBITMAP first = test.window.backgroundBitmap;
    BITMAP info{};
    ASSERT_TRUE(GetObjectW(first, sizeof(info), &info));
    EXPECT_EQ(info.bmWidth, 40);
    EXPECT_EQ(info.bmHeight, 20);
    EXPECT_EQ(GetCurrentObject(test.window.memoryDC, OBJ_BITMAP), first);
    HBITMAP initial = test.window.initialDcBitmap;
    ASSERT_NE(initial, nullptr);

    setBackgroundImage(test.window, halves.get(), -1, 30);
    GetObjectW(test.window.backgroundBitmap, sizeof(info), &info);
    EXPECT_EQ(info.bmWidth, 100);
    EXPECT_EQ(info.bmHeight, 30);
    EXPECT_EQ(GetObjectType(first), 0u);  // the previous background is gone
    EXPECT_EQ(test.window.initialDcBitmap, initial);

    UiWindow windowless;
    setBackgroundImage(windowless, halves.get(), 0, 0);
    EXPECT_EQ(windowless.backgroundBitmap, nullptr);
}

}  // namespace
