// Tooltips: one comctl32 tooltip control per toolkit window, with a tool for each control that asks for one.
#include "ui/tooltip.h"

#include <commctrl.h>

#include "ui/controls.h"
#include "ui/object_ledger.h"

namespace {

HWND windowTooltip(UiWindow& window) {
    if (!window.tooltip && window.hwnd) {
        INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_TAB_CLASSES};  // registers the tooltip class
        InitCommonControlsEx(&classes);
        // Owned by the window, so that it stays above it; TTS_ALWAYSTIP shows tips while the
        // window is inactive too.
        window.tooltip = heldUserObject(CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                                        WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                                                        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window.hwnd,
                                                        nullptr, window.instance, nullptr));
    }
    return window.tooltip;
}

}  // namespace

bool addControlTooltip(UiWindow& window, int32_t index) {
    UiControl* control = liveControl(window, index);
    HWND tooltip = control && control->hwnd ? windowTooltip(window) : nullptr;
    if (!tooltip) {
        return false;
    }
    TTTOOLINFOW tool = {};
    tool.cbSize = sizeof tool;
    // The whole control is the tool, watched through a subclass; it is also the window that
    // is asked for the text.
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = control->hwnd;
    tool.uId = reinterpret_cast<UINT_PTR>(control->hwnd);
    tool.lpszText = LPSTR_TEXTCALLBACKW;
    return SendMessageW(tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool)) != 0;
}
