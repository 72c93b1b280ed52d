// Tooltips: one comctl32 tooltip control per toolkit window, with a tool for each control that asks for one.
#include "ui/tooltip.h"

#include <commctrl.h>

#include "ui/controls.h"
#include "ui/dpi.h"
#include "ui/object_ledger.h"

namespace {

// Long descriptions wrap into lines of at most this many units.
constexpr int kTooltipLineWidth = 360;

HWND windowTooltip(UiWindow& window) {
    if (!window.tooltip && window.hwnd) {
        INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_TAB_CLASSES};  // registers the tooltip class
        InitCommonControlsEx(&classes);
        // Owned by the window, so that it stays above it; TTS_ALWAYSTIP shows tips while the
        // window is inactive too.
        window.tooltip = heldUserObject(CreateWindowExW(
            WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
            CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window.hwnd, nullptr, window.instance, nullptr));
        scaleTooltipFont(window);
    }
    return window.tooltip;
}

// The whole control is the tool, watched through a subclass; it is also the window that is
// asked for the text.
TTTOOLINFOW controlTool(HWND control) {
    TTTOOLINFOW tool = {};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = control;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = LPSTR_TEXTCALLBACKW;
    return tool;
}

}  // namespace

bool addControlTooltip(UiWindow& window, int32_t index) {
    UiControl* control = liveControl(window, index);
    HWND tooltip = control && control->hwnd ? windowTooltip(window) : nullptr;
    if (!tooltip) {
        return false;
    }
    TTTOOLINFOW tool = controlTool(control->hwnd);
    return SendMessageW(tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool)) != 0;
}

void refreshControlTooltip(UiWindow& window, int32_t index) {
    UiControl* control = liveControl(window, index);
    if (!window.tooltip || !control || !control->hwnd) {
        return;
    }
    // Wine's TTM_UPDATE only repaints; a text given again is asked for again at once.
    TTTOOLINFOW tool = controlTool(control->hwnd);
    SendMessageW(window.tooltip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    SendMessageW(window.tooltip, TTM_UPDATE, 0, 0);
}

void scaleTooltipFont(UiWindow& window) {
    if (!window.tooltip) {
        return;
    }
    SendMessageW(window.tooltip, TTM_SETMAXTIPWIDTH, 0,
                 MulDiv(kTooltipLineWidth, static_cast<int>(window.dpi), USER_DEFAULT_SCREEN_DPI));
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof metrics;
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
        return;
    }
    // Tooltips take the status font, which the system gives at its own DPI.
    metrics.lfStatusFont.lfHeight =
        MulDiv(metrics.lfStatusFont.lfHeight, static_cast<int>(window.dpi), static_cast<int>(systemDpi()));
    HFONT font = heldGdiObject(CreateFontIndirectW(&metrics.lfStatusFont));
    if (!font) {
        return;
    }
    SendMessageW(window.tooltip, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    deleteGdiObject(window.tooltipFont);
    window.tooltipFont = font;
}
