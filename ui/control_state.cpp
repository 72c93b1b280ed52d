// Control state: visibility, check mark, enabled state and keyboard focus of a control.
#include "ui/control_state.h"

#include "ui/controls.h"

bool setControlState(UiWindow& window, int32_t index, uint32_t flags) {
    UiControl* control = liveControl(window, index);
    if (!control) {
        return false;
    }
    HWND hwnd = control->hwnd;
    if (flags & UI_STATE_HIDE) {
        ShowWindow(hwnd, SW_HIDE);
        SetWindowLongW(hwnd, GWL_STYLE, GetWindowLongW(hwnd, GWL_STYLE) & ~static_cast<LONG>(WS_VISIBLE));
    } else if (flags & UI_STATE_SHOW) {
        ShowWindow(hwnd, SW_SHOW);
        SetWindowLongW(hwnd, GWL_STYLE, GetWindowLongW(hwnd, GWL_STYLE) | static_cast<LONG>(WS_VISIBLE));
    }
    if (flags & UI_STATE_CHECK) {
        SendMessageW(hwnd, BM_SETCHECK, BST_CHECKED, 0);
    } else if (flags & UI_STATE_UNCHECK) {
        SendMessageW(hwnd, BM_SETCHECK, BST_UNCHECKED, 0);
    } else if (flags & UI_STATE_INDETERMINATE) {
        SendMessageW(hwnd, BM_SETCHECK, BST_INDETERMINATE, 0);
    }
    if (flags & UI_STATE_ENABLE) {
        EnableWindow(hwnd, TRUE);
    } else if (flags & UI_STATE_DISABLE) {
        EnableWindow(hwnd, FALSE);
    }
    if (flags & UI_STATE_FOCUS) {
        SetFocus(hwnd);
    } else if (flags & UI_STATE_UNFOCUS) {
        SetFocus(window.hwnd);
    }
    return true;
}
