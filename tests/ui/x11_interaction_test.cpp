// Toolkit behaviour that needs a real display: foreground and focus, keyboard navigation,
// pointer clicks from the X server and pixels on the screen.
#include <gtest/gtest.h>

#include <string>

#include "ui/button.h"
#include "ui/control_state.h"
#include "ui/event_loop.h"
#include "ui/image_control.h"
#include "ui/images.h"
#include "ui/link.h"
#include "ui/message_box.h"
#include "ui/window_lifetime.h"
#include "ui_test_resources.h"
#include "ui_test_support.h"

namespace {

constexpr wchar_t kBoxClass[] = L"_WINDOW_MsgBoxClass";

// Starts a program of the host (xdotool); Wine runs it as a Unix process, which cannot be
// waited for, so callers watch for its effect instead.
bool runHost(const std::wstring& commandLine) {
    std::wstring line = commandLine;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        return false;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

bool clickAt(POINT screen) {
    return runHost(L"/usr/bin/xdotool mousemove " + std::to_wstring(screen.x) + L" " + std::to_wstring(screen.y) +
                   L" click 1");
}

POINT centreOnScreen(HWND control) {
    RECT rect{};
    GetClientRect(control, &rect);
    POINT centre{rect.right / 2, rect.bottom / 2};
    ClientToScreen(control, &centre);
    return centre;
}

// Takes events until one with `code` arrives or `milliseconds` pass; never blocks.
bool waitForEvent(UiEvent& event, int32_t code, int milliseconds) {
    DWORD start = GetTickCount();
    while (GetTickCount() - start < static_cast<DWORD>(milliseconds)) {
        MSG msg;
        if (!PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            Sleep(10);
            continue;
        }
        if (nextEvent(event) && event.code == code) {
            return true;
        }
    }
    return false;
}

struct ShownWindow {
    UiEvent event{};
    UiWindow window;
    ShownWindow() {
        window.eventTarget = &event;
        createWindow(window, kTestClass, L"X11", 400, 300, 100, 100, static_cast<DWORD>(-1), static_cast<DWORD>(-1),
                     nullptr);
    }
    // False also when the window could not be made: no foreground window equals no window.
    bool show() {
        showWindow(window, SW_SHOW, UI_SHOW_UPDATE | UI_SHOW_FOREGROUND | UI_SHOW_ACTIVATE);
        return window.hwnd && pumpUntil([&] { return GetForegroundWindow() == window.hwnd; }, 3000);
    }
};

TEST(X11Interaction, ShowingMakesTheWindowForegroundAndTheDialogWindow) {
    ShownWindow shown;
    ASSERT_TRUE(shown.show());
    pumpPending(&shown.event);
    EXPECT_EQ(shown.event.dialogWindow, &shown.window);
    int32_t button = addButton(shown.window, L"Go", 10, 10, 80, 25);
    ASSERT_TRUE(setControlState(shown.window, button, UI_STATE_FOCUS));
    EXPECT_EQ(GetFocus(), shown.window.controls[button].hwnd);
}

UiWindow* dialogWindowDuringBox = nullptr;
UiEvent* watchedEvent = nullptr;
HWND boxOwner = nullptr;
bool enterSent = false;

void CALLBACK pressEnter(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND box = findOwnWindow(kBoxClass);
    if (!box || !IsWindowVisible(box) || GetFocus() == nullptr) {
        return;
    }
    KillTimer(nullptr, timer);
    dialogWindowDuringBox = watchedEvent->dialogWindow;
    // Without a window manager the X keyboard focus follows the pointer: rest it on the text.
    RECT rect{};
    GetWindowRect(box, &rect);
    enterSent = runHost(L"/usr/bin/xdotool mousemove " + std::to_wstring(rect.left + 30) + L" " +
                        std::to_wstring(rect.top + 30) + L" sleep 0.2 key Return");
}

// Ends a box that never saw the key with a close request, so that the test fails instead of
// waiting for ever.
void CALLBACK giveUp(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    PostMessageW(boxOwner, WM_CLOSE, 0, 0);
}

TEST(X11Interaction, EnterInTheMessageBoxPressesOk) {
    ShownWindow owner;
    ASSERT_TRUE(owner.show());
    watchedEvent = &owner.event;
    boxOwner = owner.window.hwnd;
    UINT_PTR timer = SetTimer(nullptr, 0, 100, pressEnter);
    UINT_PTR fallback = SetTimer(nullptr, 0, 8000, giveUp);
    int32_t result = showMessageBox(&owner.window, L"Press Enter", 120, 300);
    KillTimer(nullptr, timer);
    KillTimer(nullptr, fallback);
    EXPECT_TRUE(enterSent);
    EXPECT_EQ(result, UI_BOX_OK);
    // While the box ran, keyboard messages went through IsDialogMessageW for the box.
    ASSERT_NE(dialogWindowDuringBox, nullptr);
    EXPECT_NE(dialogWindowDuringBox, &owner.window);
}

TEST(X11Interaction, AClickOnAnImageControlIsItsEvent) {
    ShownWindow shown;
    int32_t image =
        addResourceImage(shown.window, GetModuleHandleW(nullptr), MAKEINTRESOURCEW(TEST_SQUARE_48), nullptr, 50, 60, 48, 48);
    ASSERT_NE(image, 0);
    ASSERT_TRUE(shown.show());
    drainQueue();
    ASSERT_TRUE(clickAt(centreOnScreen(shown.window.controls[image].hwnd)));
    ASSERT_TRUE(waitForEvent(shown.event, image, 5000));
    EXPECT_EQ(shown.event.message, static_cast<uint32_t>(WM_COMMAND));
    EXPECT_EQ(shown.event.controlIndex, STN_CLICKED);
    EXPECT_EQ(shown.event.window, &shown.window);
}

TEST(X11Interaction, AClickOnALinkCarriesItsTarget) {
    ShownWindow shown;
    int32_t link = addLink(shown.window, L"<a href=\"https://example.invalid/update\">Update</a>", 50, 150, 120, 24);
    ASSERT_NE(link, 0);
    ASSERT_TRUE(shown.show());
    drainQueue();
    RECT rect{};
    GetClientRect(shown.window.controls[link].hwnd, &rect);
    POINT onText{8, rect.bottom / 2};  // on the first letters of the link text
    ClientToScreen(shown.window.controls[link].hwnd, &onText);
    ASSERT_TRUE(clickAt(onText));
    ASSERT_TRUE(waitForEvent(shown.event, link, 5000));
    EXPECT_EQ(shown.event.message, static_cast<uint32_t>(WM_NOTIFY));
    ASSERT_NE(shown.event.value, 0);
    EXPECT_STREQ(reinterpret_cast<const wchar_t*>(shown.event.value), L"https://example.invalid/update");
}

void CALLBACK takeScreenshot(HWND, UINT, UINT_PTR timer, DWORD);

struct BoxShot {
    RECT rect{};
    ClientPicture picture;
    bool taken = false;
};
BoxShot boxShot;

void CALLBACK takeScreenshot(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND box = findOwnWindow(kBoxClass);
    if (!box || !IsWindowVisible(box)) {
        return;
    }
    KillTimer(nullptr, timer);
    drainQueue();
    Sleep(300);  // let the X server show what was painted
    drainQueue();
    GetWindowRect(box, &boxShot.rect);
    boxShot.taken = captureScreen(boxShot.rect.left, boxShot.rect.top, boxShot.rect.right - boxShot.rect.left,
                                  boxShot.rect.bottom - boxShot.rect.top, boxShot.picture);
    PostMessageW(box, WM_CLOSE, 0, 0);
}

TEST(X11Interaction, TheMessageBoxOnTheScreenShowsItsRimFaceAndBand) {
    ShownWindow owner;
    ASSERT_TRUE(owner.show());
    SetTimer(nullptr, 0, 100, takeScreenshot);
    EXPECT_EQ(showMessageBox(&owner.window, L"On the screen", 150, 300), UI_BOX_CLOSED);
    ASSERT_TRUE(boxShot.taken);
    const ClientPicture& shot = boxShot.picture;
    ASSERT_EQ(shot.width, 300);
    ASSERT_EQ(shot.height, 150);
    EXPECT_EQ(shot.at(2, 75), 0x000000u);
    EXPECT_EQ(shot.at(10, 10), 0xFFFFFFu);
    EXPECT_EQ(shot.at(10, 150 - 20), 0xF0F0FFu);
    EXPECT_EQ(shot.at(150, 150 - 6), 0xF0F0FFu);
}

}  // namespace
