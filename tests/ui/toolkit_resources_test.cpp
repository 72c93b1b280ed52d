#include "ui/object_ledger.h"

#include <gtest/gtest.h>

#include <memory>

#include "ui/controls.h"
#include "ui/image_control.h"
#include "ui/images.h"
#include "ui/label.h"
#include "ui/link.h"
#include "ui/message_box.h"
#include "ui/shapes.h"
#include "ui/tooltip.h"
#include "ui/window_lifetime.h"
#include "ui_test_resources.h"
#include "ui_test_support.h"

namespace {

// One full life of a window: controls of every kind, a picture background, a rounded
// outline, a replaced picture and a message box closed by a close request.
void windowLifetime() {
    UiEvent event{};
    UiWindow window;
    window.eventTarget = &event;
    ASSERT_NE(createWindow(window, kTestClass, L"Life", 400, 300, -1, -1, static_cast<DWORD>(-1),
                           static_cast<DWORD>(-1), nullptr),
              nullptr);
    std::unique_ptr<Gdiplus::Bitmap> picture(
        loadImageResource(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(TEST_HALVES_100), 0, 0));
    setBackgroundImage(window, picture.get(), 0, 0);
    window.nextBackColour = RGB(1, 2, 3);
    addLabel(window, L"label", 10, 10, 100, 20);
    window.nextBackColour = -1;
    addLabel(window, L"see-through", 10, 40, 100, 20);
    addLink(window, L"<a href=\"https://example.invalid/\">link</a>", 10, 70, 100, 20);
    setLinkDefaultColours(window);
    setLastControlFontSize(window, 12);
    addResourceImage(window, GetModuleHandleW(nullptr), MAKEINTRESOURCEW(TEST_EMBLEM_64), nullptr, 10, 100, 64, 64);
    setControlImage(window, -1, nullptr, 32, 32);
    setWindowShape(window, 12);
    ShowWindow(window.hwnd, SW_SHOW);
    ClientPicture shot;
    printClient(window.hwnd, shot);  // colour messages for every control
    PostMessageW(window.hwnd, WM_CLOSE, 0, 0);
    showMessageBox(&window, L"Done", 120, 300);
    destroyWindow(window);
}

// The toolkit's own ledger is the measure: Wine counts no GUI resources of a process.
TEST(ToolkitResources, TwoHundredWindowLifetimesGiveBackEveryObject) {
    const ObjectLedger before = objectLedger();
    for (int i = 0; i < 200; ++i) {
        windowLifetime();
        ASSERT_EQ(objectLedger().gdiObjects, before.gdiObjects) << "GDI objects after lifetime " << i;
        ASSERT_EQ(objectLedger().userObjects, before.userObjects) << "USER objects after lifetime " << i;
    }
}

// Fonts, the tooltip's font, and the box's background and outline are made again at each
// DPI; what they replace must go.
TEST(ToolkitResources, ADpiRoundTripLeavesNoObjectBehind) {
    TestWindow test;
    const int32_t label = addLabel(test.window, L"label", 10, 10, 100, 20);
    addControlTooltip(test.window, label);
    addLink(test.window, L"<a>link</a>", 10, 40, 100, 20);
    setLastControlFontSize(test.window, 12);
    UiMessageBox box;
    buildMessageBox(box, &test.window, L"Done", 120, 300);
    const ObjectLedger before = objectLedger();
    for (UINT dpi : {144u, 96u}) {
        for (HWND hwnd : {test.hwnd(), box.window.hwnd}) {
            SendMessageW(hwnd, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), 0);
        }
    }
    EXPECT_EQ(objectLedger().gdiObjects, before.gdiObjects);
    EXPECT_EQ(objectLedger().userObjects, before.userObjects);
}

TEST(ToolkitResources, TheLedgerSeesAWindowsObjectsWhileItLives) {
    const ObjectLedger before = objectLedger();
    {
        TestWindow test;
        addLabel(test.window, L"x", 0, 0, 10, 10);
        // Window, control, icons; brush, memory DC, font.
        EXPECT_GE(objectLedger().userObjects - before.userObjects, 2);
        EXPECT_GE(objectLedger().gdiObjects - before.gdiObjects, 3);
    }
    EXPECT_EQ(objectLedger().gdiObjects, before.gdiObjects);
    EXPECT_EQ(objectLedger().userObjects, before.userObjects);
}

}  // namespace
