// Text labels: static controls that notify their parent of clicks.
#include "ui/label.h"

#include "ui/controls.h"

int32_t addLabel(UiWindow& window, const wchar_t* text, int32_t x, int32_t y, int32_t width, int32_t height) {
    return addChildControl(window, UI_KIND_LABEL, L"Static", text, WS_CHILD | WS_VISIBLE | SS_NOTIFY, x, y, width,
                           height);
}
