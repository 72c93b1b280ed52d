#include "ui/layout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/controls.h"
#include "ui/dpi.h"
#include "ui/label.h"
#include "ui/message_box.h"
#include "ui/tooltip.h"
#include "ui_test_support.h"

namespace {

struct PlacementCase {
    const char* name;
    uint32_t flags;
    int32_t x;
    int32_t width;
    int32_t parentWidth;
    int32_t newWidth;
    int32_t expectedX;
    int32_t expectedWidth;
};

const PlacementCase kPlacementCases[] = {
    {"right anchor", UI_ANCHOR_RIGHT, 10, 100, 400, 600, 210, 100},
    {"left and right", UI_ANCHOR_LEFT | UI_ANCHOR_RIGHT, 10, 100, 400, 600, 10, 300},
    {"left only", UI_ANCHOR_LEFT | UI_SCALE_HEIGHT, 10, 100, 400, 600, 10, 100},
    {"centre", UI_CENTRE_X, 150, 100, 400, 600, 250, 100},
    {"proportional centre", UI_PROPORTIONAL_CENTRE_X, 50, 100, 400, 800, 150, 100},
    {"scale x and width", UI_SCALE_X | UI_SCALE_WIDTH, 40, 100, 400, 600, 60, 150},
    {"scale width, centre", UI_SCALE_WIDTH | UI_CENTRE_X, 150, 100, 400, 600, 225, 150},
    {"right with scaled width", UI_ANCHOR_RIGHT | UI_SCALE_WIDTH, 100, 100, 400, 800, 400, 200},
    // Zero divisors keep the stored placement on that axis.
    {"proportional centre at 0", UI_PROPORTIONAL_CENTRE_X, -50, 100, 400, 800, -50, 100},
    {"proportional centre, parent 0", UI_PROPORTIONAL_CENTRE_X, 50, 100, 0, 800, 50, 100},
    {"scale, parent 0", UI_SCALE_X | UI_SCALE_WIDTH, 40, 100, 0, 600, 40, 100},
};

TEST(Layout, EachRuleComputesTheHorizontalPlacement) {
    for (const PlacementCase& c : kPlacementCases) {
        int32_t x = -999;
        int32_t width = -999;
        ASSERT_TRUE(placeOnAxis({c.x, c.width, c.parentWidth, c.newWidth}, c.flags, kHorizontalBits, x, width))
            << c.name;
        EXPECT_EQ(x, c.expectedX) << c.name;
        EXPECT_EQ(width, c.expectedWidth) << c.name;
    }
    int32_t x = 0;
    int32_t width = 0;
    EXPECT_FALSE(placeOnAxis({10, 100, 400, 600}, UI_ANCHOR_BOTTOM, kHorizontalBits, x, width));
}

HWND labelHandle(UiWindow& window, const wchar_t* text, int32_t x, int32_t y, int32_t width, int32_t height) {
    int32_t index = addLabel(window, text, x, y, width, height);
    return window.controls[index].hwnd;
}

RECT placementOf(HWND control) {
    RECT rect{};
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

void resizeClient(HWND hwnd, int32_t width, int32_t height) {
    RECT rect{0, 0, width, height};
    AdjustWindowRectEx(&rect, GetWindowLongW(hwnd, GWL_STYLE), FALSE, GetWindowLongW(hwnd, GWL_EXSTYLE));
    SetWindowPos(hwnd, nullptr, 0, 0, rect.right - rect.left, rect.bottom - rect.top, SWP_NOMOVE | SWP_NOZORDER);
}

TEST(Layout, ResizingTheWindowMovesAnchoredControlsFromTheirCreationPlacement) {
    TestWindow test(400, 300);
    test.window.nextControlFlags = UI_ANCHOR_RIGHT | UI_ANCHOR_BOTTOM;
    HWND corner = labelHandle(test.window, L"corner", 10, 20, 100, 30);
    test.window.nextControlFlags = UI_PROPORTIONAL_CENTRE_X | UI_CENTRE_Y;
    HWND middle = labelHandle(test.window, L"middle", 50, 135, 100, 30);
    test.window.nextControlFlags = UI_ANCHOR_LEFT | UI_ANCHOR_TOP;
    HWND fixed = labelHandle(test.window, L"fixed", 5, 5, 20, 20);
    SetWindowPos(fixed, nullptr, 7, 8, 20, 20, SWP_NOZORDER);  // not laid out: stays where it is now

    resizeClient(test.hwnd(), 800, 500);  // WM_WINDOWPOSCHANGED lays out
    RECT rect = placementOf(corner);
    EXPECT_EQ(rect.left, 410);
    EXPECT_EQ(rect.top, 220);
    EXPECT_EQ(rect.right - rect.left, 100);
    rect = placementOf(middle);
    EXPECT_EQ(rect.left, 150);
    EXPECT_EQ(rect.top, 235);
    EXPECT_EQ(placementOf(fixed).left, 7);
    EXPECT_EQ(test.window.clientRect.right, 800);

    resizeClient(test.hwnd(), 400, 300);  // back: no drift
    EXPECT_EQ(placementOf(corner).left, 10);
    EXPECT_EQ(placementOf(middle).left, 50);
}

TEST(Layout, AnAxisWithoutARuleKeepsTheCurrentPlacement) {
    TestWindow test(400, 300);
    test.window.nextControlFlags = UI_ANCHOR_BOTTOM;
    HWND control = labelHandle(test.window, L"x", 10, 20, 100, 30);
    SetWindowPos(control, nullptr, 33, 20, 44, 30, SWP_NOZORDER);
    resizeClient(test.hwnd(), 500, 400);
    RECT rect = placementOf(control);
    EXPECT_EQ(rect.left, 33);
    EXPECT_EQ(rect.right - rect.left, 44);
    EXPECT_EQ(rect.top, 120);
}

TEST(Layout, DoesNothingForTheSameSizeAMinimizedWindowOrAnotherHandle) {
    TestWindow test(400, 300);
    test.window.nextControlFlags = UI_ANCHOR_RIGHT;
    addLabel(test.window, L"x", 10, 20, 100, 30);
    EXPECT_FALSE(layoutControls(test.window, test.hwnd()));  // size unchanged since creation
    EXPECT_FALSE(layoutControls(test.window, nullptr));
    EXPECT_FALSE(layoutControls(test.window, test.window.controls[1].hwnd));
    test.window.clientRect.right = 10;
    EXPECT_TRUE(layoutControls(test.window, test.hwnd()));
    EXPECT_FALSE(layoutControls(test.window, test.hwnd()));
    SetWindowLongW(test.hwnd(), GWL_STYLE, GetWindowLongW(test.hwnd(), GWL_STYLE) | WS_MINIMIZE);
    test.window.clientRect.right = 10;
    EXPECT_FALSE(layoutControls(test.window, test.hwnd()));
    UiWindow empty;
    EXPECT_FALSE(layoutControls(empty, nullptr));
}

TEST(Layout, AZeroDivisorDoesNotFailThePass) {
    TestWindow test(400, 300);
    test.window.nextControlFlags = UI_PROPORTIONAL_CENTRE_X | UI_PROPORTIONAL_CENTRE_Y;
    int32_t index = addLabel(test.window, L"x", -50, -15, 100, 30);  // centre (0, 0)
    test.window.nextControlFlags = UI_SCALE_X | UI_ANCHOR_BOTTOM;
    int32_t scaled = addLabel(test.window, L"y", 40, 20, 100, 30);
    test.window.controls[scaled].parentWidth = 0;
    test.window.nextControlFlags = UI_ANCHOR_RIGHT;
    HWND other = labelHandle(test.window, L"z", 10, 20, 100, 30);
    test.window.clientRect.right = 0;
    ASSERT_TRUE(layoutControls(test.window, test.hwnd()));
    RECT rect = placementOf(test.window.controls[index].hwnd);
    EXPECT_EQ(rect.left, -50);
    EXPECT_EQ(rect.top, -15);
    EXPECT_EQ(placementOf(test.window.controls[scaled].hwnd).left, 40);
    EXPECT_EQ(placementOf(other).left, 10);
}

// A pseudo-translation: accented letters, and 40 % longer, as translations often are.
std::wstring stretched(const std::wstring& english) {
    std::wstring text;
    for (wchar_t c : english) {
        text += c == L'a' ? L'\u00e4' : c == L'e' ? L'\u00e9' : c == L'o' ? L'\u00f6' : c == L'S' ? L'\u015c' : c;
    }
    while (text.size() < english.size() * 14 / 10) {
        text += L" \u00c5\u00e7\u00e7\u00eb\u0146t";
    }
    return text;
}

// How tall a label's text is in the label's own font, wrapped at its width, in pixels.
LONG labelTextHeight(HWND label) {
    wchar_t text[1024] = {};
    GetWindowTextW(label, text, 1024);
    RECT area{};
    GetClientRect(label, &area);
    HDC dc = GetDC(label);
    HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(label, WM_GETFONT, 0, 0)));
    DrawTextW(dc, text, -1, &area, DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS);
    SelectObject(dc, previous);
    ReleaseDC(label, dc);
    return area.bottom;
}

TEST(Layout, ATextFlowGrowsBoxesToHoldLongerTextsAndMovesTheNextDown) {
    TestWindow test(400, 300);
    const std::wstring english[] = {L"Reset and fix your file associations now, and unlock the apps below.",
                                    L"Settings opens after this box closes. Choose your apps there.",
                                    L"Check for updates"};
    // Made to hold the English texts, one under the other.
    UiBox boxes[] = {{10, 10, 300, 0}, {10, 0, 200, 0}, {10, 0, 380, 0}};
    for (int i = 0; i < 3; ++i) {
        boxes[i].y = i > 0 ? boxes[i - 1].y + boxes[i - 1].height + 5 : boxes[i].y;
        boxes[i].height = measureText(test.window, english[i].c_str(), boxes[i].width, test.window.fontSize).height;
    }
    for (bool pseudo : {false, true}) {
        TextFlow flow;
        int32_t below = 0;
        HWND labels[3] = {};
        for (int i = 0; i < 3; ++i) {
            const std::wstring text = pseudo ? stretched(english[i]) : english[i];
            const UiBox& made = boxes[i];
            const int32_t index = addLabel(test.window, text.c_str(), made.x, made.y, made.width, made.height);
            labels[i] = test.window.controls[index].hwnd;
            const UiBox box = flow.Fit(test.window, index, boxes[i]);
            EXPECT_GE(box.y, below) << i;
            below = box.y + box.height;
        }
        setClientUnits(test.window, 400, 300);
        for (HWND label : labels) {
            RECT area{};
            GetClientRect(label, &area);
            EXPECT_LE(labelTextHeight(label), area.bottom) << (pseudo ? "stretched" : "");
        }
        // English fits the boxes as made; the longer texts grow them.
        EXPECT_EQ(flow.growth > 0, pseudo);
    }
}

// What Windows sends when the window moves to a monitor at 144 DPI: the window's rectangle
// scaled linearly, frame included. The frame there is not (Wine's does not change at all).
void moveTo144Dpi(HWND hwnd) {
    RECT now{};
    GetWindowRect(hwnd, &now);
    RECT suggested{now.left, now.top, now.left + (now.right - now.left) * 3 / 2,
                   now.top + (now.bottom - now.top) * 3 / 2};
    SendMessageW(hwnd, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
}

RECT clientOf(HWND hwnd) {
    RECT rect{};
    GetClientRect(hwnd, &rect);
    return rect;
}

int32_t fontHeightOf(HWND hwnd) {
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0)), sizeof(font), &font);
    return font.lfHeight;
}

TEST(Layout, WmDpiChangedLaysTheWindowAndAnOpenMessageBoxOutForTheNewDpi) {
    constexpr DWORD style = WS_CAPTION | WS_SYSMENU;
    TestWindow test(200, 100, style);
    int redrawn = 0;
    test.window.dpiContext = &redrawn;
    test.window.dpiChanged = [](void* context) { ++*static_cast<int*>(context); };
    const int32_t index = addLabel(test.window, L"x", 95, 20, 75, 30);  // before the table is read
    HWND label = test.window.controls[index].hwnd;
    addControlTooltip(test.window, index);
    const int32_t tipFont = fontHeightOf(test.window.tooltip);
    UiMessageBox box;
    buildMessageBox(box, &test.window, L"Done.", 120, 200);

    // Asked first (Windows 10 1703 and later): the size with the frame at the new DPI.
    SIZE asked{};
    RECT frame{0, 0, 300, 150};
    AdjustWindowRectExForDpi(&frame, style, FALSE, 0, 144);
    EXPECT_TRUE(SendMessageW(test.hwnd(), WM_GETDPISCALEDSIZE, 144, reinterpret_cast<LPARAM>(&asked)));
    EXPECT_EQ(asked.cx, frame.right - frame.left);
    EXPECT_EQ(asked.cy, frame.bottom - frame.top);

    moveTo144Dpi(test.hwnd());
    EXPECT_EQ(clientOf(test.hwnd()).right, 300);
    EXPECT_EQ(clientOf(test.hwnd()).bottom, 150);
    // Edges are scaled, so that a 75-unit tile is 112 or 113 pixels wide by its place.
    RECT rect = placementOf(label);
    EXPECT_EQ((std::vector<LONG>{rect.left, rect.top, rect.right, rect.bottom}), (std::vector<LONG>{143, 30, 255, 75}));
    EXPECT_EQ(fontHeightOf(label), -18);  // 9 points at 144 DPI
    EXPECT_EQ(fontHeightOf(test.window.tooltip), MulDiv(tipFont, 3, 2));
    EXPECT_EQ(redrawn, 1);

    // The box is a window of its own: it hears of its monitor's DPI itself, and takes its
    // outline for the new size.
    moveTo144Dpi(box.window.hwnd);
    ASSERT_NE(GetWindowRgnBox(box.window.hwnd, &rect), ERROR);
    EXPECT_EQ(rect.right, 300);
    EXPECT_EQ(rect.bottom, 180);
    EXPECT_EQ(placementOf(box.window.controls[box.okIndex].hwnd).left, 98);
}

TEST(Layout, ADpiChangeWhileMinimisedIsAppliedOnRestore) {
    TestWindow test(200, 100, WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX);
    HWND label = labelHandle(test.window, L"x", 95, 20, 75, 30);
    ShowWindow(test.hwnd(), SW_MINIMIZE);
    moveTo144Dpi(test.hwnd());
    ShowWindow(test.hwnd(), SW_RESTORE);
    EXPECT_EQ(clientOf(test.hwnd()).right, 300);
    EXPECT_EQ(clientOf(test.hwnd()).bottom, 150);
    EXPECT_EQ(placementOf(label).left, 143);
}

HRESULT WINAPI monitorAt144(HMONITOR, MONITOR_DPI_TYPE, UINT* dpiX, UINT* dpiY) {
    *dpiX = *dpiY = 144;
    return S_OK;
}

TEST(Layout, WithoutGetDpiForWindowAWindowTakesItsMonitorsDpi) {
    TestWindow test;
    const DpiCalls system = dpiCalls;
    dpiCalls = {nullptr, monitorAt144};  // Windows 8.1
    EXPECT_EQ(windowDpi(test.hwnd()), 144u);
    dpiCalls = system;
}

}  // namespace
