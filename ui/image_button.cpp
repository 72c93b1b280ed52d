// Image buttons: a subclass of the picture control that adds what a push button has for the
// keyboard and for screen readers, and nothing that the mouse would notice.
#include "ui/image_button.h"

#include <commctrl.h>

#include <cstdlib>

#include "ui/button_accessible.h"
#include "ui/controls.h"
#include "ui/dpi.h"
#include "ui/object_ledger.h"
#include "ui/painting.h"
#include "ui/tooltip.h"

namespace {

// Any number; it tells this subclass apart from others on the same control.
constexpr UINT_PTR kImageButtonSubclass = 0x494D4742;
constexpr wchar_t kRecordMessageName[] = L"Velloran.ImageButtonRecord";
constexpr int kMarkWidth = 2;
constexpr LPARAM kRepeatedKey = 1 << 30;  // the key was already down: auto-repeat

struct ImageButton {
    AccessibleButtonFacts facts;
    COLORREF markColour;
    ButtonAccessible* accessible = nullptr;  // owned reference
};

// The subclass answers this message with its record, every other window with 0. (Not
// GetWindowSubclass: mingw-w64's 64-bit import library for comctl32 lacks it.)
UINT recordMessage() {
    static const UINT message = RegisterWindowMessageW(kRecordMessageName);
    return message;
}

ImageButton* imageButtonOf(HWND hwnd) {
    return hwnd ? reinterpret_cast<ImageButton*>(SendMessageW(hwnd, recordMessage(), 0, 0)) : nullptr;
}

ImageButton* liveImageButton(UiWindow& window, int32_t index) {
    UiControl* control = liveControl(window, index);
    return control ? imageButtonOf(control->hwnd) : nullptr;
}

// Screen readers are told of each change, and only of a change.
void changeFact(const ImageButton& button, bool& fact, bool value) {
    if (fact != value) {
        fact = value;
        NotifyWinEvent(EVENT_OBJECT_STATECHANGE, button.facts.hwnd, OBJID_CLIENT, CHILDID_SELF);
    }
}

// Focus marks show only once the keyboard has been used in the window, as Windows does.
bool showsFocusMark(HWND hwnd) {
    return GetFocus() == hwnd && !(SendMessageW(hwnd, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS);
}

void drawFocusMark(HWND hwnd, COLORREF colour) {
    RECT edge{};
    HDC dc = GetDC(hwnd);
    // In high contrast the tiles stand on the theme's window colour, where its text colour stands out.
    HBRUSH brush = heldGdiObject(CreateSolidBrush(highContrastOn() ? GetSysColor(COLOR_WINDOWTEXT) : colour));
    if (dc && brush && GetClientRect(hwnd, &edge)) {
        for (int i = 0, width = unitsToPixels(kMarkWidth, windowDpi(hwnd)); i < width; ++i) {
            FrameRect(dc, &edge, brush);
            InflateRect(&edge, -1, -1);
        }
    }
    deleteGdiObject(brush);
    if (dc) {
        ReleaseDC(hwnd, dc);
    }
}

void moveFocus(HWND hwnd, bool forward) {
    const UINT step = forward ? GW_HWNDNEXT : GW_HWNDPREV;
    for (HWND next = GetWindow(hwnd, step); next; next = GetWindow(next, step)) {
        const ImageButton* button = imageButtonOf(next);
        if (button && button->facts.available && IsWindowVisible(next) && IsWindowEnabled(next)) {
            SetFocus(next);
            return;
        }
    }
}

// Up or Down: to the button in the nearest row above or below whose centre is nearest across.
void moveFocusAcross(HWND hwnd, bool down) {
    RECT own{};
    GetWindowRect(hwnd, &own);
    HWND best = nullptr;
    LONG bestRows = 0, bestAcross = 0;
    for (HWND next = GetWindow(hwnd, GW_HWNDFIRST); next; next = GetWindow(next, GW_HWNDNEXT)) {
        const ImageButton* button = imageButtonOf(next);
        RECT place{};
        if (!button || !button->facts.available || !IsWindowVisible(next) || !IsWindowEnabled(next) ||
            !GetWindowRect(next, &place)) {
            continue;
        }
        const LONG rows = down ? place.top - own.top : own.top - place.top;
        const LONG across = std::abs((place.left + place.right) - (own.left + own.right));
        if (rows > 0 && (!best || rows < bestRows || (rows == bestRows && across < bestAcross))) {
            best = next;
            bestRows = rows;
            bestAcross = across;
        }
    }
    if (best) {
        SetFocus(best);
    }
}

bool onKeyDown(HWND hwnd, WPARAM key, LPARAM lParam) {
    switch (key) {
        case VK_SPACE:
        case VK_RETURN:
            if (!(lParam & kRepeatedKey)) {
                clickImageButton(hwnd);
            }
            break;
        case VK_LEFT:
        case VK_RIGHT:
            moveFocus(hwnd, key == VK_RIGHT);
            break;
        case VK_UP:
        case VK_DOWN:
            moveFocusAcross(hwnd, key == VK_DOWN);
            break;
        default:
            return false;
    }
    // The keyboard is in use: focus marks show from now on.
    SendMessageW(GetAncestor(hwnd, GA_ROOT), WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
    return true;
}

// The dialog manager keeps Tab and Shift+Tab; the arrows and Enter come here, where Enter
// would otherwise press the window's default button.
LRESULT onGetDialogCode(HWND hwnd, WPARAM wParam, LPARAM lParam) {
    LRESULT code = DefSubclassProc(hwnd, WM_GETDLGCODE, wParam, lParam) | DLGC_WANTARROWS;
    const auto* message = reinterpret_cast<const MSG*>(lParam);
    if (message && message->message == WM_KEYDOWN && message->wParam == VK_RETURN) {
        code |= DLGC_WANTMESSAGE;
    }
    return code;
}

LRESULT CALLBACK imageButtonProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
    auto* button = reinterpret_cast<ImageButton*>(data);
    if (message == recordMessage()) {
        return reinterpret_cast<LRESULT>(button);
    }
    switch (message) {
        case WM_GETDLGCODE:
            return onGetDialogCode(hwnd, wParam, lParam);
        case WM_KEYDOWN:
            if (onKeyDown(hwnd, wParam, lParam)) {
                return 0;
            }
            break;
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
        case WM_UPDATEUISTATE: {
            const LRESULT result = DefSubclassProc(hwnd, message, wParam, lParam);
            // Every control hears of a change of focus cues; only the focused one shows them.
            if (message != WM_UPDATEUISTATE || GetFocus() == hwnd) {
                invalidateInParent(hwnd);
            }
            return result;
        }
        case WM_PAINT: {
            const LRESULT result = DefSubclassProc(hwnd, message, wParam, lParam);
            if (showsFocusMark(hwnd)) {
                drawFocusMark(hwnd, button->markColour);
            }
            return result;
        }
        case WM_NOTIFY: {
            // The tooltip asks for the text each time it shows: it follows the description.
            auto* info = reinterpret_cast<NMTTDISPINFOW*>(lParam);
            if (info->hdr.code == TTN_GETDISPINFOW) {
                info->lpszText = const_cast<wchar_t*>(button->facts.description.CStr());
                return 0;
            }
            break;
        }
        case WM_GETOBJECT:
            if (static_cast<LONG>(lParam) == OBJID_CLIENT) {
                if (LRESULT answer = answerAccessibleRequest(button->accessible, button->facts, wParam)) {
                    return answer;
                }
            }
            break;
        case WM_NCDESTROY:
            disconnectAccessible(button->accessible);
            RemoveWindowSubclass(hwnd, imageButtonProc, kImageButtonSubclass);
            delete button;
            break;
        default:
            break;
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

}  // namespace

bool makeImageButton(UiWindow& window, int32_t index, const wchar_t* name, const wchar_t* action, COLORREF markColour) {
    UiControl* control = liveControl(window, index);
    if (!control || control->kind != UI_KIND_IMAGE || !control->hwnd || imageButtonOf(control->hwnd)) {
        return false;
    }
    auto* button =
        new ImageButton{{control->hwnd, WideString(name), WideString(action), false, true, WideString()}, markColour};
    if (!SetWindowSubclass(control->hwnd, imageButtonProc, kImageButtonSubclass, reinterpret_cast<DWORD_PTR>(button))) {
        delete button;
        return false;
    }
    SetWindowLongW(control->hwnd, GWL_STYLE, GetWindowLongW(control->hwnd, GWL_STYLE) | WS_TABSTOP);
    addControlTooltip(window, index);
    return true;
}

bool setImageButtonPressed(UiWindow& window, int32_t index, bool pressed) {
    ImageButton* button = liveImageButton(window, index);
    if (!button) {
        return false;
    }
    changeFact(*button, button->facts.pressed, pressed);
    return true;
}

bool setImageButtonAvailable(UiWindow& window, int32_t index, bool available) {
    ImageButton* button = liveImageButton(window, index);
    if (!button) {
        return false;
    }
    changeFact(*button, button->facts.available, available);
    const HWND hwnd = button->facts.hwnd;
    const LONG style = GetWindowLongW(hwnd, GWL_STYLE);
    SetWindowLongW(hwnd, GWL_STYLE, available ? style | WS_TABSTOP : style & ~WS_TABSTOP);
    return true;
}

bool setImageButtonDescription(UiWindow& window, int32_t index, const wchar_t* description) {
    ImageButton* button = liveImageButton(window, index);
    if (!button) {
        return false;
    }
    if (wcscmp(button->facts.description.CStr(), description ? description : L"") != 0) {
        button->facts.description.Assign(description);
        NotifyWinEvent(EVENT_OBJECT_DESCRIPTIONCHANGE, button->facts.hwnd, OBJID_CLIENT, CHILDID_SELF);
        refreshControlTooltip(window, index);
    }
    return true;
}
