#include "ui/painting.h"

#include <gtest/gtest.h>
#include <commctrl.h>

#include "ui/controls.h"
#include "ui/images.h"
#include "ui/label.h"
#include "ui/link.h"
#include "ui/object_ledger.h"
#include "ui_test_support.h"

namespace {

LRESULT colourMessage(TestWindow& test, UINT message, HDC dc, HWND control, bool& passOn) {
    passOn = false;
    return SendMessageW(test.hwnd(), message, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control));
}

// A 2 x 2 background picture: red, green / blue, white.
Gdiplus::Bitmap* checkerPicture() {
    auto* picture = new Gdiplus::Bitmap(2, 2, PixelFormat32bppARGB);
    picture->SetPixel(0, 0, Gdiplus::Color(255, 255, 0, 0));
    picture->SetPixel(1, 0, Gdiplus::Color(255, 0, 255, 0));
    picture->SetPixel(0, 1, Gdiplus::Color(255, 0, 0, 255));
    picture->SetPixel(1, 1, Gdiplus::Color(255, 255, 255, 255));
    return picture;
}

TEST(Painting, TheEraseFillsWithTheBrushAndLeavesOpaqueControlsOut) {
    TestWindow test(100, 80);
    ShowWindow(test.hwnd(), SW_SHOW);
    deleteGdiObject(test.window.backgroundBrush);
    test.window.backgroundBrush = heldGdiObject(CreateSolidBrush(RGB(10, 200, 30)));
    test.window.nextControlFlags = UI_FLAG_OPAQUE;
    addLabel(test.window, L"", 40, 30, 20, 20);
    test.window.nextControlFlags = 0;
    addLabel(test.window, L"", 70, 30, 20, 20);  // not opaque: painted over
    ClientPicture picture;
    ASSERT_TRUE(printClient(test.hwnd(), picture));  // a canvas of the client's size
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, picture.bitmap);
    RECT all{0, 0, 100, 80};
    HBRUSH magenta = CreateSolidBrush(RGB(250, 0, 250));
    FillRect(dc, &all, magenta);
    DeleteObject(magenta);
    bool passOn = false;
    EXPECT_EQ(eraseBackground(test.window, test.hwnd(), dc, passOn), 1);
    EXPECT_FALSE(passOn);
    SelectObject(dc, old);
    DeleteDC(dc);
    EXPECT_EQ(picture.at(5, 5), 0x0AC81Eu);
    EXPECT_EQ(picture.at(99, 79), 0x0AC81Eu);
    EXPECT_EQ(picture.at(45, 35), 0xFA00FAu);
    EXPECT_EQ(picture.at(59, 49), 0xFA00FAu);
    EXPECT_EQ(picture.at(60, 50), 0x0AC81Eu);
    EXPECT_EQ(picture.at(75, 35), 0x0AC81Eu);
}

TEST(Painting, ATiledBackgroundRepeatsFromTheOrigin) {
    TestWindow test(10, 10);
    Gdiplus::Bitmap* picture = checkerPicture();
    setBackgroundImage(test.window, picture, -1, -1);
    delete picture;
    ASSERT_EQ(test.window.backgroundKind, TiledPattern);
    ClientPicture shot;
    ASSERT_TRUE(printClient(test.hwnd(), shot));
    EXPECT_EQ(shot.at(0, 0), 0xFF0000u);
    EXPECT_EQ(shot.at(3, 0), 0x00FF00u);
    EXPECT_EQ(shot.at(4, 5), 0x0000FFu);
    EXPECT_EQ(shot.at(9, 9), 0xFFFFFFu);
}

TEST(Painting, NoBackgroundIsPassedOnAndNoBrushPaintsNothing) {
    TestWindow test(10, 10);
    bool passOn = false;
    HDC dc = GetDC(test.hwnd());
    test.window.backgroundKind = NoBackground;
    EXPECT_EQ(eraseBackground(test.window, test.hwnd(), dc, passOn), 0);
    EXPECT_TRUE(passOn);
    passOn = false;
    test.window.backgroundKind = SolidBrush;
    HBRUSH brush = test.window.backgroundBrush;
    test.window.backgroundBrush = nullptr;
    EXPECT_EQ(eraseBackground(test.window, test.hwnd(), dc, passOn), 1);
    EXPECT_FALSE(passOn);
    test.window.backgroundBrush = brush;
    ReleaseDC(test.hwnd(), dc);
}

TEST(Painting, StaticColoursFollowTheControlsColours) {
    TestWindow test;
    test.window.nextTextColour = RGB(1, 2, 3);
    test.window.nextBackColour = RGB(7, 8, 9);
    int32_t solid = addLabel(test.window, L"a", 0, 0, 20, 20);
    test.window.nextBackColour = -1;
    int32_t clear = addLabel(test.window, L"b", 30, 0, 20, 20);
    HDC dc = CreateCompatibleDC(nullptr);
    bool passOn = false;

    HWND solidHwnd = test.window.controls[solid].hwnd;
    EXPECT_EQ(colourMessage(test, WM_CTLCOLORSTATIC, dc, solidHwnd, passOn),
              reinterpret_cast<LRESULT>(test.window.controls[solid].backBrush));
    EXPECT_EQ(GetTextColor(dc), RGB(1, 2, 3));
    EXPECT_EQ(GetBkColor(dc), RGB(7, 8, 9));
    EXPECT_EQ(GetBkMode(dc), OPAQUE);

    // Fully transparent wins over any brush of the control.
    test.window.controls[solid].backColour = UI_COLOUR_TRANSPARENT;
    EXPECT_EQ(colourMessage(test, WM_CTLCOLORSTATIC, dc, solidHwnd, passOn),
              reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH)));
    EXPECT_EQ(GetBkMode(dc), TRANSPARENT);

    // A see-through control over a solid background gets the background brush.
    SetBkMode(dc, OPAQUE);
    EXPECT_EQ(colourMessage(test, WM_CTLCOLORSTATIC, dc, test.window.controls[clear].hwnd, passOn),
              reinterpret_cast<LRESULT>(test.window.backgroundBrush));
    EXPECT_EQ(GetBkMode(dc), TRANSPARENT);
    DeleteDC(dc);
}

TEST(Painting, SeeThroughControlsOverAPictureGetThePictureBehindThem) {
    TestWindow test(10, 10);
    Gdiplus::Bitmap* picture = checkerPicture();
    setBackgroundImage(test.window, picture, -1, -1);
    delete picture;
    int32_t label = addLabel(test.window, L"", 1, 0, 2, 2);
    HDC screen = GetDC(test.hwnd());
    bool passOn = false;
    auto brush = reinterpret_cast<HBRUSH>(
        colourMessage(test, WM_CTLCOLORSTATIC, screen, test.window.controls[label].hwnd, passOn));
    ASSERT_NE(brush, nullptr);
    EXPECT_EQ(brush, test.window.patternBrush);
    ReleaseDC(test.hwnd(), screen);
    // The brush starts at the control's left edge: green, red on the first row.
    HDC dc = CreateCompatibleDC(nullptr);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), 2, -2, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP canvas = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, canvas);
    RECT all{0, 0, 2, 2};
    FillRect(dc, &all, brush);
    auto* pixels = static_cast<uint32_t*>(bits);
    EXPECT_EQ(pixels[0] & 0xFFFFFF, 0x00FF00u);
    EXPECT_EQ(pixels[1] & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(pixels[2] & 0xFFFFFF, 0xFFFFFFu);
    SelectObject(dc, old);
    DeleteObject(canvas);
    DeleteDC(dc);
}

// The window's colours were chosen for its own background; a high-contrast theme brings its own.
int colourChangesHeard = 0;

LRESULT CALLBACK countColourChanges(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    colourChangesHeard += message == WM_SYSCOLORCHANGE ? 1 : 0;
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

TEST(Painting, HighContrastPaintsInTheThemesColours) {
    TestWindow test(100, 80);
    deleteGdiObject(test.window.backgroundBrush);
    test.window.backgroundBrush = heldGdiObject(CreateSolidBrush(RGB(10, 200, 30)));
    test.window.nextTextColour = RGB(1, 2, 3);
    test.window.nextBackColour = RGB(7, 8, 9);
    const int32_t label = addLabel(test.window, L"a", 0, 0, 20, 20);
    const int32_t link = addLink(test.window, L"<a>b</a>", 30, 0, 20, 20);
    bool (*system)() = highContrastOn;
    highContrastOn = [] { return true; };
    ClientPicture picture;
    EXPECT_TRUE(printClient(test.hwnd(), picture));
    EXPECT_EQ(picture.at(99, 79), rgbOf(GetSysColor(COLOR_WINDOW)));
    HDC dc = CreateCompatibleDC(nullptr);
    bool passOn = false;
    const struct {
        int32_t index;
        int colour;
    } cases[] = {{label, COLOR_WINDOWTEXT}, {link, COLOR_HOTLIGHT}};
    for (const auto& c : cases) {
        EXPECT_EQ(colourMessage(test, WM_CTLCOLORSTATIC, dc, test.window.controls[c.index].hwnd, passOn),
                  reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW)));
        EXPECT_EQ(GetTextColor(dc), GetSysColor(c.colour));
        EXPECT_EQ(GetBkMode(dc), TRANSPARENT);
    }
    highContrastOn = system;
    DeleteDC(dc);
    // Links hear of new system colours only from their top-level window.
    SetWindowSubclass(test.window.controls[link].hwnd, countColourChanges, 1, 0);
    SendMessageW(test.hwnd(), WM_SYSCOLORCHANGE, 0, 0);
    EXPECT_EQ(colourChangesHeard, 1);
}

TEST(Painting, EditColoursPassOnUnknownControlsAndControlsWithoutABrush) {
    TestWindow test;
    int32_t label = addLabel(test.window, L"a", 0, 0, 20, 20);
    HDC dc = CreateCompatibleDC(nullptr);
    // Neither the DC's nor the control's default, so that setting the colour shows.
    const COLORREF unset = RGB(11, 22, 33);
    SetTextColor(dc, unset);
    bool passOn = false;
    editControlColours(test.window, dc, test.window.controls[label].hwnd, passOn);
    EXPECT_TRUE(passOn);
    EXPECT_EQ(GetTextColor(dc), GetSysColor(COLOR_BTNTEXT));
    SetTextColor(dc, unset);
    passOn = false;
    editControlColours(test.window, dc, test.hwnd(), passOn);
    EXPECT_TRUE(passOn);
    EXPECT_EQ(GetTextColor(dc), unset);  // not one of the window's controls: left alone
    DeleteDC(dc);
}

}  // namespace
