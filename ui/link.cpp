// Links: SysLink controls whose text is link markup.
#include "ui/link.h"

#include <commctrl.h>

#include "ui/controls.h"

int32_t addLink(UiWindow& window, const wchar_t* markup, int32_t x, int32_t y, int32_t width, int32_t height) {
    // The link class is registered only on request.
    INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_LINK_CLASS};
    InitCommonControlsEx(&classes);
    return addChildControl(window, UI_KIND_LINK, WC_LINK, markup, WS_CHILD | WS_VISIBLE | WS_TABSTOP, x, y, width,
                           height);
}

bool setLinkDefaultColours(UiWindow& window) {
    UiControl* control = liveControl(window, -1);
    if (!control || control->kind != UI_KIND_LINK) {
        return false;
    }
    LITEM item{};
    item.mask = LIF_ITEMINDEX | LIF_STATE;
    item.iLink = 0;
    item.state = LIS_DEFAULTCOLORS;
    item.stateMask = LIS_DEFAULTCOLORS;
    return SendMessageW(control->hwnd, LM_SETITEM, 0, reinterpret_cast<LPARAM>(&item)) != 0;
}
