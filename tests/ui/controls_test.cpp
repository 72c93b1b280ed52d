#include "ui/controls.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include "ui/button.h"
#include "ui/image_control.h"
#include "ui/images.h"
#include "ui/label.h"
#include "ui/link.h"
#include "ui_test_resources.h"
#include "ui_test_support.h"

namespace {

LOGFONTW fontOf(HWND control) {
    LOGFONTW font{};
    auto handle = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    GetObjectW(handle, sizeof(font), &font);
    return font;
}

TEST(Controls, IndicesAreIdentifiersInCreationOrder) {
    TestWindow test;
    for (int i = 1; i <= 10; ++i) {
        int32_t index = (i % 2) ? addLabel(test.window, L"label", 0, i * 10, 40, 10)
                                : addButton(test.window, L"button", 0, i * 10, 40, 10);
        ASSERT_EQ(index, i);
        const UiControl& control = test.window.controls[index];
        EXPECT_EQ(control.index, i);
        EXPECT_EQ(GetDlgCtrlID(control.hwnd), i);
        EXPECT_EQ(GetParent(control.hwnd), test.hwnd());
    }
    EXPECT_EQ(test.window.controlCount, 10);
    EXPECT_EQ(test.window.controlCapacity, 512);
}

struct KindCase {
    int32_t (*add)(UiWindow&, const wchar_t*, int32_t, int32_t, int32_t, int32_t);
    int32_t kind;
    const wchar_t* className;
    LONG style;
    LONG groupStyle;
};

const KindCase kKindCases[] = {
    {addButton, UI_KIND_BUTTON, L"Button", 0x50010001, 0x50030001},
    {addLabel, UI_KIND_LABEL, L"Static", 0x50000100, 0x50020100},
    {addLink, UI_KIND_LINK, L"SysLink", 0x50010000, 0x50030000},
};

TEST(Controls, EachKindHasItsClassAndStyleAndGroupsOnRequest) {
    TestWindow test;
    for (const KindCase& c : kKindCases) {
        int32_t plain = c.add(test.window, L"<a>x</a>", 5, 6, 70, 20);
        test.window.nextStartsGroup = 1;
        int32_t grouped = c.add(test.window, L"<a>y</a>", 5, 30, 70, 20);
        EXPECT_EQ(test.window.nextStartsGroup, 0);
        for (int32_t index : {plain, grouped}) {
            const UiControl& control = test.window.controls[index];
            wchar_t name[32];
            GetClassNameW(control.hwnd, name, 32);
            EXPECT_STREQ(name, c.className);
            EXPECT_EQ(control.kind, c.kind);
            EXPECT_EQ(control.x, 5);
            EXPECT_EQ(control.width, 70);
        }
        EXPECT_EQ(GetWindowLongW(test.window.controls[plain].hwnd, GWL_STYLE), c.style) << c.className;
        EXPECT_EQ(GetWindowLongW(test.window.controls[grouped].hwnd, GWL_STYLE), c.groupStyle) << c.className;
    }
    int32_t image = addImage(test.window, nullptr, 0, 0, 10, 10);
    EXPECT_EQ(GetWindowLongW(test.window.controls[image].hwnd, GWL_STYLE) & 0x5002014E, 0x5000014E);
}

struct FontCase {
    double size;
    uint8_t quality;
    int32_t weight;
    LONG height;
    BYTE expectedQuality;
    LONG expectedWeight;
    uint8_t style;
    BYTE italic;
    BYTE underline;
    BYTE strikeOut;
};

// Style bit 0, the default style 1, changes nothing; bits 1 to 3 are italic, underline, strike-out.
const FontCase kFontCases[] = {
    {9.0, 0, 400, -12, CLEARTYPE_QUALITY, 400, 1, 0, 0, 0},
    {8.0, 0, 400, -11, CLEARTYPE_QUALITY, 400, 2, 1, 0, 0},  // -10.67 rounded as MulDiv rounds
    {0.5, 0, 400, -11, CLEARTYPE_QUALITY, 400, 4, 0, 1, 0},  // 8.5 points
    {12.0, 3, 700, -16, 3, 700, 8, 0, 0, 1},
    {9.0, 0, 0, -12, CLEARTYPE_QUALITY, 400, 0xF, 1, 1, 1},
};

TEST(Controls, RegistrationGivesTheWindowsFont) {
    TestWindow test;
    for (const FontCase& c : kFontCases) {
        test.window.fontSize = c.size;
        test.window.fontQuality = c.quality;
        test.window.fontWeight = c.weight;
        test.window.fontStyle = c.style;
        int32_t index = addLabel(test.window, L"text", 0, 0, 50, 20);
        LOGFONTW font = fontOf(test.window.controls[index].hwnd);
        EXPECT_EQ(font.lfHeight, c.height) << c.size;
        EXPECT_EQ(font.lfQuality, c.expectedQuality) << c.size;
        EXPECT_EQ(font.lfWeight, c.expectedWeight) << c.size;
        EXPECT_EQ(font.lfItalic, c.italic) << int{c.style};
        EXPECT_EQ(font.lfUnderline, c.underline) << int{c.style};
        EXPECT_EQ(font.lfStrikeOut, c.strikeOut) << int{c.style};
        EXPECT_EQ(font.lfCharSet, DEFAULT_CHARSET);
        EXPECT_STREQ(font.lfFaceName, L"Arial");
    }
}

TEST(Controls, RegistrationTakesTheNextColoursAndRecordsTheParentForLayout) {
    TestWindow test(400, 300);
    int32_t plain = addLabel(test.window, L"a", 0, 0, 10, 10);
    EXPECT_EQ(test.window.controls[plain].textColour, static_cast<int32_t>(GetSysColor(COLOR_BTNTEXT)));
    EXPECT_EQ(test.window.controls[plain].backBrush, nullptr);
    EXPECT_EQ(test.window.controls[plain].parentWidth, 0);
    test.window.nextTextColour = RGB(1, 2, 3);
    test.window.nextBackColour = RGB(4, 5, 6);
    test.window.nextControlFlags = UI_ANCHOR_RIGHT;
    int32_t coloured = addLabel(test.window, L"b", 0, 0, 10, 10);
    const UiControl& control = test.window.controls[coloured];
    EXPECT_EQ(control.textColour, static_cast<int32_t>(RGB(1, 2, 3)));
    EXPECT_EQ(control.backColour, static_cast<int32_t>(RGB(4, 5, 6)));
    EXPECT_NE(control.backBrush, nullptr);
    EXPECT_EQ(control.flags, UI_ANCHOR_RIGHT);
    EXPECT_EQ(control.parentWidth, 400);
    EXPECT_EQ(control.parentHeight, 300);
}

TEST(Controls, TheTableGrowsTo1024WhenAControlIsCreatedWith509InUse) {
    TestWindow test;
    test.window.fontSize = 0;  // no fonts: 510 statics are enough work
    for (int i = 1; i <= 509; ++i) {
        ASSERT_EQ(addLabel(test.window, nullptr, 0, 0, 1, 1), i);
    }
    HWND first = test.window.controls[1].hwnd;
    HWND last = test.window.controls[509].hwnd;
    EXPECT_EQ(test.window.controlCapacity, 512);
    EXPECT_EQ(addLabel(test.window, nullptr, 0, 0, 1, 1), 510);
    EXPECT_EQ(test.window.controlCapacity, 1024);
    EXPECT_EQ(test.window.controls[1].hwnd, first);
    EXPECT_EQ(test.window.controls[509].hwnd, last);
    EXPECT_EQ(test.window.controls[509].index, 509);
    EXPECT_EQ(test.window.controls[1000].index, 0);
}

TEST(Controls, RemovalLowersTheCountPastFreeSlotsOnly) {
    TestWindow test;
    for (int i = 0; i < 5; ++i) {
        addLabel(test.window, L"x", 0, 0, 10, 10);
    }
    HWND second = test.window.controls[2].hwnd;
    EXPECT_TRUE(removeControl(test.window, 2));
    EXPECT_FALSE(IsWindow(second));
    EXPECT_EQ(test.window.controlCount, 5);
    EXPECT_EQ(addLabel(test.window, L"x", 0, 0, 10, 10), 6);  // index 2 is not reused
    EXPECT_TRUE(removeControl(test.window, 5));
    EXPECT_EQ(test.window.controlCount, 6);
    EXPECT_TRUE(removeControl(test.window, 6));
    EXPECT_EQ(test.window.controlCount, 4);  // past the free slot 5
    EXPECT_TRUE(removeControl(test.window, 4));
    EXPECT_TRUE(removeControl(test.window, 3));
    EXPECT_EQ(test.window.controlCount, 1);  // past 2 as well
    EXPECT_FALSE(removeControl(test.window, 2));
    EXPECT_FALSE(removeControl(test.window, 7));
    EXPECT_FALSE(removeControl(test.window, 0));
    EXPECT_TRUE(removeControl(test.window, 1));
    EXPECT_EQ(test.window.controlCount, 0);
    EXPECT_EQ(addLabel(test.window, L"x", 0, 0, 10, 10), 1);
}

TEST(Controls, LastControlFontSizeReplacesTheFontWithANormalWeightOne) {
    TestWindow test;
    EXPECT_FALSE(setLastControlFontSize(test.window, 10));
    test.window.fontWeight = 700;
    int32_t index = addLabel(test.window, L"x", 0, 0, 50, 20);
    HFONT before = test.window.controls[index].font;
    ASSERT_TRUE(setLastControlFontSize(test.window, 12));
    const UiControl& control = test.window.controls[index];
    EXPECT_NE(control.font, before);
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(control.hwnd, WM_GETFONT, 0, 0)), control.font);
    LOGFONTW font = fontOf(control.hwnd);
    EXPECT_EQ(font.lfHeight, -16);
    EXPECT_EQ(font.lfWeight, 400);
    EXPECT_EQ(GetObjectType(before), 0u);  // the registration font was deleted
}

TEST(Controls, LinkDefaultColoursApplyOnlyToALastLink) {
    TestWindow test;
    EXPECT_FALSE(setLinkDefaultColours(test.window));
    addLink(test.window, L"<a href=\"https://example.invalid/\">site</a>", 0, 0, 100, 20);
    EXPECT_TRUE(setLinkDefaultColours(test.window));
    addLabel(test.window, L"x", 0, 30, 50, 20);
    EXPECT_FALSE(setLinkDefaultColours(test.window));
}

TEST(Controls, ImageControlsKeepTheirOwnCopyOfThePicture) {
    TestWindow test;
    HBITMAP mine = createBlankDib(8, 8);
    int32_t index = addImage(test.window, mine, 0, 0, 8, 8);
    ASSERT_NE(index, 0);
    const UiControl& control = test.window.controls[index];
    ASSERT_NE(control.extra, nullptr);
    EXPECT_NE(control.extra, mine);
    DeleteObject(mine);
    EXPECT_NE(SendMessageW(control.hwnd, STM_GETIMAGE, IMAGE_BITMAP, 0), 0);

    HANDLE before = control.extra;
    HBITMAP other = createBlankDib(4, 4);
    EXPECT_TRUE(setControlImage(test.window, -1, other, 4, 4));
    EXPECT_NE(control.extra, before);
    EXPECT_EQ(GetObjectType(before), 0u);
    EXPECT_NE(GetObjectType(other), 0u);  // still the caller's
    DeleteObject(other);
    EXPECT_TRUE(setControlImage(test.window, index, nullptr, 6, 6));
    BITMAP shown{};
    GetObjectW(control.extra, sizeof(shown), &shown);
    EXPECT_EQ(shown.bmWidth, 6);

    int32_t label = addLabel(test.window, L"x", 0, 0, 5, 5);
    EXPECT_FALSE(setControlImage(test.window, label, nullptr, 6, 6));
    EXPECT_FALSE(setControlImage(test.window, 99, nullptr, 6, 6));
}

TEST(Controls, ResourceImagesAreScaledAndMissingOnesGiveAnEmptyControl) {
    TestWindow test;
    int32_t index =
        addResourceImage(test.window, GetModuleHandleW(nullptr), MAKEINTRESOURCEW(TEST_HALVES_100), nullptr, 0, 0, 20, 10);
    ASSERT_NE(index, 0);
    BITMAP shown{};
    ASSERT_TRUE(GetObjectW(test.window.controls[index].extra, sizeof(shown), &shown));
    EXPECT_EQ(shown.bmWidth, 20);
    EXPECT_EQ(shown.bmHeight, 10);
    int32_t missing = addResourceImage(test.window, GetModuleHandleW(nullptr), MAKEINTRESOURCEW(999), nullptr, 0, 0, 20, 10);
    ASSERT_NE(missing, 0);
    EXPECT_EQ(test.window.controls[missing].extra, nullptr);
}

}  // namespace
