#include "ui/image_button.h"

#include <commctrl.h>
#include <oleacc.h>
#include <gtest/gtest.h>

#include "ui/controls.h"
#include "ui/image_control.h"
#include "ui/label.h"
#include "ui/painting.h"
#include "ui_test_support.h"

namespace {

constexpr COLORREF kMark = RGB(250, 0, 0);

// Two image buttons with a label between them, and a plain picture after them; a third button
// stands in a row below the second.
struct Row {
    TestWindow test{200, 100};
    int32_t below = addImage(test.window, nullptr, 60, 40, 20, 20);
    int32_t first = addImage(test.window, nullptr, 0, 0, 20, 20);
    int32_t label = addLabel(test.window, L"", 30, 0, 20, 20);
    int32_t second = addImage(test.window, nullptr, 60, 0, 20, 20);
    int32_t picture = addImage(test.window, nullptr, 90, 0, 20, 20);

    Row() {
        ShowWindow(test.hwnd(), SW_SHOW);
        makeImageButton(test.window, first, L"First", L"Press", kMark);
        makeImageButton(test.window, second, L"Second", L"Press", kMark);
        makeImageButton(test.window, below, L"Below", L"Press", kMark);
    }
    HWND at(int32_t index) const { return test.window.controls[index].hwnd; }
};

struct KeyCase {
    const char* what;
    WPARAM key;
    LPARAM flags;
    int32_t Row::*from;
    bool clicks;
    int32_t Row::*focus;
};

const KeyCase kKeyCases[] = {
    {"Space clicks", VK_SPACE, 0, &Row::first, true, &Row::first},
    {"a held Space clicks once", VK_SPACE, 1 << 30, &Row::first, false, &Row::first},
    {"Enter clicks", VK_RETURN, 0, &Row::second, true, &Row::second},
    {"Right passes the label", VK_RIGHT, 0, &Row::first, false, &Row::second},
    {"Right stops at the last button", VK_RIGHT, 0, &Row::second, false, &Row::second},
    {"Left goes back", VK_LEFT, 0, &Row::second, false, &Row::first},
    {"Down goes to the nearest button of the row below", VK_DOWN, 0, &Row::first, false, &Row::below},
    {"Up goes to the nearest button of the row above", VK_UP, 0, &Row::below, false, &Row::second},
    {"Up stops at the first row", VK_UP, 0, &Row::second, false, &Row::second},
    {"other keys do nothing", 'A', 0, &Row::first, false, &Row::first},
};

TEST(ImageButton, KeysClickAsTheMouseDoesAndMoveTheFocusAlongTheButtons) {
    Row row;
    for (const KeyCase& c : kKeyCases) {
        const int32_t start = row.*c.from;
        SetFocus(row.at(start));
        drainQueue();
        row.test.event = UiEvent{};
        SendMessageW(row.at(start), WM_KEYDOWN, c.key, c.flags);
        drainQueue();
        // A click on the picture posts the control's index with STN_CLICKED, 0.
        EXPECT_EQ(row.test.event.code, c.clicks ? start : 0) << c.what;
        EXPECT_EQ(row.test.event.controlIndex, 0) << c.what;
        EXPECT_EQ(GetFocus(), row.at(row.*c.focus)) << c.what;
    }
}

int stateChanges = 0;
HWND watched = nullptr;

void CALLBACK countStateChange(HWINEVENTHOOK, DWORD, HWND hwnd, LONG object, LONG child, DWORD, DWORD) {
    stateChanges += hwnd == watched && object == OBJID_CLIENT && child == CHILDID_SELF ? 1 : 0;
}

TEST(ImageButton, ScreenReadersAreToldOfChangesPressItAndSurviveIt) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    Row row;
    watched = row.at(row.first);
    HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_STATECHANGE, EVENT_OBJECT_STATECHANGE, nullptr, countStateChange,
                                         GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
    IAccessible* object = nullptr;
    ASSERT_EQ(
        AccessibleObjectFromWindow(watched, OBJID_CLIENT, __uuidof(IAccessible), reinterpret_cast<void**>(&object)),
        S_OK);
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR name = nullptr;
    for (bool pressed : {true, true, false}) {
        ASSERT_TRUE(setImageButtonPressed(row.test.window, row.first, pressed));
    }
    pumpUntil([] { return stateChanges >= 2; }, 2000);
    EXPECT_EQ(stateChanges, 2);  // told of each change, not of a state set again
    // The default action is the click.
    row.test.event = UiEvent{};
    EXPECT_EQ(object->accDoDefaultAction(self), S_OK);
    drainQueue();
    EXPECT_EQ(row.test.event.code, row.first);
    // An unavailable button has none, and asking for it does nothing.
    ASSERT_TRUE(setImageButtonAvailable(row.test.window, row.first, false));
    BSTR action = nullptr;
    EXPECT_EQ(object->get_accDefaultAction(self, &action), DISP_E_MEMBERNOTFOUND);
    row.test.event = UiEvent{};
    EXPECT_EQ(object->accDoDefaultAction(self), DISP_E_MEMBERNOTFOUND);
    drainQueue();
    EXPECT_EQ(row.test.event.code, 0);
    // A client that outlives the control gets an error, not a crash.
    ASSERT_TRUE(removeControl(row.test.window, row.first));
    EXPECT_TRUE(FAILED(object->get_accName(self, &name)));
    object->Release();
    UnhookWinEvent(hook);
    CoUninitialize();
}

// The colour at the button's top-left corner and two pixels in, as painted on the screen.
struct Corner {
    COLORREF edge;
    COLORREF inside;
};

Corner paintedCorner(HWND hwnd) {
    RedrawWindow(GetParent(hwnd), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    HDC dc = GetDC(hwnd);
    Corner corner{GetPixel(dc, 1, 1), GetPixel(dc, 2, 2)};
    ReleaseDC(hwnd, dc);
    return corner;
}

// Wine keeps no focus-cue state: WM_QUERYUISTATE answers 0 whatever WM_CHANGEUISTATE asked.
// Windows' part is played here: controls answer with `uiState`, and a change asked of the
// window is noted in `uiChange`.
LRESULT uiState = 0;
WPARAM uiChange = 0;

LRESULT CALLBACK playUiState(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    if (message == WM_QUERYUISTATE) {
        return uiState;
    }
    if (message == WM_CHANGEUISTATE) {
        uiChange = wParam;
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

TEST(ImageButton, TheFocusMarkShowsWithTheFocusWhileFocusCuesShow) {
    Row row;
    for (HWND hwnd : {row.test.hwnd(), row.at(row.first), row.at(row.second)}) {
        SetWindowSubclass(hwnd, playUiState, 1, 0);
    }
    const COLORREF background = GetSysColor(COLOR_WINDOW);
    SetFocus(row.at(row.first));
    Corner focused = paintedCorner(row.at(row.first));
    EXPECT_EQ(focused.edge, kMark);
    EXPECT_EQ(focused.inside, background);
    EXPECT_EQ(paintedCorner(row.at(row.second)).edge, background);

    bool (*system)() = highContrastOn;
    highContrastOn = [] { return true; };
    EXPECT_EQ(paintedCorner(row.at(row.first)).edge, GetSysColor(COLOR_WINDOWTEXT));
    highContrastOn = system;

    uiState = UISF_HIDEFOCUS;  // the mouse was used last
    EXPECT_EQ(paintedCorner(row.at(row.first)).edge, background);
    SendMessageW(row.at(row.first), WM_KEYDOWN, VK_RIGHT, 0);
    EXPECT_EQ(uiChange, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS));  // the keyboard asks for the cues back
    uiState = 0;
    EXPECT_EQ(paintedCorner(row.at(row.second)).edge, kMark);
    EXPECT_EQ(paintedCorner(row.at(row.first)).edge, background);
}

TEST(ImageButton, AShownTooltipTakesTheNewDescription) {
    Row row;
    ASSERT_TRUE(setImageButtonDescription(row.test.window, row.first, L"Before"));
    RECT place{};
    GetWindowRect(row.at(row.first), &place);
    SetCursorPos(place.left + 5, place.top + 5);
    SendMessageW(row.at(row.first), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    HWND tip = row.test.window.tooltip;
    ASSERT_TRUE(pumpUntil([&] { return IsWindowVisible(tip) != 0; }, 5000));
    ASSERT_TRUE(setImageButtonDescription(row.test.window, row.first, L"After"));
    wchar_t text[16] = {};
    SendMessageW(tip, WM_GETTEXT, 16, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, L"After");
}

}  // namespace
