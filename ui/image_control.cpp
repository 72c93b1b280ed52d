// Image controls: bitmap statics that keep their own copy of the picture they show.
#include "ui/image_control.h"

// gdiplus.h needs the COM property types declared first.
#include <objidl.h>
#include <gdiplus.h>

#include <memory>

#include "ui/controls.h"
#include "ui/dpi.h"
#include "ui/images.h"
#include "ui/object_ledger.h"

namespace {

HBITMAP copyBitmap(HBITMAP bitmap) {
    return bitmap ? heldGdiObject(static_cast<HBITMAP>(CopyImage(bitmap, IMAGE_BITMAP, 0, 0, 0))) : nullptr;
}

}  // namespace

int32_t addImage(UiWindow& window, HBITMAP bitmap, int32_t x, int32_t y, int32_t width, int32_t height) {
    int32_t index =
        addChildControl(window, UI_KIND_IMAGE, L"Static", nullptr,
                        WS_CHILD | WS_VISIBLE | SS_NOTIFY | SS_REALSIZECONTROL | SS_BITMAP, x, y, width, height);
    if (!index) {
        return 0;
    }
    UiControl& control = window.controls[index];
    HBITMAP copy = copyBitmap(bitmap);
    control.extra = copy;
    // With common controls 6 a 32 bpp picture is copied by the static; that copy comes back here.
    auto previous = reinterpret_cast<HBITMAP>(
        SendMessageW(control.hwnd, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(copy)));
    if (previous && previous != copy) {
        DeleteObject(previous);
    }
    return index;
}

HBITMAP loadPicture(HMODULE module, const wchar_t* id, const wchar_t* largeId, UINT dpi, int32_t width, int32_t height) {
    HBITMAP picture = nullptr;
    std::unique_ptr<Gdiplus::Bitmap> loaded(loadImageForDpi(module, id, largeId, dpi, width, height));
    if (loaded) {
        Gdiplus::Bitmap canvas(width, height, PixelFormat32bppPARGB);
        if (canvas.GetLastStatus() == Gdiplus::Ok && scaleImageInto(loaded.get(), &canvas, width, height)) {
            canvas.GetHBITMAP(Gdiplus::Color(0), &picture);
        }
    }
    return picture;
}

int32_t addResourceImage(UiWindow& window,
                         HMODULE module,
                         const wchar_t* id,
                         const wchar_t* largeId,
                         int32_t x,
                         int32_t y,
                         int32_t width,
                         int32_t height) {
    const RECT place = unitRectToPixels(x, y, width, height, window.dpi);
    HBITMAP picture = heldGdiObject(
        loadPicture(module, id, largeId, window.dpi, place.right - place.left, place.bottom - place.top));
    int32_t index = addImage(window, picture, x, y, width, height);
    deleteGdiObject(picture);
    return index;
}

bool setControlImage(UiWindow& window, int32_t index, HBITMAP bitmap, int32_t width, int32_t height) {
    UiControl* control = liveControl(window, index);
    if (!control || control->kind != UI_KIND_IMAGE) {
        return false;
    }
    HBITMAP blank = bitmap ? nullptr
                           : heldGdiObject(createBlankDib(unitsToPixels(width, window.dpi),
                                                          unitsToPixels(height, window.dpi)));
    HBITMAP old = static_cast<HBITMAP>(control->extra);
    HBITMAP copy = copyBitmap(bitmap ? bitmap : blank);
    control->extra = copy;
    auto returned = reinterpret_cast<HBITMAP>(
        SendMessageW(control->hwnd, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(copy)));
    // The old picture goes only once the control no longer shows it.
    deleteGdiObject(old);
    deleteGdiObject(blank);
    invalidateInParent(control->hwnd);
    // A control that kept a copy of the previous picture hands that copy back; the control
    // made it, so it was never in the ledger.
    if (returned && returned != old && returned != copy) {
        DeleteObject(returned);
    }
    return true;
}
