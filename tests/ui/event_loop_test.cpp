#include "ui/event_loop.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include "ui/button.h"
#include "ui_test_support.h"

namespace {

struct QuitCase {
    int32_t code;
    uint8_t quitBefore;
    uint8_t quitAfter;
    uint8_t pending;
};

const QuitCase kQuitCases[] = {
    {UI_EVENT_CLOSE, 0, 1, 1}, {5, 1, 0, 1}, {0, 1, 1, 0}, {UI_EVENT_RESIZED, 1, 1, 1}, {UI_EVENT_RESIZED, 0, 0, 1},
};

TEST(PostEvent, WritesTheRecordAndTouchesQuitOnlyForCloseAndControls) {
    UiWindow window;
    EXPECT_EQ(postEvent(window, 3, 0, nullptr, 0, 0), nullptr);
    UiEvent event{};
    window.eventTarget = &event;
    for (const QuitCase& c : kQuitCases) {
        event.quit = c.quitBefore;
        event.pending = 0;
        HWND source = reinterpret_cast<HWND>(0x1234);
        EXPECT_EQ(postEvent(window, c.code, WM_COMMAND, source, 7, 99), &event);
        EXPECT_EQ(event.quit, c.quitAfter) << c.code;
        EXPECT_EQ(event.pending, c.pending) << c.code;
        EXPECT_EQ(event.window, &window);
        EXPECT_EQ(event.sourceHwnd, source);
        EXPECT_EQ(event.message, static_cast<uint32_t>(WM_COMMAND));
        EXPECT_EQ(event.controlIndex, 7);
        EXPECT_EQ(event.value, 99);
    }
    // One pending place: a close request still waiting there is not replaced.
    postEvent(window, UI_EVENT_CLOSE, CloseRequestMessage, nullptr, 0, 0);
    postEvent(window, 5, WM_COMMAND, nullptr, 0, 0);
    EXPECT_EQ(event.code, UI_EVENT_CLOSE);
    EXPECT_EQ(event.pending, 1);
}

TEST(NextEvent, HandsOverAPendingEventWithoutTakingAMessage) {
    TestWindow test;
    PostMessageW(test.hwnd(), WM_USER + 5, 0, 0);
    postEvent(test.window, 4, 0, nullptr, 0, 0);
    ASSERT_TRUE(nextEvent(test.event));
    EXPECT_EQ(test.event.code, 4);
    EXPECT_EQ(test.event.pending, 0);
    MSG msg;
    EXPECT_TRUE(PeekMessageW(&msg, test.hwnd(), WM_USER + 5, WM_USER + 5, PM_NOREMOVE));
}

TEST(NextEvent, TurnsACloseRequestIntoTheCloseEvent) {
    TestWindow test;
    PostMessageW(test.hwnd(), WM_CLOSE, 0, 0);
    ASSERT_TRUE(nextEvent(test.event));  // WM_CLOSE posts the request
    EXPECT_EQ(test.event.code, 0);
    ASSERT_TRUE(nextEvent(test.event));
    EXPECT_EQ(test.event.code, UI_EVENT_CLOSE);
    EXPECT_EQ(test.event.quit, 1);
    EXPECT_EQ(test.event.msg.message, CloseRequestMessage);
    EXPECT_TRUE(IsWindow(test.hwnd()));  // closing is the application's decision
}

TEST(NextEvent, ACloseRequestTakenByAnotherLoopStillReachesTheRecord) {
    TestWindow test;
    drainQueue();
    PostMessageW(test.hwnd(), CloseRequestMessage, 0, 0);
    PostMessageW(test.hwnd(), WM_MOUSEMOVE, 0, 0);  // an event of its own, after the request
    drainQueue();                                   // as a system dialog's loop would
    PostMessageW(test.hwnd(), WM_USER + 1, 0, 0);
    ASSERT_TRUE(nextEvent(test.event));
    EXPECT_EQ(test.event.code, UI_EVENT_CLOSE);
    EXPECT_EQ(test.event.window, &test.window);
    EXPECT_EQ(test.event.sourceHwnd, test.hwnd());
    MSG msg;
    EXPECT_TRUE(PeekMessageW(&msg, test.hwnd(), WM_USER + 1, WM_USER + 1, PM_NOREMOVE));  // no message taken
}

TEST(NextEvent, ReturnsAButtonClickAsTheControlIndex) {
    TestWindow test;
    int32_t index = addButton(test.window, L"Go", 10, 10, 80, 25);
    HWND button = test.window.controls[index].hwnd;
    PostMessageW(test.hwnd(), WM_COMMAND, MAKEWPARAM(index, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    ASSERT_TRUE(nextEvent(test.event));
    EXPECT_EQ(test.event.code, index);
    EXPECT_EQ(test.event.window, &test.window);
    EXPECT_EQ(test.event.value, reinterpret_cast<intptr_t>(button));
}

// Counts the null messages that reach the window.
LRESULT CALLBACK countNullMessages(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR count) {
    if (message == WM_NULL) {
        ++*reinterpret_cast<int*>(count);
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

TEST(NextEvent, LeavesANullMessageUntranslatedAndReportsTheEndOfTheQueue) {
    TestWindow test;
    int dispatched = 0;
    SetWindowSubclass(test.hwnd(), countNullMessages, 1, reinterpret_cast<DWORD_PTR>(&dispatched));
    PostMessageW(test.hwnd(), WM_NULL, 0, 0);
    ASSERT_TRUE(nextEvent(test.event));
    EXPECT_EQ(test.event.code, 0);
    EXPECT_EQ(test.event.msg.message, static_cast<UINT>(WM_NULL));
    SendMessageW(test.hwnd(), WM_NULL, 0, 0);  // the counter itself works
    EXPECT_EQ(dispatched, 1);
    RemoveWindowSubclass(test.hwnd(), countNullMessages, 1);
    PostQuitMessage(0);
    EXPECT_FALSE(nextEvent(test.event));
    EXPECT_EQ(test.event.code, UI_EVENT_QUEUE_ENDED);
}

TEST(PumpPending, ReturnsAtOnceOnAnEmptyQueue) {
    TestWindow test;
    drainQueue();
    pumpPending(&test.event);
    EXPECT_EQ(test.event.code, 0);
    pumpPending(nullptr);
}

TEST(PumpPending, HandlesOneOfThreePlainMessages) {
    TestWindow test;
    drainQueue();
    for (int i = 0; i < 3; ++i) {
        PostMessageW(test.hwnd(), WM_USER + 1, i, 0);
    }
    pumpPending(&test.event);
    int left = 0;
    MSG msg;
    while (PeekMessageW(&msg, test.hwnd(), WM_USER + 1, WM_USER + 1, PM_REMOVE)) {
        ++left;
        EXPECT_EQ(msg.wParam, static_cast<WPARAM>(left));
    }
    EXPECT_EQ(left, 2);
}

TEST(PumpPending, GoesOnWhileMessagesProduceEvents) {
    TestWindow test;
    int32_t index = addButton(test.window, L"Go", 10, 10, 80, 25);
    drainQueue();
    PostMessageW(test.hwnd(), WM_COMMAND, MAKEWPARAM(index, BN_CLICKED), 0);
    PostMessageW(test.hwnd(), WM_COMMAND, MAKEWPARAM(index, BN_CLICKED), 0);
    PostMessageW(test.hwnd(), WM_USER + 1, 0, 0);
    PostMessageW(test.hwnd(), WM_USER + 2, 0, 0);
    pumpPending(&test.event);
    MSG msg;
    EXPECT_FALSE(PeekMessageW(&msg, test.hwnd(), WM_COMMAND, WM_COMMAND, PM_NOREMOVE));
    EXPECT_FALSE(PeekMessageW(&msg, test.hwnd(), WM_USER + 1, WM_USER + 1, PM_NOREMOVE));
    EXPECT_TRUE(PeekMessageW(&msg, test.hwnd(), WM_USER + 2, WM_USER + 2, PM_NOREMOVE));
}

TEST(PumpPending, StopsAtACloseRequestAndLeavesItForTheLoop) {
    TestWindow test;
    int32_t index = addButton(test.window, L"Go", 10, 10, 80, 25);
    drainQueue();
    PostMessageW(test.hwnd(), WM_COMMAND, MAKEWPARAM(index, BN_CLICKED), 0);
    PostMessageW(test.hwnd(), CloseRequestMessage, 0, 0);
    PostMessageW(test.hwnd(), WM_COMMAND, MAKEWPARAM(index, BN_CLICKED), 0);
    pumpPending(&test.event);
    EXPECT_EQ(test.event.code, UI_EVENT_CLOSE);
    EXPECT_EQ(test.event.pending, 1);
    pumpPending(&test.event);  // a second drain does not take it either
    ASSERT_TRUE(nextEvent(test.event));
    EXPECT_EQ(test.event.code, UI_EVENT_CLOSE);
    MSG msg;
    EXPECT_TRUE(PeekMessageW(&msg, test.hwnd(), WM_COMMAND, WM_COMMAND, PM_NOREMOVE));
}

TEST(ShowWindow, ShowsHidesAndRefusesAWindowlessObject) {
    UiWindow none;
    EXPECT_FALSE(showWindow(none, SW_SHOW, 0));
    TestWindow test;
    EXPECT_FALSE(showWindow(test.window, SW_SHOW, UI_SHOW_UPDATE | UI_SHOW_REDRAW));  // was hidden
    EXPECT_TRUE(IsWindowVisible(test.hwnd()));
    EXPECT_TRUE(showWindow(test.window, SW_HIDE, 0));
    EXPECT_FALSE(IsWindowVisible(test.hwnd()));
}

TEST(ShowWindow, ActivatingMakesTheForegroundWindowTheDialogWindow) {
    TestWindow test;
    showWindow(test.window, SW_SHOW, UI_SHOW_FOREGROUND);
    // The foreground window is reported only once messages have been pumped.
    ASSERT_TRUE(pumpUntil([&] { return GetForegroundWindow() == test.hwnd(); }, 2000));
    test.event.dialogWindow = nullptr;
    showWindow(test.window, SW_SHOW, UI_SHOW_ACTIVATE | UI_SHOW_PUMP);
    EXPECT_EQ(test.event.dialogWindow, &test.window);
    EXPECT_TRUE(IsWindowEnabled(test.hwnd()));
}

}  // namespace
