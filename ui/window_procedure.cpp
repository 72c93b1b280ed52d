// The window procedure shared by every toolkit window: events, behaviour and the dispatch.
#include "ui/window_procedure.h"

#include <commctrl.h>
#include <shellapi.h>

#include "ui/controls.h"
#include "ui/event_loop.h"
#include "ui/layout.h"
#include "ui/painting.h"

namespace {

constexpr int32_t kDroppedNameLimit = 2048;
constexpr LRESULT kHasDefaultId = DC_HASDEFID;

LRESULT passed(bool& passOn) {
    passOn = true;
    return 0;
}

void post(UiWindow& window, HWND hwnd, UINT message, int32_t code, int32_t controlIndex = 0, intptr_t value = 0) {
    postEvent(window, code, message, hwnd, controlIndex, value);
}

// Keyboard messages go through IsDialogMessageW for the window that is in front.
void refreshDialogWindow(UiWindow& window, HWND tested) {
    if (!window.eventTarget) {
        return;
    }
    if (!tested) {
        window.eventTarget->dialogWindow = nullptr;
    } else if (tested == GetForegroundWindow()) {
        window.eventTarget->dialogWindow = &window;
    }
}

void refreshDialogWindow(UiWindow& window) {
    refreshDialogWindow(window, window.hwnd);
}

void dragWindow(UiWindow& window) {
    const POINT& pt = window.eventTarget->msg.pt;
    SendMessageW(window.hwnd, WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(pt.x, pt.y));
}

LRESULT onSize(UiWindow& window, HWND hwnd, UINT message, WPARAM wParam) {
    if (wParam == SIZE_RESTORED || wParam == SIZE_MAXIMIZED) {
        refreshDialogWindow(window);
        layoutControls(window, hwnd);
    }
    post(window, hwnd, message, UI_EVENT_RESIZED);
    return 0;
}

LRESULT onActivate(UiWindow& window, HWND hwnd, UINT message, WPARAM wParam, bool& passOn) {
    if (hwnd == window.hwnd) {
        if (LOWORD(wParam) != 0) {
            refreshDialogWindow(window);
            post(window, hwnd, message, UI_EVENT_ACTIVATED);
        } else {
            window.eventTarget->dialogWindow = nullptr;
            post(window, hwnd, message, UI_EVENT_DEACTIVATED);
        }
        window.hotControl = 0;
    }
    return passed(passOn);
}

LRESULT onClose(UiWindow& window) {
    refreshDialogWindow(window);
    PostMessageW(window.hwnd, CloseRequestMessage, 0, 0);
    return 0;
}

LRESULT onSetCursor(UiWindow& window, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, bool& passOn) {
    bool handledCursor = false;
    auto under = reinterpret_cast<HWND>(wParam);
    int32_t hot = 0;
    if (window.cursor && under == window.hwnd && LOWORD(lParam) == HTCLIENT) {
        SetCursor(window.cursor);
        handledCursor = true;
    } else if (UiControl* control = controlOfHandle(window, under)) {
        hot = control->index;
        if (control->icon) {
            SetCursor(control->icon);
            handledCursor = true;
        }
    }
    window.hotControl = hot;
    post(window, hwnd, message, UI_EVENT_HOT_CONTROL, hot);
    if (handledCursor) {
        return 1;
    }
    return passed(passOn);
}

LRESULT onGetMinMaxInfo(UiWindow& window, LPARAM lParam) {
    auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
    if (!info) {
        return 0;
    }
    if (window.minTrackSize.width + window.minTrackSize.height != 0) {
        info->ptMinTrackSize = {window.minTrackSize.width, window.minTrackSize.height};
    }
    if (window.maxTrackSize.width + window.maxTrackSize.height != 0) {
        info->ptMaxTrackSize = {window.maxTrackSize.width, window.maxTrackSize.height};
    }
    return 0;
}

// Message boxes opened over the window move along with it.
void moveAttachedWindows(UiWindow& window, const WINDOWPOS& pos) {
    if ((pos.flags & SWP_NOMOVE) || !window.hwnd || window.attachedCount <= 0) {
        return;
    }
    RECT current{};
    if (!GetWindowRect(window.hwnd, &current)) {
        return;
    }
    int32_t dx = pos.x - current.left;
    int32_t dy = pos.y - current.top;
    for (int32_t i = 0; i < window.attachedCount && i < UI_ATTACHED_WINDOWS; ++i) {
        HWND attached = window.attachedWindows[i];
        RECT area{};
        if (attached && GetWindowRect(attached, &area)) {
            SetWindowPos(attached, nullptr, area.left + dx, area.top + dy, 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
        }
    }
}

LRESULT onWindowPosChanging(UiWindow& window, HWND hwnd, UINT message, LPARAM lParam) {
    auto* pos = reinterpret_cast<WINDOWPOS*>(lParam);
    if (hwnd == window.hwnd && pos) {
        moveAttachedWindows(window, *pos);
        post(window, hwnd, message, UI_EVENT_SIZING);
    }
    return 0;
}

LRESULT onWindowPosChanged(UiWindow& window, HWND hwnd, UINT message, LPARAM lParam) {
    refreshDialogWindow(window);
    auto* pos = reinterpret_cast<WINDOWPOS*>(lParam);
    if (pos && !(pos->flags & SWP_NOSIZE)) {
        layoutControls(window, hwnd);
        if (window.backgroundKind == StretchedBitmap) {
            InvalidateRect(hwnd, nullptr, TRUE);
        }
        post(window, hwnd, message, UI_EVENT_RESIZED);
    }
    return 0;
}

LRESULT onNotify(UiWindow& window, HWND hwnd, UINT message, LPARAM lParam) {
    refreshDialogWindow(window);
    auto* header = reinterpret_cast<NMHDR*>(lParam);
    UiControl* control = header ? liveControl(window, static_cast<int32_t>(header->idFrom)) : nullptr;
    if (!control || static_cast<int32_t>(header->idFrom) < 1) {
        return 0;
    }
    int32_t index = control->index;
    if (control->kind == UI_KIND_LINK && (header->code == NM_CLICK || header->code == NM_RETURN)) {
        auto* link = reinterpret_cast<NMLINK*>(lParam);
        window.text.Assign(link->item.szUrl);
        post(window, hwnd, message, index, link->item.iLink, reinterpret_cast<intptr_t>(window.text.Text()));
        return 0;
    }
    if (header->code == NM_DBLCLK) {
        post(window, hwnd, message, UI_EVENT_DOUBLE_CLICK, index);
    } else if (header->code == NM_RETURN) {
        post(window, hwnd, message, UI_EVENT_RETURN, index);
    }
    return 0;
}

LRESULT onContextMenu(UiWindow& window, HWND hwnd, UINT message, WPARAM wParam) {
    refreshDialogWindow(window);
    int32_t index = 0;
    if (UiControl* control = controlOfHandle(window, reinterpret_cast<HWND>(wParam))) {
        window.hotControl = control->index;
        index = control->index;
    }
    post(window, hwnd, message, UI_EVENT_CONTEXT_MENU, index);
    return 0;
}

// A frameless window's client area is its window rectangle inset by frameless - 1 pixels.
LRESULT onNcCalcSize(UiWindow& window, HWND hwnd, WPARAM wParam, LPARAM lParam, bool& passOn) {
    if (hwnd != window.hwnd || !window.frameless) {
        return passed(passOn);
    }
    auto* params = reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam);
    if (!wParam || !params) {
        return 0;
    }
    int32_t inset = window.frameless - 1;
    RECT outer = params->rgrc[0];
    params->rgrc[1] = outer;
    params->rgrc[0] = {outer.left + inset, outer.top + inset, outer.right - inset, outer.bottom - inset};
    if (params->lppos) {
        params->lppos->cx = outer.right - outer.left;
        params->lppos->cy = outer.bottom - outer.top;
    }
    return WVR_VALIDRECTS | WVR_REDRAW;
}

LRESULT onNcActivate(UiWindow& window, HWND hwnd, UINT message, WPARAM wParam, bool& passOn) {
    refreshDialogWindow(window, wParam ? window.hwnd : nullptr);
    if (hwnd == window.hwnd && window.frameless) {
        return 1;
    }
    post(window, hwnd, message, wParam ? UI_EVENT_NC_ACTIVATED : UI_EVENT_NC_DEACTIVATED);
    return passed(passOn);
}

LRESULT onCommand(UiWindow& window, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, bool& passOn) {
    int32_t id = LOWORD(wParam);
    int32_t code = HIWORD(wParam);
    UiControl* control = liveControl(window, id);
    if (id < 1 || !control) {
        return passed(passOn);
    }
    bool isPicture = control->kind == UI_KIND_LABEL || control->kind == UI_KIND_IMAGE;
    if (isPicture && code == STN_DBLCLK && lParam != 0) {
        post(window, hwnd, message, UI_EVENT_DOUBLE_CLICK, id);
        return 0;
    }
    // Code 0 is a button click or STN_CLICKED; code 1 without a control is an accelerator.
    if (code == 0 || (code == 1 && lParam == 0)) {
        if (control->flags & UI_FLAG_DRAGS_WINDOW) {
            dragWindow(window);
        }
        post(window, hwnd, message, id, code, lParam);
    }
    return 0;
}

LRESULT onSysCommand(UiWindow& window, HWND hwnd, UINT message, WPARAM wParam, bool& passOn) {
    refreshDialogWindow(window);
    closePopup(window);
    switch (wParam) {
        case SC_MINIMIZE:
            post(window, hwnd, message, UI_EVENT_MINIMIZE);
            break;
        case SC_RESTORE:
            post(window, hwnd, message, UI_EVENT_RESTORE);
            break;
        case SC_MAXIMIZE:
            post(window, hwnd, message, UI_EVENT_MAXIMIZE);
            break;
        case SC_MOVE:
            post(window, hwnd, message, UI_EVENT_MOVING);
            break;
        case SC_CLOSE:
            PostMessageW(window.hwnd, CloseRequestMessage, 0, 0);
            break;
        default:
            break;
    }
    return passed(passOn);
}

LRESULT onMouseMove(UiWindow& window, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, bool& passOn) {
    window.mouseX = static_cast<short>(LOWORD(lParam));
    window.mouseY = static_cast<short>(HIWORD(lParam));
    window.mouseKeys = static_cast<int32_t>(wParam);
    post(window, hwnd, message, UI_EVENT_MOUSE_MOVE, static_cast<int32_t>(wParam));
    return passed(passOn);
}

LRESULT onLeftButtonDown(UiWindow& window, HWND hwnd, UINT message, LPARAM lParam, bool& passOn) {
    refreshDialogWindow(window);
    POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    UiControl* control = controlOfHandle(window, ChildWindowFromPoint(hwnd, point));
    if (control && (control->flags & UI_FLAG_DRAGS_WINDOW)) {
        dragWindow(window);
    } else {
        post(window, hwnd, message, UI_EVENT_LBUTTON_DOWN);
    }
    return passed(passOn);
}

LRESULT onExitSizeMove(UiWindow& window, HWND hwnd, UINT message) {
    refreshDialogWindow(window);
    layoutControls(window, hwnd);
    for (int32_t i = 1; i <= window.controlCount; ++i) {
        const UiControl& control = window.controls[i];
        if (control.index && control.hwnd && (control.flags & UI_FLAG_REPAINT_AFTER_SIZING)) {
            invalidateInParent(control.hwnd);
        }
    }
    post(window, hwnd, message, UI_EVENT_MOVED);
    return 0;
}

LRESULT onDropFiles(UiWindow& window, HWND hwnd, UINT message, WPARAM wParam) {
    refreshDialogWindow(window);
    auto drop = reinterpret_cast<HDROP>(wParam);
    window.dropHandle = drop;
    if (!DragQueryPoint(drop, &window.dropPoint)) {
        // Dropped on the frame: nothing to report, and the handle is freed.
        DragFinish(drop);
        window.dropHandle = nullptr;
        return 0;
    }
    window.text.Assign(L"");
    wchar_t name[kDroppedNameLimit + 1];
    for (UINT i = 0;; ++i) {
        name[0] = 0;
        if (!DragQueryFileW(drop, i, name, kDroppedNameLimit)) {
            break;
        }
        window.text = i == 0 ? WideString(name) : WideString::Append({window.text.CStr(), L"\r\n", name});
    }
    DragFinish(drop);
    window.dropHandle = nullptr;
    HWND target = childAtPoint(window.hwnd, window.dropPoint.x, window.dropPoint.y);
    UiControl* control = controlOfHandle(window, target);
    if (!control && target) {
        control = controlOfHandle(window, GetParent(target));
    }
    post(window, hwnd, message, UI_EVENT_FILES_DROPPED, control ? control->index : 0,
         reinterpret_cast<intptr_t>(window.text.Text()));
    return 0;
}

LRESULT onGetDefaultId(UiWindow& window) {
    refreshDialogWindow(window);
    if (!window.defaultButton) {
        return 0;
    }
    return MAKELONG(LOWORD(window.defaultButton), kHasDefaultId);
}

// Sends the point down: the window under it whose client height is smallest wins.
struct ChildSearch {
    POINT screen;
    int32_t bestHeight;
    HWND found;
};

BOOL CALLBACK considerChild(HWND child, LPARAM data) {
    auto* search = reinterpret_cast<ChildSearch*>(data);
    if (!IsWindowVisible(child) ||
        DefWindowProcW(child, WM_NCHITTEST, 0, MAKELPARAM(search->screen.x, search->screen.y)) < 1) {
        return TRUE;
    }
    RECT client{};
    GetClientRect(child, &client);
    int32_t height = client.bottom - client.top;
    if (height <= search->bestHeight) {
        search->bestHeight = height;
        search->found = child;
    }
    return TRUE;
}

// Common controls hear of new system colours only from their top-level window.
void forwardColourChange(UiWindow& window, WPARAM wParam, LPARAM lParam) {
    for (int32_t i = 1; i <= window.controlCount; ++i) {
        const UiControl& control = window.controls[i];
        if (control.index && control.kind == UI_KIND_LINK) {
            SendMessageW(control.hwnd, WM_SYSCOLORCHANGE, wParam, lParam);
        }
    }
    if (window.tooltip) {
        SendMessageW(window.tooltip, WM_SYSCOLORCHANGE, wParam, lParam);
    }
}

}  // namespace

HWND childAtPoint(HWND hwnd, int32_t x, int32_t y) {
    if (!IsWindow(hwnd)) {
        return nullptr;
    }
    POINT screen{x, y};
    SetLastError(0);
    MapWindowPoints(hwnd, nullptr, &screen, 1);
    if (GetLastError() != 0) {
        return nullptr;
    }
    if (GetWindowLongW(hwnd, GWL_STYLE) & WS_CLIPCHILDREN) {
        return WindowFromPoint(screen);
    }
    ChildSearch search{screen, 500000, nullptr};
    EnumChildWindows(hwnd, considerChild, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool closePopup(UiWindow& window) {
    if (window.popupWindow) {
        DestroyWindow(window.popupWindow);
        window.popupWindow = nullptr;
    }
    return true;
}

LRESULT handleWindowMessage(UiWindow& window, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, bool& passOn) {
    if (!window.eventTarget) {
        return passed(passOn);
    }
    auto dc = reinterpret_cast<HDC>(wParam);
    auto child = reinterpret_cast<HWND>(lParam);
    auto wide = static_cast<int32_t>(wParam);
    switch (message) {
        case WM_MOVE:
            post(window, hwnd, message, UI_EVENT_MOVED);
            return passed(passOn);
        case WM_SIZE:
            return onSize(window, hwnd, message, wParam);
        case WM_ACTIVATE:
        case WM_ACTIVATEAPP:
            return onActivate(window, hwnd, message, wParam, passOn);
        case WM_CLOSE:
            return onClose(window);
        case WM_QUERYENDSESSION:
            post(window, hwnd, message, UI_EVENT_SESSION_ENDING, static_cast<int32_t>(lParam));
            // 0 would refuse to let the user sign out or shut down; nothing here needs saving.
            return TRUE;
        case WM_ERASEBKGND:
            return eraseBackground(window, hwnd, dc, passOn);
        case WM_ENDSESSION:
            post(window, hwnd, message, UI_EVENT_SESSION_ENDING);
            return 0;
        case WM_SETCURSOR:
            return onSetCursor(window, hwnd, message, wParam, lParam, passOn);
        case WM_GETMINMAXINFO:
            return onGetMinMaxInfo(window, lParam);
        case WM_NEXTDLGCTL:
        case WM_GETDLGCODE:
        case WM_INITDIALOG:
        case WM_ENTERIDLE:
        case WM_CTLCOLORDLG:
            return DefDlgProcW(hwnd, message, wParam, lParam);
        case WM_WINDOWPOSCHANGING:
            return onWindowPosChanging(window, hwnd, message, lParam);
        case WM_WINDOWPOSCHANGED:
            return onWindowPosChanged(window, hwnd, message, lParam);
        case WM_NOTIFY:
            return onNotify(window, hwnd, message, lParam);
        case WM_CONTEXTMENU:
            return onContextMenu(window, hwnd, message, wParam);
        case WM_NCCALCSIZE:
            return onNcCalcSize(window, hwnd, wParam, lParam, passOn);
        case WM_NCPAINT:
            return hwnd == window.hwnd && window.frameless ? 0 : passed(passOn);
        case WM_NCACTIVATE:
            return onNcActivate(window, hwnd, message, wParam, passOn);
        case WM_NCLBUTTONDOWN:
            refreshDialogWindow(window);
            post(window, hwnd, message, UI_EVENT_NC_LBUTTON_DOWN, wide);
            return passed(passOn);
        case WM_NCLBUTTONUP:
            refreshDialogWindow(window);
            post(window, hwnd, message, UI_EVENT_NC_LBUTTON_UP, wide);
            return passed(passOn);
        case WM_NCLBUTTONDBLCLK:
            refreshDialogWindow(window);
            post(window, hwnd, message, UI_EVENT_NC_DOUBLE_CLICK, wide);
            return passed(passOn);
        case WM_CHAR:
            refreshDialogWindow(window);
            post(window, hwnd, message, UI_EVENT_CHAR, wide, lParam);
            return passed(passOn);
        case WM_COMMAND:
            return onCommand(window, hwnd, message, wParam, lParam, passOn);
        case WM_SYSCOMMAND:
            return onSysCommand(window, hwnd, message, wParam, passOn);
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
            return editControlColours(window, dc, child, passOn);
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORSTATIC:
            return staticControlColours(window, dc, child, passOn);
        case WM_MOUSEMOVE:
            return onMouseMove(window, hwnd, message, wParam, lParam, passOn);
        case WM_LBUTTONDOWN:
            return onLeftButtonDown(window, hwnd, message, lParam, passOn);
        case WM_LBUTTONUP:
            post(window, hwnd, message, UI_EVENT_LBUTTON_UP, wide);
            return passed(passOn);
        case WM_LBUTTONDBLCLK:
            refreshDialogWindow(window);
            post(window, hwnd, message, UI_EVENT_DOUBLE_CLICK, window.hotControl);
            return passed(passOn);
        case WM_RBUTTONDOWN:
            refreshDialogWindow(window);
            post(window, hwnd, message, UI_EVENT_RBUTTON_DOWN, wide);
            return passed(passOn);
        case WM_RBUTTONUP:
            post(window, hwnd, message, UI_EVENT_RBUTTON_UP, wide);
            return passed(passOn);
        case WM_RBUTTONDBLCLK:
            refreshDialogWindow(window);
            post(window, hwnd, message, UI_EVENT_RIGHT_DOUBLE_CLICK, window.hotControl);
            return passed(passOn);
        case WM_MOUSEWHEEL:
            post(window, hwnd, message, UI_EVENT_MOUSE_WHEEL, wide);
            return passed(passOn);
        case WM_ENTERMENULOOP:
            post(window, hwnd, message, UI_EVENT_MENU_LOOP_ENTERED);
            return passed(passOn);
        case WM_EXITMENULOOP:
            post(window, hwnd, message, UI_EVENT_MENU_LOOP_LEFT);
            return passed(passOn);
        case WM_SIZING:
            post(window, hwnd, message, UI_EVENT_SIZING);
            return 0;
        case WM_MOVING:
            post(window, hwnd, message, UI_EVENT_MOVING);
            return 1;
        case WM_EXITSIZEMOVE:
            return onExitSizeMove(window, hwnd, message);
        case WM_DROPFILES:
            return onDropFiles(window, hwnd, message, wParam);
        case WM_NCMOUSELEAVE:
            post(window, hwnd, message, UI_EVENT_NC_MOUSE_LEAVE, wide);
            return passed(passOn);
        case DM_GETDEFID:
            return onGetDefaultId(window);
        case WM_SYSCOLORCHANGE:
        case WM_SETTINGCHANGE:
            if (message == WM_SYSCOLORCHANGE) {
                forwardColourChange(window, wParam, lParam);
            }
            // The system's colours changed, or high contrast was turned on or off: paint all again.
            if (message == WM_SYSCOLORCHANGE || wParam == SPI_SETHIGHCONTRAST) {
                RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
            }
            return passed(passOn);
        case WM_DPICHANGED:
            // Moved to a monitor of another scale, or the scale changed: LOWORD is the new DPI.
            if (hwnd == window.hwnd) {
                rescaleWindow(window, LOWORD(wParam), reinterpret_cast<const RECT*>(lParam));
            }
            return 0;
        case WM_GETDPISCALEDSIZE:
            // Asked before WM_DPICHANGED (Windows 10 1703 and later), so that the rectangle it
            // suggests already has the client size; lParam is the SIZE to change.
            // https://learn.microsoft.com/windows/win32/hidpi/wm-getdpiscaledsize
            if (hwnd == window.hwnd) {
                return scaledWindowSize(window, LOWORD(wParam), *reinterpret_cast<SIZE*>(lParam));
            }
            return passed(passOn);
        case CloseRequestMessage:
            // Also when a loop other than the toolkit's took it from the queue.
            post(window, hwnd, message, UI_EVENT_CLOSE);
            return 0;
        default:
            return passed(passOn);
    }
}

LRESULT CALLBACK
windowSubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR subclassId, DWORD_PTR) {
    auto* window = reinterpret_cast<UiWindow*>(subclassId);
    if (!window) {
        return DefSubclassProc(hwnd, message, wParam, lParam);
    }
    bool passOn = false;
    LRESULT result = handleWindowMessage(*window, hwnd, message, wParam, lParam, passOn);
    return passOn ? DefSubclassProc(hwnd, message, wParam, lParam) : result;
}
