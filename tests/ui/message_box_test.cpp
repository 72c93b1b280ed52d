#include "ui/message_box.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "ui/button.h"
#include "ui/controls.h"
#include "ui/event_loop.h"
#include "ui_test_support.h"

namespace {

constexpr wchar_t kBoxClass[] = L"_WINDOW_MsgBoxClass";

// The background bitmap of a window as 0x00RRGGBB pixels, top row first.
std::vector<uint32_t> backgroundPixels(const UiWindow& window, int32_t width, int32_t height) {
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    HDC dc = GetDC(nullptr);
    GetDIBits(dc, window.backgroundBitmap, 0, height, pixels.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, dc);
    for (uint32_t& pixel : pixels) {
        pixel &= 0x00FFFFFF;
    }
    return pixels;
}

RECT placementOf(HWND control) {
    RECT rect{};
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

TEST(UiMessageBox, A450By180BoxPlacesItsLabelAndButton) {
    TestWindow owner(600, 400);
    UiMessageBox box;
    buildMessageBox(box, &owner.window, L"Done.", 180, 450);
    ASSERT_NE(box.window.hwnd, nullptr);
    EXPECT_EQ(box.event, &owner.event);
    EXPECT_EQ(box.window.eventTarget, &owner.event);
    RECT outer{};
    GetWindowRect(box.window.hwnd, &outer);
    EXPECT_EQ(outer.right - outer.left, 450);
    EXPECT_EQ(outer.bottom - outer.top, 180);
    EXPECT_EQ(GetWindowLongW(box.window.hwnd, GWL_STYLE) & WS_POPUP, static_cast<LONG>(WS_POPUP));
    ASSERT_GT(box.textIndex, 0);
    ASSERT_GT(box.okIndex, 0);
    RECT label = placementOf(box.window.controls[box.textIndex].hwnd);
    EXPECT_EQ(label.left, 20);
    EXPECT_EQ(label.top, 20);
    EXPECT_EQ(label.right - label.left, 410);
    EXPECT_EQ(label.bottom - label.top, 115);
    // An "&" in the text is shown as it is.
    EXPECT_TRUE(GetWindowLongW(box.window.controls[box.textIndex].hwnd, GWL_STYLE) & SS_NOPREFIX);
    RECT button = placementOf(box.window.controls[box.okIndex].hwnd);
    EXPECT_EQ(button.left, 315);
    EXPECT_EQ(button.top, 145);
    EXPECT_EQ(button.right - button.left, 80);
    EXPECT_EQ(button.bottom - button.top, 25);
    wchar_t text[16];
    GetWindowTextW(box.window.controls[box.okIndex].hwnd, text, 16);
    EXPECT_STREQ(text, L"OK");
    EXPECT_EQ(box.window.defaultButton, box.okIndex);
    // The default font style 1 is upright, in the text and on the button.
    for (int32_t index : {box.textIndex, box.okIndex}) {
        LOGFONTW font{};
        auto handle = reinterpret_cast<HFONT>(SendMessageW(box.window.controls[index].hwnd, WM_GETFONT, 0, 0));
        ASSERT_EQ(GetObjectW(handle, sizeof font, &font), static_cast<int>(sizeof font));
        EXPECT_EQ(font.lfItalic, 0) << index;
        EXPECT_EQ(font.lfHeight, -12) << index;
    }
    EXPECT_EQ(GetFocus(), box.window.controls[box.okIndex].hwnd);
    EXPECT_TRUE(IsWindowVisible(box.window.hwnd));
    // Centred on the owner.
    RECT ownerRect{};
    GetWindowRect(owner.hwnd(), &ownerRect);
    EXPECT_EQ(outer.left, (ownerRect.right - ownerRect.left) / 2 + ownerRect.left - 225);
    EXPECT_EQ(owner.window.attachedWindows[0], box.window.hwnd);
    EXPECT_EQ(owner.window.attachedCount, 1);
    closeMessageBox(box);
    EXPECT_EQ(box.window.hwnd, nullptr);
}

TEST(UiMessageBox, NarrowWidthsBecome360) {
    for (auto [asked, expected] : {std::pair{0, 360}, std::pair{159, 360}, std::pair{160, 160}}) {
        UiMessageBox box;
        buildMessageBox(box, nullptr, L"x", 120, asked);
        RECT outer{};
        GetWindowRect(box.window.hwnd, &outer);
        EXPECT_EQ(outer.right - outer.left, expected) << asked;
        EXPECT_EQ(box.event, &box.window.ownEvent);
    }
}

TEST(UiMessageBox, TheBackgroundHasARimAFaceAndABand) {
    constexpr int32_t W = 300;
    constexpr int32_t H = 150;
    UiMessageBox box;
    buildMessageBox(box, nullptr, L"", H, W);
    ASSERT_EQ(box.window.backgroundKind, TiledPattern);
    std::vector<uint32_t> pixels = backgroundPixels(box.window, W, H);
    auto at = [&](int x, int y) { return pixels[static_cast<size_t>(y) * W + x]; };
    EXPECT_EQ(at(2, H / 2), 0x000000u);
    EXPECT_EQ(at(W - 3, H / 2), 0x000000u);
    EXPECT_EQ(at(10, 10), 0xFFFFFFu);
    EXPECT_EQ(at(W / 2, H - 40), 0xFFFFFFu);
    for (int y = H - 39; y <= H - 5; ++y) {
        for (int x = 4; x <= W - 5; ++x) {
            ASSERT_EQ(at(x, y), 0xF0F0FFu) << x << "," << y;
        }
    }
    // The window outline has rounded corners.
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(GetWindowRgn(box.window.hwnd, region), ERROR);
    EXPECT_FALSE(PtInRegion(region, 0, 0));
    EXPECT_TRUE(PtInRegion(region, W / 2, 1));
    DeleteObject(region);
    // The erase paints the picture: the face shows through behind the label.
    ClientPicture shot;
    ASSERT_TRUE(printClient(box.window.hwnd, shot));
    EXPECT_EQ(shot.at(2, H / 2), 0x000000u);
    EXPECT_EQ(shot.at(W - 10, 10), 0xFFFFFFu);
    EXPECT_EQ(shot.at(10, H - 20), 0xF0F0FFu);
}

TEST(UiMessageBox, AMinimisedOwnerIsRestoredFirst) {
    TestWindow owner(300, 200);
    ShowWindow(owner.hwnd(), SW_SHOWMINIMIZED);
    ASSERT_TRUE(IsIconic(owner.hwnd()));
    UiMessageBox box;
    buildMessageBox(box, &owner.window, L"x", 120, 200);
    EXPECT_FALSE(IsIconic(owner.hwnd()));
}

TEST(UiMessageBox, TheFortyNinthLiveBoxIsNotEntered) {
    TestWindow owner(300, 200);
    std::vector<std::unique_ptr<TestWindow>> others;
    for (int i = 0; i < UI_ATTACHED_WINDOWS; ++i) {
        others.push_back(std::make_unique<TestWindow>(10, 10, WS_POPUP));
        owner.window.attachedWindows[i] = others.back()->hwnd();
    }
    owner.window.attachedCount = UI_ATTACHED_WINDOWS;
    UiMessageBox box;
    buildMessageBox(box, &owner.window, L"x", 120, 200);
    ASSERT_NE(box.window.hwnd, nullptr);
    EXPECT_TRUE(IsWindowVisible(box.window.hwnd));
    for (HWND entry : owner.window.attachedWindows) {
        EXPECT_NE(entry, box.window.hwnd);
    }
    EXPECT_EQ(owner.window.attachedCount, UI_ATTACHED_WINDOWS);
    closeMessageBox(box);

    // A dead entry is reused.
    others[5].reset();
    UiMessageBox next;
    buildMessageBox(next, &owner.window, L"x", 120, 200);
    EXPECT_EQ(owner.window.attachedWindows[5], next.window.hwnd);
}

// Takes the owner's next event, as its loop would; a message posted behind tells whether
// one had to be taken from the queue.
int32_t ownersNextEvent(TestWindow& owner, bool& tookAMessage) {
    PostMessageW(owner.hwnd(), WM_USER + 9, 0, 0);
    nextEvent(owner.event);
    MSG msg;
    tookAMessage = !PeekMessageW(&msg, owner.hwnd(), WM_USER + 9, WM_USER + 9, PM_REMOVE);
    return owner.event.code;
}

TEST(UiMessageBox, ACloseRequestEndsTheBoxWithZeroAndStaysForTheOwnersLoop) {
    TestWindow owner(300, 200);
    owner.event.quit = 0;
    drainQueue();
    PostMessageW(owner.hwnd(), WM_CLOSE, 0, 0);
    EXPECT_EQ(showMessageBox(&owner.window, L"Working", 120, 300), UI_BOX_CLOSED);
    EXPECT_EQ(owner.event.quit, 1);
    EXPECT_TRUE(IsWindow(owner.hwnd()));
    EXPECT_EQ(findOwnWindow(kBoxClass), nullptr);
    // Nothing in the owner's record points at the box that is gone.
    EXPECT_TRUE(owner.event.dialogWindow == nullptr || owner.event.dialogWindow == &owner.window);
    EXPECT_EQ(owner.event.window, &owner.window);
    bool tookAMessage = true;
    EXPECT_EQ(ownersNextEvent(owner, tookAMessage), UI_EVENT_CLOSE);
    EXPECT_FALSE(tookAMessage);
}

TEST(UiMessageBox, TheBoxsOwnCloseRequestEndsOnlyTheBox) {
    TestWindow owner(300, 200);
    owner.event.code = 42;
    UiMessageBox box;
    buildMessageBox(box, &owner.window, L"Working", 120, 300);
    PostMessageW(box.window.hwnd, WM_CLOSE, 0, 0);
    EXPECT_EQ(runMessageBox(box), UI_BOX_CLOSED);
    EXPECT_EQ(owner.event.code, 42);
    EXPECT_EQ(owner.event.pending, 0);
}

TEST(UiMessageBox, TheOwnersClicksAreSwallowedWhileABoxRuns) {
    TestWindow owner(300, 200);
    int32_t ownerButton = addButton(owner.window, L"Do", 10, 10, 60, 25);
    drainQueue();
    PostMessageW(owner.hwnd(), WM_COMMAND, MAKEWPARAM(ownerButton, BN_CLICKED), 0);
    PostMessageW(owner.hwnd(), WM_CLOSE, 0, 0);
    EXPECT_EQ(showMessageBox(&owner.window, L"Busy", 120, 300), UI_BOX_CLOSED);
    EXPECT_EQ(owner.event.code, UI_EVENT_CLOSE);  // the close request, not the click
    MSG msg;
    EXPECT_FALSE(PeekMessageW(&msg, owner.hwnd(), WM_COMMAND, WM_COMMAND, PM_NOREMOVE));
}

HWND closeBehindOk = nullptr;  // asked to close right behind the OK, when set

void CALLBACK pressOk(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND box = findOwnWindow(kBoxClass);
    if (!box) {
        return;
    }
    KillTimer(nullptr, timer);
    HWND ok = FindWindowExW(box, nullptr, L"Button", L"OK");
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(ok), BN_CLICKED), reinterpret_cast<LPARAM>(ok));
    if (closeBehindOk) {
        PostMessageW(closeBehindOk, CloseRequestMessage, 0, 0);
    }
}

TEST(UiMessageBox, PressingOkEndsTheBoxWithOneAndPutsTheRecordBack) {
    TestWindow owner(300, 200);
    owner.event.quit = 0;
    owner.event.code = 42;
    owner.event.window = &owner.window;
    SetTimer(nullptr, 0, 20, pressOk);
    EXPECT_EQ(showMessageBox(&owner.window, L"Done", 120, 300), UI_BOX_OK);
    EXPECT_EQ(owner.event.quit, 0);
    EXPECT_EQ(owner.event.code, 42);
    EXPECT_EQ(owner.event.window, &owner.window);
    EXPECT_EQ(owner.event.pending, 0);
    EXPECT_EQ(findOwnWindow(kBoxClass), nullptr);

    // After the box, one close request ends the owner's loop.
    PostMessageW(owner.hwnd(), WM_CLOSE, 0, 0);
    bool tookAMessage = false;
    int32_t code = 0;
    for (int turn = 0; turn < 20 && code != UI_EVENT_CLOSE; ++turn) {
        code = ownersNextEvent(owner, tookAMessage);
    }
    EXPECT_EQ(code, UI_EVENT_CLOSE);
}

TEST(UiMessageBox, ACloseRequestTakenWhileTheBoxClosesIsKept) {
    TestWindow owner(300, 200);
    closeBehindOk = owner.hwnd();
    SetTimer(nullptr, 0, 20, pressOk);
    EXPECT_EQ(showMessageBox(&owner.window, L"Done", 120, 300), UI_BOX_OK);
    closeBehindOk = nullptr;
    bool tookAMessage = false;
    EXPECT_EQ(ownersNextEvent(owner, tookAMessage), UI_EVENT_CLOSE);
}

TEST(UiMessageBox, TheEndOfTheQueueAndAMissingWindowEndTheRun) {
    TestWindow owner(300, 200);
    PostQuitMessage(0);
    EXPECT_EQ(showMessageBox(&owner.window, L"x", 120, 300), UI_BOX_QUEUE_ENDED);
    UiMessageBox windowless;
    EXPECT_EQ(runMessageBox(windowless), UI_BOX_CLOSED);
}

TEST(UiMessageBox, MovingTheDefaultLeavesOnlyTheNewButtonDefault) {
    TestWindow test;
    int32_t a = addButton(test.window, L"A", 0, 0, 50, 20);
    int32_t b = addButton(test.window, L"B", 0, 30, 50, 20);
    EXPECT_EQ(setDefaultButton(test.window, a), 0);
    EXPECT_EQ(setDefaultButton(test.window, -1), a);
    EXPECT_EQ(test.window.defaultButton, b);
    EXPECT_EQ(GetWindowLongW(test.window.controls[a].hwnd, GWL_STYLE) & BS_DEFPUSHBUTTON, 0);
    EXPECT_EQ(GetWindowLongW(test.window.controls[b].hwnd, GWL_STYLE) & BS_DEFPUSHBUTTON, BS_DEFPUSHBUTTON);
    EXPECT_EQ(setDefaultButton(test.window, b), b);
    EXPECT_EQ(setDefaultButton(test.window, 9), 0);
    EXPECT_EQ(test.window.defaultButton, b);
}

}  // namespace
