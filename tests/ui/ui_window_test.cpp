#include "ui/window_lifetime.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <vector>

#include "ui/controls.h"
#include "ui/label.h"
#include "ui/object_ledger.h"
#include "ui_test_support.h"

namespace {

bool classRegistered(const wchar_t* name) {
    WNDCLASSEXW info{};
    info.cbSize = sizeof(info);
    return GetClassInfoExW(GetModuleHandleW(nullptr), name, &info) != 0;
}

SIZE iconSize(HICON icon) {
    ICONINFO info{};
    SIZE size{};
    if (GetIconInfo(icon, &info)) {
        BITMAP bitmap{};
        GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof(bitmap), &bitmap);
        size = {bitmap.bmWidth, info.hbmColor ? bitmap.bmHeight : bitmap.bmHeight / 2};
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
    }
    return size;
}

HICON windowIcon(HWND hwnd, WPARAM which) {
    return reinterpret_cast<HICON>(SendMessageW(hwnd, WM_GETICON, which, 0));
}

TEST(UiWindow, ConstructionLeavesNoWindowAndTheNextColoursUnset) {
    UiWindow window;
    EXPECT_EQ(window.hwnd, nullptr);
    EXPECT_EQ(window.controls, nullptr);
    EXPECT_EQ(window.nextTextColour, -1);
    EXPECT_EQ(window.nextBackColour, -1);
    EXPECT_EQ(window.instance, GetModuleHandleW(nullptr));
    EXPECT_FALSE(destroyWindow(window));
}

TEST(UiWindow, DefaultStyleWindowHasTheRequestedClientSize) {
    UiEvent event{};
    event.quit = 1;
    event.msg.message = 1234;
    UiWindow window;
    window.eventTarget = &event;
    HWND hwnd = createWindow(window, kTestClass, L"Sizes", 690, 390, -1, -1, static_cast<DWORD>(-1),
                             static_cast<DWORD>(-1), nullptr);
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(GetWindowLongW(hwnd, GWL_STYLE) & 0x00CA0000, 0x00CA0000);
    EXPECT_EQ(GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_ACCEPTFILES, WS_EX_ACCEPTFILES);
    RECT outer{};
    GetWindowRect(hwnd, &outer);
    RECT expected{0, 0, 690, 390};
    AdjustWindowRectEx(&expected, 0x00CA0000, FALSE, WS_EX_ACCEPTFILES);
    EXPECT_EQ(outer.right - outer.left, expected.right - expected.left);
    EXPECT_EQ(outer.bottom - outer.top, expected.bottom - expected.top);
    EXPECT_GT(outer.right - outer.left, 690);
    EXPECT_GT(outer.bottom - outer.top, 390);
    EXPECT_EQ(window.clientWidth, 690);
    EXPECT_EQ(window.clientHeight, 390);
    EXPECT_EQ(window.clientRect.right, 690);
    EXPECT_EQ(window.clientRect.bottom, 390);
    // The event record was zeroed (creation itself may post events since), the font defaults
    // and handles are in place.
    EXPECT_EQ(event.quit, 0);
    EXPECT_EQ(event.msg.message, 0u);
    EXPECT_EQ(window.fontSize, 9.0);
    EXPECT_EQ(window.fontWeight, 400);
    EXPECT_EQ(window.fontStyle, 1);
    EXPECT_STREQ(window.fontFace, L"Arial");
    EXPECT_EQ(window.controlParent, hwnd);
    EXPECT_NE(window.memoryDC, nullptr);
    EXPECT_NE(window.backgroundBrush, nullptr);
    EXPECT_EQ(window.backgroundKind, SolidBrush);
    WNDCLASSEXW info{};
    info.cbSize = sizeof(info);
    ASSERT_TRUE(GetClassInfoExW(window.instance, kTestClass, &info));
    EXPECT_EQ(info.style, static_cast<UINT>(CS_DBLCLKS));
    EXPECT_EQ(info.cbWndExtra, 512);
    EXPECT_EQ(info.cbClsExtra, 512);
    EXPECT_TRUE(destroyWindow(window));
    EXPECT_EQ(window.hwnd, nullptr);
    EXPECT_FALSE(IsWindow(hwnd));
}

TEST(UiWindow, OnlyTheWindowThatRegisteredTheClassUnregistersIt) {
    const wchar_t* name = L"VelloranOwnClass";
    ASSERT_FALSE(classRegistered(name));
    TestWindow first(200, 100, WS_OVERLAPPEDWINDOW, nullptr, name);
    ASSERT_NE(first.hwnd(), nullptr);
    EXPECT_EQ(first.window.classExisted, 0);
    EXPECT_NE(first.window.classAtom, 0);
    {
        TestWindow second(200, 100, WS_OVERLAPPEDWINDOW, nullptr, name);
        EXPECT_EQ(second.window.classExisted, 1);
        EXPECT_EQ(second.window.classAtom, 0);
    }
    EXPECT_TRUE(classRegistered(name));
    destroyWindow(first.window);
    EXPECT_FALSE(classRegistered(name));
}

TEST(UiWindow, CentresOnlyWhenBothCoordinatesAreMinusOne) {
    UiEvent event{};
    UiWindow window;
    window.eventTarget = &event;
    ASSERT_NE(createWindow(window, kTestClass, L"", 100, 50, -1, 100, WS_POPUP, 0, nullptr), nullptr);
    RECT rect{};
    GetWindowRect(window.hwnd, &rect);
    EXPECT_EQ(rect.left, -1);
    EXPECT_EQ(rect.top, 100);

    ASSERT_NE(createWindow(window, kTestClass, L"", 100, 50, -1, -1, WS_POPUP, 0, nullptr), nullptr);
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    GetWindowRect(window.hwnd, &rect);
    EXPECT_EQ(rect.left, (work.right - work.left) / 2 + work.left - 50);
    EXPECT_EQ(rect.top, (work.bottom - work.top) / 2 + work.top - 25);
    // Taller than the work area: its top stays on it.
    ASSERT_NE(createWindow(window, kTestClass, L"", 100, work.bottom - work.top + 200, -1, -1, WS_POPUP, 0, nullptr),
              nullptr);
    GetWindowRect(window.hwnd, &rect);
    EXPECT_EQ(rect.top, work.top);
}

TEST(UiWindow, CentringInAnOddRectangleTruncatesTheHalves) {
    TestWindow reference(50, 50, WS_POPUP);
    TestWindow target(50, 50, WS_POPUP);
    SetWindowPos(reference.hwnd(), nullptr, 10, 20, 301, 201, SWP_NOZORDER);
    SetWindowPos(target.hwnd(), nullptr, 0, 0, 101, 51, SWP_NOZORDER);
    ASSERT_TRUE(centreWindow(target.hwnd(), reference.hwnd()));
    RECT rect{};
    GetWindowRect(target.hwnd(), &rect);
    EXPECT_EQ(rect.left, 150 + 10 - 50);
    EXPECT_EQ(rect.top, 100 + 20 - 25);
    EXPECT_EQ(rect.right - rect.left, 101);
    EXPECT_FALSE(centreWindow(nullptr, reference.hwnd()));
}

TEST(UiWindow, AdoptsTheProgramIconsWithoutAParentAndCopiesOfTheParentsWithOne) {
    TestWindow alone(200, 100);
    HICON large = windowIcon(alone.hwnd(), ICON_BIG);
    HICON small = windowIcon(alone.hwnd(), ICON_SMALL);
    ASSERT_NE(large, nullptr);
    ASSERT_NE(small, nullptr);
    EXPECT_EQ(iconSize(large).cx, GetSystemMetrics(SM_CXICON));
    EXPECT_EQ(iconSize(small).cx, GetSystemMetrics(SM_CXSMICON));
    // The module path was left in the scratch text.
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    EXPECT_STREQ(alone.window.text.CStr(), path);

    TestWindow child(100, 50, WS_POPUP, alone.hwnd());
    HICON childLarge = windowIcon(child.hwnd(), ICON_BIG);
    HICON childSmall = windowIcon(child.hwnd(), ICON_SMALL);
    ASSERT_NE(childLarge, nullptr);
    ASSERT_NE(childSmall, nullptr);
    EXPECT_NE(childLarge, large);
    EXPECT_EQ(iconSize(childLarge).cx, iconSize(large).cx);
    EXPECT_EQ(iconSize(childSmall).cx, iconSize(small).cx);
}

TEST(UiWindow, GivenIconsBelongToTheWindowAndGoWithIt) {
    const ObjectLedger before = objectLedger();
    {
        TestWindow test;
        const ObjectLedger built = objectLedger();
        HICON replaced = windowIcon(test.hwnd(), ICON_BIG);
        HICON large = CopyIcon(replaced);
        HICON small = CopyIcon(windowIcon(test.hwnd(), ICON_SMALL));
        ASSERT_TRUE(setWindowIcons(test.window, large, small));
        EXPECT_EQ(windowIcon(test.hwnd(), ICON_BIG), large);
        EXPECT_EQ(windowIcon(test.hwnd(), ICON_SMALL), small);
        ICONINFO info{};
        EXPECT_FALSE(GetIconInfo(replaced, &info));
        EXPECT_EQ(objectLedger().userObjects, built.userObjects);  // two given, two destroyed
        EXPECT_FALSE(setWindowIcons(test.window, nullptr, nullptr));
    }
    EXPECT_EQ(objectLedger().userObjects, before.userObjects);
}

std::vector<int> destroyedIds;

LRESULT CALLBACK recordDestroyedChildren(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    if (message == WM_PARENTNOTIFY && LOWORD(wParam) == WM_DESTROY) {
        destroyedIds.push_back(HIWORD(wParam));
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

TEST(UiWindow, DestroyRemovesControlsFromTheHighestIndexDown) {
    TestWindow test;
    for (int i = 0; i < 4; ++i) {
        ASSERT_EQ(addLabel(test.window, L"x", 0, i * 20, 50, 20), i + 1);
    }
    removeControl(test.window, 2);
    destroyedIds.clear();
    SetWindowSubclass(test.hwnd(), recordDestroyedChildren, 1, 0);
    ASSERT_TRUE(destroyWindow(test.window));
    EXPECT_EQ(destroyedIds, (std::vector<int>{4, 3, 1}));
    EXPECT_EQ(test.window.controlCount, 0);
    EXPECT_NE(test.window.controls, nullptr);  // kept for the next creation
}

TEST(UiWindow, CreatingAgainReplacesTheOldWindow) {
    TestWindow test;
    HWND first = test.hwnd();
    addLabel(test.window, L"x", 0, 0, 10, 10);
    HWND second = createWindow(test.window, kTestClass, L"Again", 300, 200, 5, 5, WS_OVERLAPPEDWINDOW, 0, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_FALSE(IsWindow(first));
    EXPECT_EQ(test.window.controlCount, 0);
    EXPECT_EQ(test.window.clientWidth, 300);
}

}  // namespace
