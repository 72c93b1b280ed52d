#include "ui/window_procedure.h"

#include <commctrl.h>
#include <gtest/gtest.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "ui/button.h"
#include "ui/controls.h"
#include "ui/image_control.h"
#include "ui/label.h"
#include "ui/link.h"
#include "ui_test_support.h"

namespace {

LRESULT handle(TestWindow& test, UINT message, WPARAM wParam, LPARAM lParam, bool& passOn) {
    passOn = false;
    return handleWindowMessage(test.window, test.hwnd(), message, wParam, lParam, passOn);
}

int countQueued(HWND hwnd, UINT message) {
    int count = 0;
    MSG msg;
    while (PeekMessageW(&msg, hwnd, message, message, PM_REMOVE)) {
        ++count;
    }
    return count;
}

// An HDROP as the shell builds it: DROPFILES, then the names, each zero-terminated, then one
// more zero.
HDROP makeDrop(const std::vector<std::wstring>& names, POINT point, bool onFrame = false) {
    size_t units = 1;
    for (const std::wstring& name : names) {
        units += name.size() + 1;
    }
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + units * sizeof(wchar_t));
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->pt = point;
    drop->fNC = onFrame;
    drop->fWide = TRUE;
    auto* text = reinterpret_cast<wchar_t*>(drop + 1);
    for (const std::wstring& name : names) {
        memcpy(text, name.c_str(), (name.size() + 1) * sizeof(wchar_t));
        text += name.size() + 1;
    }
    GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

TEST(WindowProcedure, WithoutAnEventTargetEveryMessageIsPassedOn) {
    TestWindow test;
    test.window.eventTarget = nullptr;
    bool passOn = false;
    const UINT messages[] = {WM_CLOSE, WM_ERASEBKGND, DM_GETDEFID, WM_SIZE, WM_COMMAND};
    for (UINT message : messages) {
        EXPECT_EQ(handle(test, message, 0, 0, passOn), 0);
        EXPECT_TRUE(passOn) << message;
    }
    // Through the real window: WM_CLOSE falls to the default and destroys it.
    SendMessageW(test.hwnd(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(test.hwnd()));
}

struct EventCase {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    int32_t code;
    int32_t controlIndex;
    bool passOn;
    LRESULT result;
};

const EventCase kEventCases[] = {
    {CloseRequestMessage, 0, 0, UI_EVENT_CLOSE, 0, false, 0},  // whichever loop dispatched it
    {WM_MOVE, 0, 0, UI_EVENT_MOVED, 0, true, 0},
    {WM_SIZE, SIZE_MINIMIZED, 0, UI_EVENT_RESIZED, 0, false, 0},
    {WM_QUERYENDSESSION, 0, 7, UI_EVENT_SESSION_ENDING, 7, false, TRUE},  // the session may end
    {WM_ENDSESSION, 1, 0, UI_EVENT_SESSION_ENDING, 0, false, 0},
    {WM_NCLBUTTONDOWN, HTCAPTION, 0, UI_EVENT_NC_LBUTTON_DOWN, HTCAPTION, true, 0},
    {WM_NCLBUTTONUP, HTCAPTION, 0, UI_EVENT_NC_LBUTTON_UP, HTCAPTION, true, 0},
    {WM_NCLBUTTONDBLCLK, HTCAPTION, 0, UI_EVENT_NC_DOUBLE_CLICK, HTCAPTION, true, 0},
    {WM_CHAR, 'q', 3, UI_EVENT_CHAR, 'q', true, 0},
    {WM_MOUSEMOVE, MK_SHIFT, MAKELPARAM(-3, 8), UI_EVENT_MOUSE_MOVE, MK_SHIFT, true, 0},
    {WM_LBUTTONUP, MK_CONTROL, 0, UI_EVENT_LBUTTON_UP, MK_CONTROL, true, 0},
    {WM_RBUTTONDOWN, MK_RBUTTON, 0, UI_EVENT_RBUTTON_DOWN, MK_RBUTTON, true, 0},
    {WM_RBUTTONUP, 4, 0, UI_EVENT_RBUTTON_UP, 4, true, 0},
    {WM_MOUSEWHEEL, 0x00780000, 0, UI_EVENT_MOUSE_WHEEL, 0x00780000, true, 0},
    {WM_ENTERMENULOOP, 0, 0, UI_EVENT_MENU_LOOP_ENTERED, 0, true, 0},
    {WM_EXITMENULOOP, 0, 0, UI_EVENT_MENU_LOOP_LEFT, 0, true, 0},
    {WM_SIZING, 0, 0, UI_EVENT_SIZING, 0, false, 0},
    {WM_NCMOUSELEAVE, 0, 0, UI_EVENT_NC_MOUSE_LEAVE, 0, true, 0},
    {WM_SYSCOMMAND, SC_MINIMIZE, 0, UI_EVENT_MINIMIZE, 0, true, 0},
    {WM_SYSCOMMAND, SC_RESTORE, 0, UI_EVENT_RESTORE, 0, true, 0},
    {WM_SYSCOMMAND, SC_MAXIMIZE, 0, UI_EVENT_MAXIMIZE, 0, true, 0},
    {WM_SYSCOMMAND, SC_MOVE, 0, UI_EVENT_MOVING, 0, true, 0},
    {WM_SYSCOMMAND, 0xF012, 0, 0, 0, true, 0},
};

TEST(WindowProcedure, MessagesBecomeTheirEvents) {
    TestWindow test;
    for (const EventCase& c : kEventCases) {
        test.event = UiEvent{};
        bool passOn = false;
        EXPECT_EQ(handle(test, c.message, c.wParam, c.lParam, passOn), c.result) << c.message;
        EXPECT_EQ(passOn, c.passOn) << c.message;
        EXPECT_EQ(test.event.code, c.code) << c.message;
        EXPECT_EQ(test.event.controlIndex, c.controlIndex) << c.message;
        EXPECT_EQ(test.event.pending, c.code ? 1 : 0) << c.message;
        if (c.code) {
            EXPECT_EQ(test.event.message, c.message);
            EXPECT_EQ(test.event.sourceHwnd, test.hwnd());
        }
    }
    EXPECT_EQ(test.window.mouseX, -3);
    EXPECT_EQ(test.window.mouseY, 8);
    EXPECT_EQ(test.window.mouseKeys, MK_SHIFT);
    bool passOn = false;
    EXPECT_EQ(handle(test, WM_MOVING, 0, 0, passOn), 1);
    EXPECT_EQ(test.event.code, UI_EVENT_MOVING);
}

TEST(WindowProcedure, CloseAndTheCloseCommandOnlyPostACloseRequest) {
    TestWindow test;
    drainQueue();
    SendMessageW(test.hwnd(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(test.hwnd()));
    EXPECT_EQ(countQueued(test.hwnd(), CloseRequestMessage), 1);
    // SC_CLOSE posts one request and its default handling sends WM_CLOSE, which posts another.
    SendMessageW(test.hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(IsWindow(test.hwnd()));
    EXPECT_EQ(countQueued(test.hwnd(), CloseRequestMessage), 2);
    EXPECT_EQ(test.event.code, 0);
}

TEST(WindowProcedure, TrackingSizesApplyOnlyWhenTheirSumIsNotZero) {
    TestWindow test;
    test.window.minTrackSize = {10, -10};
    test.window.maxTrackSize = {900, 700};
    MINMAXINFO info{};
    info.ptMinTrackSize = {1, 2};
    info.ptMaxTrackSize = {3, 4};
    bool passOn = false;
    EXPECT_EQ(handle(test, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info), passOn), 0);
    EXPECT_FALSE(passOn);
    EXPECT_EQ(info.ptMinTrackSize.x, 1);
    EXPECT_EQ(info.ptMaxTrackSize.x, 900);
    EXPECT_EQ(info.ptMaxTrackSize.y, 700);
}

TEST(WindowProcedure, CommandsOfControlsBecomeTheirIndex) {
    TestWindow test;
    int32_t button = addButton(test.window, L"b", 0, 0, 50, 20);
    int32_t label = addLabel(test.window, L"l", 0, 30, 50, 20);
    HWND labelHwnd = test.window.controls[label].hwnd;
    bool passOn = false;
    test.event.quit = 1;
    handle(test, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0x55, passOn);
    EXPECT_FALSE(passOn);
    EXPECT_EQ(test.event.code, button);
    EXPECT_EQ(test.event.controlIndex, 0);
    EXPECT_EQ(test.event.value, 0x55);
    EXPECT_EQ(test.event.quit, 0);

    handle(test, WM_COMMAND, MAKEWPARAM(label, STN_DBLCLK), reinterpret_cast<LPARAM>(labelHwnd), passOn);
    EXPECT_EQ(test.event.code, UI_EVENT_DOUBLE_CLICK);
    EXPECT_EQ(test.event.controlIndex, label);
    handle(test, WM_COMMAND, MAKEWPARAM(label, 1), 0, passOn);  // an accelerator
    EXPECT_EQ(test.event.code, label);
    EXPECT_EQ(test.event.controlIndex, 1);

    test.event = UiEvent{};
    handle(test, WM_COMMAND, MAKEWPARAM(button, BN_SETFOCUS), 0x55, passOn);
    EXPECT_FALSE(passOn);
    EXPECT_EQ(test.event.code, 0);
    handle(test, WM_COMMAND, MAKEWPARAM(40, BN_CLICKED), 0, passOn);
    EXPECT_TRUE(passOn);
    EXPECT_EQ(test.event.code, 0);
}

TEST(WindowProcedure, LinkNotificationsCarryTheTargetInTheScratchText) {
    TestWindow test;
    int32_t link = addLink(test.window, L"<a href=\"https://example.invalid/help\">help</a>", 0, 0, 100, 20);
    NMLINK click{};
    click.hdr.hwndFrom = test.window.controls[link].hwnd;
    click.hdr.idFrom = link;
    click.hdr.code = NM_CLICK;
    click.item.iLink = 0;
    wcscpy(click.item.szUrl, L"https://example.invalid/help");
    bool passOn = false;
    EXPECT_EQ(handle(test, WM_NOTIFY, link, reinterpret_cast<LPARAM>(&click), passOn), 0);
    EXPECT_FALSE(passOn);
    EXPECT_EQ(test.event.code, link);
    EXPECT_EQ(test.event.controlIndex, 0);
    ASSERT_NE(test.event.value, 0);
    EXPECT_STREQ(reinterpret_cast<const wchar_t*>(test.event.value), L"https://example.invalid/help");

    int32_t button = addButton(test.window, L"b", 0, 30, 50, 20);
    NMHDR header{test.window.controls[button].hwnd, static_cast<UINT_PTR>(button), static_cast<UINT>(NM_RETURN)};
    handle(test, WM_NOTIFY, button, reinterpret_cast<LPARAM>(&header), passOn);
    EXPECT_EQ(test.event.code, UI_EVENT_RETURN);
    EXPECT_EQ(test.event.controlIndex, button);
    header.code = NM_DBLCLK;
    handle(test, WM_NOTIFY, button, reinterpret_cast<LPARAM>(&header), passOn);
    EXPECT_EQ(test.event.code, UI_EVENT_DOUBLE_CLICK);
    test.event = UiEvent{};
    header.idFrom = 77;
    EXPECT_EQ(handle(test, WM_NOTIFY, 77, reinterpret_cast<LPARAM>(&header), passOn), 0);
    EXPECT_FALSE(passOn);
    EXPECT_EQ(test.event.code, 0);
}

TEST(WindowProcedure, TheDefaultIdCarriesTheDefaultButton) {
    TestWindow test;
    bool passOn = false;
    EXPECT_EQ(handle(test, DM_GETDEFID, 0, 0, passOn), 0);
    for (int i = 0; i < 3; ++i) {
        addButton(test.window, L"b", 0, i * 30, 50, 20);
    }
    setDefaultButton(test.window, 3);
    EXPECT_EQ(SendMessageW(test.hwnd(), DM_GETDEFID, 0, 0), 0x534B0003);
}

TEST(WindowProcedure, DroppedFilesAreJoinedAndTheDropTargetFound) {
    TestWindow test(400, 300);
    ShowWindow(test.hwnd(), SW_SHOWNA);  // children count as visible only in a visible window
    int32_t label = addLabel(test.window, L"target", 100, 100, 80, 40);
    bool passOn = false;
    HDROP onPlain = makeDrop({L"C:\\a", L"C:\\b", L"C:\\c"}, {10, 10});
    EXPECT_EQ(handle(test, WM_DROPFILES, reinterpret_cast<WPARAM>(onPlain), 0, passOn), 0);
    EXPECT_FALSE(passOn);
    EXPECT_EQ(test.event.code, UI_EVENT_FILES_DROPPED);
    EXPECT_EQ(test.event.controlIndex, 0);
    EXPECT_STREQ(reinterpret_cast<const wchar_t*>(test.event.value), L"C:\\a\r\nC:\\b\r\nC:\\c");
    EXPECT_EQ(test.window.dropPoint.x, 10);

    HDROP onLabel = makeDrop({L"C:\\only.txt"}, {120, 110});
    handle(test, WM_DROPFILES, reinterpret_cast<WPARAM>(onLabel), 0, passOn);
    EXPECT_EQ(test.event.controlIndex, label);
    EXPECT_STREQ(reinterpret_cast<const wchar_t*>(test.event.value), L"C:\\only.txt");

    HDROP empty = makeDrop({}, {10, 10});
    handle(test, WM_DROPFILES, reinterpret_cast<WPARAM>(empty), 0, passOn);
    EXPECT_STREQ(reinterpret_cast<const wchar_t*>(test.event.value), L"");

    // A drop on the frame is finished without an event, and no freed handle stays behind.
    test.event = UiEvent{};
    HDROP onFrame = makeDrop({L"C:\\frame.txt"}, {10, 10}, true);
    handle(test, WM_DROPFILES, reinterpret_cast<WPARAM>(onFrame), 0, passOn);
    EXPECT_EQ(test.event.code, 0);
    EXPECT_EQ(test.window.dropHandle, nullptr);
}

TEST(WindowProcedure, ChildAtPointPicksTheSmallestVisibleChild) {
    TestWindow test(400, 300);
    ShowWindow(test.hwnd(), SW_SHOWNA);
    int32_t big = addLabel(test.window, L"big", 0, 0, 200, 200);
    int32_t small = addLabel(test.window, L"small", 50, 50, 20, 20);
    int32_t hidden = addLabel(test.window, L"hidden", 55, 55, 5, 5);
    ShowWindow(test.window.controls[hidden].hwnd, SW_HIDE);
    EXPECT_EQ(childAtPoint(test.hwnd(), 56, 56), test.window.controls[small].hwnd);
    EXPECT_EQ(childAtPoint(test.hwnd(), 150, 150), test.window.controls[big].hwnd);
    EXPECT_EQ(childAtPoint(test.hwnd(), 350, 250), nullptr);
    EXPECT_EQ(childAtPoint(nullptr, 1, 1), nullptr);
}

TEST(WindowProcedure, FramelessWindowsHaveNoFrame) {
    TestWindow test(300, 200);
    bool passOn = false;
    NCCALCSIZE_PARAMS params{};
    WINDOWPOS pos{};
    params.rgrc[0] = {100, 100, 400, 300};
    params.lppos = &pos;
    handle(test, WM_NCCALCSIZE, TRUE, reinterpret_cast<LPARAM>(&params), passOn);
    EXPECT_TRUE(passOn);  // not frameless yet

    test.window.frameless = 1;
    EXPECT_EQ(handle(test, WM_NCCALCSIZE, TRUE, reinterpret_cast<LPARAM>(&params), passOn),
              WVR_VALIDRECTS | WVR_REDRAW);
    EXPECT_FALSE(passOn);
    EXPECT_EQ(params.rgrc[0].left, 100);
    EXPECT_EQ(params.rgrc[0].right, 400);
    EXPECT_EQ(pos.cx, 300);
    test.window.frameless = 3;
    params.rgrc[0] = {100, 100, 400, 300};
    handle(test, WM_NCCALCSIZE, TRUE, reinterpret_cast<LPARAM>(&params), passOn);
    EXPECT_EQ(params.rgrc[0].left, 102);
    EXPECT_EQ(params.rgrc[0].bottom, 298);
    EXPECT_EQ(params.rgrc[1].left, 100);

    test.event = UiEvent{};
    EXPECT_EQ(handle(test, WM_NCPAINT, 1, 0, passOn), 0);
    EXPECT_FALSE(passOn);
    EXPECT_EQ(handle(test, WM_NCACTIVATE, TRUE, 0, passOn), 1);
    EXPECT_FALSE(passOn);
    EXPECT_EQ(test.event.code, 0);

    // Through the real window: the client area becomes the whole window.
    test.window.frameless = 1;
    SetWindowPos(test.hwnd(), nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
    RECT window{};
    RECT client{};
    GetWindowRect(test.hwnd(), &window);
    GetClientRect(test.hwnd(), &client);
    EXPECT_EQ(client.right, window.right - window.left);
    EXPECT_EQ(client.bottom, window.bottom - window.top);
}

TEST(WindowProcedure, AttachedWindowsMoveWithTheirOwner) {
    TestWindow owner(300, 200);
    TestWindow boxOne(50, 50, WS_POPUP, owner.hwnd());
    TestWindow boxTwo(50, 50, WS_POPUP, owner.hwnd());
    SetWindowPos(boxOne.hwnd(), nullptr, 100, 100, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    SetWindowPos(boxTwo.hwnd(), nullptr, 200, 50, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    owner.window.attachedWindows[0] = boxOne.hwnd();
    owner.window.attachedWindows[2] = boxTwo.hwnd();
    owner.window.attachedCount = 3;
    RECT before{};
    GetWindowRect(owner.hwnd(), &before);
    SetWindowPos(owner.hwnd(), nullptr, before.left + 30, before.top - 5, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT one{};
    RECT two{};
    GetWindowRect(boxOne.hwnd(), &one);
    GetWindowRect(boxTwo.hwnd(), &two);
    EXPECT_EQ(one.left, 130);
    EXPECT_EQ(one.top, 95);
    EXPECT_EQ(two.left, 230);
    EXPECT_EQ(two.top, 45);
    EXPECT_EQ(owner.event.code, UI_EVENT_SIZING);
}

TEST(WindowProcedure, CursorsFollowTheControlUnderTheMouse) {
    TestWindow test;
    int32_t label = addLabel(test.window, L"l", 0, 0, 50, 20);
    HCURSOR hand = LoadCursorW(nullptr, IDC_HAND);
    test.window.controls[label].icon = hand;
    bool passOn = false;
    EXPECT_EQ(handle(test, WM_SETCURSOR, reinterpret_cast<WPARAM>(test.window.controls[label].hwnd),
                     MAKELPARAM(HTCLIENT, WM_MOUSEMOVE), passOn),
              1);
    EXPECT_FALSE(passOn);
    EXPECT_EQ(test.window.hotControl, label);
    EXPECT_EQ(test.event.code, UI_EVENT_HOT_CONTROL);
    EXPECT_EQ(test.event.controlIndex, label);
    EXPECT_EQ(GetCursor(), hand);
    handle(test, WM_SETCURSOR, reinterpret_cast<WPARAM>(test.hwnd()), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE), passOn);
    EXPECT_TRUE(passOn);
    EXPECT_EQ(test.window.hotControl, 0);
    test.window.cursor = LoadCursorW(nullptr, IDC_CROSS);
    EXPECT_EQ(handle(test, WM_SETCURSOR, reinterpret_cast<WPARAM>(test.hwnd()), MAKELPARAM(HTCLIENT, 0), passOn), 1);

    test.window.hotControl = 5;
    handle(test, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(test.window.controls[label].hwnd), 0, passOn);
    EXPECT_EQ(test.event.code, UI_EVENT_CONTEXT_MENU);
    EXPECT_EQ(test.event.controlIndex, label);
    EXPECT_EQ(test.window.hotControl, label);
    handle(test, WM_LBUTTONDBLCLK, 0, 0, passOn);
    EXPECT_EQ(test.event.code, UI_EVENT_DOUBLE_CLICK);
    EXPECT_EQ(test.event.controlIndex, label);
    handle(test, WM_ACTIVATE, WA_INACTIVE, 0, passOn);
    EXPECT_EQ(test.event.code, UI_EVENT_DEACTIVATED);
    EXPECT_EQ(test.window.hotControl, 0);
    EXPECT_EQ(test.event.dialogWindow, nullptr);
}

TEST(WindowProcedure, PopupsCloseOnSystemCommands) {
    TestWindow test;
    HWND popupHwnd = CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 0, 10, 10, test.hwnd(), nullptr, nullptr, nullptr);
    test.window.popupWindow = popupHwnd;
    bool passOn = false;
    handle(test, WM_SYSCOMMAND, 0xF012, 0, passOn);
    EXPECT_FALSE(IsWindow(popupHwnd));
    EXPECT_EQ(test.window.popupWindow, nullptr);
    EXPECT_TRUE(closePopup(test.window));
}

}  // namespace
