// Push buttons and the window's default button.
#include "ui/button.h"

#include "ui/controls.h"

namespace {

void setDefaultStyle(UiControl& control, bool isDefault) {
    LONG style = GetWindowLongW(control.hwnd, GWL_STYLE);
    style = isDefault ? (style | BS_DEFPUSHBUTTON) : (style & ~static_cast<LONG>(BS_DEFPUSHBUTTON));
    SetWindowLongW(control.hwnd, GWL_STYLE, style);
    invalidateInParent(control.hwnd);
}

bool isButton(const UiControl* control) {
    return control && control->kind == UI_KIND_BUTTON && control->hwnd;
}

}  // namespace

int32_t addButton(UiWindow& window, const wchar_t* text, int32_t x, int32_t y, int32_t width, int32_t height) {
    return addChildControl(window, UI_KIND_BUTTON, L"Button", text,
                           WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, x, y, width, height);
}

int32_t setDefaultButton(UiWindow& window, int32_t index) {
    if (index == window.defaultButton) {
        return index;
    }
    if (index == -1) {
        index = window.controlCount;
    }
    UiControl* next = liveControl(window, index);
    if (index < 1 || !next) {
        return 0;
    }
    int32_t previous = window.defaultButton;
    UiControl* current = previous > 0 ? liveControl(window, previous) : nullptr;
    if (isButton(current)) {
        setDefaultStyle(*current, false);
    }
    window.defaultButton = index;
    if (isButton(next)) {
        setDefaultStyle(*next, true);
    }
    return previous;
}
