#include "ui/control_state.h"

#include <gtest/gtest.h>

#include "ui/button.h"
#include "ui/controls.h"
#include "ui/label.h"
#include "ui_test_support.h"

namespace {

struct CheckCase {
    uint32_t flags;
    LRESULT expected;
};

const CheckCase kCheckCases[] = {
    {UI_STATE_CHECK, BST_CHECKED},
    {UI_STATE_CHECK | UI_STATE_UNCHECK, BST_CHECKED},
    {UI_STATE_UNCHECK, BST_UNCHECKED},
    {UI_STATE_INDETERMINATE, BST_INDETERMINATE},
    {UI_STATE_UNCHECK | UI_STATE_INDETERMINATE, BST_UNCHECKED},
};

TEST(ControlState, CheckWinsOverUncheckAndUncheckOverThirdState) {
    TestWindow test;
    HWND box = CreateWindowExW(0, L"Button", L"box", WS_CHILD | WS_VISIBLE | BS_3STATE, 0, 0, 80, 20, test.hwnd(),
                               reinterpret_cast<HMENU>(1), nullptr, nullptr);
    ensureControlCapacity(test.window);
    int32_t index = registerControl(test.window, UI_KIND_BUTTON, box);
    for (const CheckCase& c : kCheckCases) {
        SendMessageW(box, BM_SETCHECK, BST_UNCHECKED, 0);
        if (c.flags == (UI_STATE_UNCHECK | UI_STATE_INDETERMINATE)) {
            SendMessageW(box, BM_SETCHECK, BST_CHECKED, 0);
        }
        ASSERT_TRUE(setControlState(test.window, index, c.flags));
        EXPECT_EQ(SendMessageW(box, BM_GETCHECK, 0, 0), c.expected) << c.flags;
    }
}

TEST(ControlState, HideWinsOverShowAndEnableOverDisable) {
    TestWindow test;
    addLabel(test.window, L"a", 0, 0, 10, 10);
    HWND label = test.window.controls[1].hwnd;
    ASSERT_TRUE(setControlState(test.window, -1, UI_STATE_HIDE | UI_STATE_SHOW));
    EXPECT_EQ(GetWindowLongW(label, GWL_STYLE) & WS_VISIBLE, 0);
    ASSERT_TRUE(setControlState(test.window, 1, UI_STATE_SHOW | UI_STATE_DISABLE));
    EXPECT_NE(GetWindowLongW(label, GWL_STYLE) & WS_VISIBLE, 0);
    EXPECT_FALSE(IsWindowEnabled(label));
    ASSERT_TRUE(setControlState(test.window, 1, UI_STATE_ENABLE | UI_STATE_DISABLE));
    EXPECT_TRUE(IsWindowEnabled(label));
}

TEST(ControlState, FocusGoesToTheControlAndBackToTheWindow) {
    TestWindow test;
    ShowWindow(test.hwnd(), SW_SHOW);
    SetForegroundWindow(test.hwnd());
    addButton(test.window, L"one", 0, 0, 60, 20);
    int32_t second = addButton(test.window, L"two", 0, 30, 60, 20);
    ASSERT_TRUE(setControlState(test.window, -1, UI_STATE_FOCUS));
    EXPECT_EQ(GetFocus(), test.window.controls[second].hwnd);
    ASSERT_TRUE(setControlState(test.window, second, UI_STATE_UNFOCUS));
    EXPECT_EQ(GetFocus(), test.hwnd());
}

TEST(ControlState, RefusesSlotsThatAreNotInUse) {
    TestWindow test;
    EXPECT_FALSE(setControlState(test.window, -1, UI_STATE_HIDE));
    addLabel(test.window, L"a", 0, 0, 10, 10);
    addLabel(test.window, L"b", 0, 0, 10, 10);
    removeControl(test.window, 1);
    EXPECT_FALSE(setControlState(test.window, 1, UI_STATE_HIDE));
    EXPECT_FALSE(setControlState(test.window, 3, UI_STATE_HIDE));
    EXPECT_TRUE(setControlState(test.window, 2, UI_STATE_HIDE));
}

}  // namespace
