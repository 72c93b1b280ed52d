// The toolkit's message box: a rounded popup with a text and an OK button, run modally.
#include "ui/message_box.h"

#include <cwchar>

#include "ui/button.h"
#include "ui/control_state.h"
#include "ui/controls.h"
#include "ui/dpi.h"
#include "ui/event_loop.h"
#include "ui/images.h"
#include "ui/label.h"
#include "ui/layout.h"
#include "ui/object_ledger.h"
#include "ui/shapes.h"
#include "ui/window_lifetime.h"

namespace {

constexpr wchar_t kBoxClass[] = L"_WINDOW_MsgBoxClass";
constexpr int32_t kFrameDiameter = 4;
constexpr int32_t kFrameWidth = 4;
constexpr int32_t kBandHeight = 35;

void attachToOwner(UiWindow& owner, HWND box) {
    for (int32_t i = 0; i < UI_ATTACHED_WINDOWS; ++i) {
        HWND entry = owner.attachedWindows[i];
        if (!entry || !IsWindow(entry)) {
            owner.attachedWindows[i] = box;
            if (owner.attachedCount < i + 1) {
                owner.attachedCount = i + 1;
            }
            return;
        }
    }
}

// The box writes in its owner's face, which has the glyphs of the owner's language.
void applyBoxFont(UiWindow& window, const UiWindow* owner) {
    applyFontDefaults(window);
    if (owner && owner->fontFace[0]) {
        wcscpy(window.fontFace, owner->fontFace);
    }
}

// The box's background is drawn for one DPI; on another it is drawn again.
void repaintBox(void* context) {
    UiMessageBox& box = *static_cast<UiMessageBox*>(context);
    paintMessageBoxBackground(box.window, box.window.unitClient.width, box.window.unitClient.height, box.borderColour,
                              box.fillColour, box.bandColour, box.cornerRadius);
}

}  // namespace

UiMessageBox::UiMessageBox() {
    window.eventTarget = &window.ownEvent;
}

UiMessageBox::~UiMessageBox() {
    closeMessageBox(*this);
    destroyWindow(window);
}

void paintMessageBoxBackground(UiWindow& window,
                               int32_t width,
                               int32_t height,
                               Gdiplus::ARGB border,
                               Gdiplus::ARGB fill,
                               Gdiplus::ARGB band,
                               int32_t cornerRadius) {
    if (!window.hwnd) {
        return;
    }
    auto px = [&](int32_t units) { return unitsToPixels(units, window.dpi); };
    const int32_t w = px(width);
    const int32_t h = px(height);
    const int32_t frame = px(kFrameWidth);
    Gdiplus::Bitmap canvas(w, h, PixelFormat32bppPARGB);
    fillRoundedRect(&canvas, 0, 0, w, h, border, px(kFrameDiameter));
    fillRoundedRect(&canvas, frame, frame, w - 2 * frame, h - 2 * frame, fill, px(kFrameDiameter));
    if (band != fill) {
        fillRoundedRect(&canvas, frame, h - px(kBandHeight + kFrameWidth), w - 2 * frame, px(kBandHeight), band, 0);
    }
    if (window.memoryDC) {
        HBITMAP bitmap = nullptr;
        canvas.GetHBITMAP(Gdiplus::Color(UI_WINDOW_BACKGROUND_ARGB), &bitmap);
        heldGdiObject(bitmap);
        if (bitmap) {
            adoptBackgroundBitmap(window, bitmap);
        }
    }
    bool captioned = (GetWindowLongW(window.hwnd, GWL_STYLE) & WS_CAPTION) != 0;
    if (!captioned && cornerRadius != 0) {
        setRoundedRegion(window.hwnd, w, h, px(cornerRadius));
    } else if (captioned) {
        setWindowShape(window, px(cornerRadius));
    }
}

void buildMessageBox(UiMessageBox& box, UiWindow* owner, const wchar_t* text, int32_t height, int32_t width) {
    UiWindow& window = box.window;
    if (window.hwnd) {
        showWindow(window, SW_HIDE, 0);
        destroyWindow(window);
    }
    HWND parent = nullptr;
    if (owner) {
        box.event = owner->eventTarget;
        if (box.event) {
            box.before = *box.event;
        }
        window.eventTarget = owner->eventTarget ? owner->eventTarget : &window.ownEvent;
        if (owner->hwnd && (GetWindowLongW(owner->hwnd, GWL_STYLE) & WS_MINIMIZE)) {
            ShowWindow(owner->hwnd, SW_RESTORE);
        }
        parent = owner->hwnd;
    } else {
        box.event = window.eventTarget;
    }
    if (width < UI_BOX_MIN_WIDTH) {
        width = UI_BOX_DEFAULT_WIDTH;
    }
    // A text longer than the box was made for makes it taller, never wider. The box opens
    // over its owner, at the owner's DPI.
    applyBoxFont(window, owner);
    window.dpi = owner && owner->hwnd ? owner->dpi : systemDpi();
    const int32_t needed = measureText(window, text, width - 40, window.fontSize).height + 65;
    if (height < needed) {
        height = needed;
    }
    createWindow(window, kBoxClass, L"", width, height, -1, -1, WS_POPUP, static_cast<DWORD>(-1), parent);
    window.dpiChanged = repaintBox;
    window.dpiContext = &box;
    applyBoxFont(window, owner);
    window.nextTextColour = box.textColour;
    paintMessageBoxBackground(window, width, height, box.borderColour, box.fillColour, box.bandColour,
                              box.cornerRadius);
    if (window.hwnd) {
        centreWindow(window.hwnd, parent);
    }
    if (owner && window.hwnd) {
        attachToOwner(*owner, window.hwnd);
    }
    box.textIndex = window.hwnd ? addLabel(window, text, 20, 20, width - 40, height - 65) : 0;
    // The text may name things with an "&" in them, which is no mnemonic here.
    if (UiControl* label = liveControl(window, box.textIndex)) {
        SetWindowLongW(label->hwnd, GWL_STYLE, GetWindowLongW(label->hwnd, GWL_STYLE) | SS_NOPREFIX);
    }
    box.okIndex = 0;
    if (window.hwnd) {
        box.okIndex = addButton(window, L"OK", width - 135, height - 35, 80, 25);
        if (box.okIndex) {
            setDefaultButton(window, box.okIndex);
        }
    }
    showWindow(window, SW_SHOW, UI_SHOW_UPDATE | UI_SHOW_FOREGROUND | UI_SHOW_ACTIVATE);
    if (box.okIndex) {
        setControlState(window, box.okIndex, UI_STATE_FOCUS);
    }
}

int32_t runMessageBox(UiMessageBox& box) {
    if (!box.window.hwnd || !box.event) {
        return UI_BOX_CLOSED;
    }
    int32_t result = UI_BOX_QUEUE_ENDED;
    UiEvent& event = *box.event;
    while (nextEvent(event)) {
        if (event.code == UI_EVENT_CLOSE) {
            result = UI_BOX_CLOSED;
            break;
        }
        if (event.window == &box.window && box.okIndex > 0 && event.code == box.okIndex) {
            result = UI_BOX_OK;
            break;
        }
        // Events of the owner and of other windows are swallowed while the box runs.
    }
    closeMessageBox(box);
    return result;
}

void closeMessageBox(UiMessageBox& box) {
    if (!box.event || !box.window.hwnd) {
        return;
    }
    UiEvent& event = *box.event;
    const HWND boxHwnd = box.window.hwnd;
    // The box's own close request ends only the box; any other must still end its loop.
    auto closesAnother = [&] { return event.code == UI_EVENT_CLOSE && event.sourceHwnd != boxHwnd; };
    UiEvent close = event;
    bool closing = closesAnother();
    showWindow(box.window, SW_HIDE, 0);
    destroyWindow(box.window);
    pumpPending(&event);
    if (!closing && closesAnother()) {
        close = event;
        closing = true;
    }
    UiWindow* const dialogAfter = event.dialogWindow;
    event = box.before;
    // The window that came to the front meanwhile takes the keyboard.
    if (dialogAfter && dialogAfter != &box.window) {
        event.dialogWindow = dialogAfter;
    }
    if (closing) {
        event.code = UI_EVENT_CLOSE;
        event.window = close.window == &box.window ? nullptr : close.window;
        event.sourceHwnd = close.sourceHwnd;
        event.message = CloseRequestMessage;
        event.pending = 1;
        event.quit = 1;
    }
}

int32_t showMessageBox(UiWindow* owner, const wchar_t* text, int32_t height, int32_t width) {
    UiMessageBox box;
    buildMessageBox(box, owner, text, height, width);
    int32_t result = runMessageBox(box);
    closeMessageBox(box);
    destroyWindow(box.window);
    return result;
}
