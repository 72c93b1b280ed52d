// UiWindow and UiEvent: the toolkit's window record and the record its events are written to.
#pragma once

#include <windows.h>

#include <cstdint>

#include "text/wide_string.h"
#include "ui/ui_control.h"

struct UiWindow;

// The toolkit's own event codes; a positive code is the index of the control activated.
constexpr int32_t UI_EVENT_NONE = 0;
constexpr int32_t UI_EVENT_SIZING = -3;
constexpr int32_t UI_EVENT_RESIZED = -4;
constexpr int32_t UI_EVENT_FILES_DROPPED = -5;
constexpr int32_t UI_EVENT_CLOSE = -6;
constexpr int32_t UI_EVENT_MINIMIZE = -7;
constexpr int32_t UI_EVENT_RESTORE = -8;
constexpr int32_t UI_EVENT_MAXIMIZE = -9;
constexpr int32_t UI_EVENT_LBUTTON_DOWN = -10;
constexpr int32_t UI_EVENT_LBUTTON_UP = -11;
constexpr int32_t UI_EVENT_RBUTTON_DOWN = -12;
constexpr int32_t UI_EVENT_RBUTTON_UP = -13;
constexpr int32_t UI_EVENT_DOUBLE_CLICK = -14;
constexpr int32_t UI_EVENT_RIGHT_DOUBLE_CLICK = -15;
constexpr int32_t UI_EVENT_MOUSE_MOVE = -16;
constexpr int32_t UI_EVENT_MOUSE_WHEEL = -17;
constexpr int32_t UI_EVENT_NC_DOUBLE_CLICK = -18;
constexpr int32_t UI_EVENT_ACTIVATED = -19;
constexpr int32_t UI_EVENT_DEACTIVATED = -20;
constexpr int32_t UI_EVENT_HOT_CONTROL = -21;
constexpr int32_t UI_EVENT_CONTEXT_MENU = -22;
constexpr int32_t UI_EVENT_NC_MOUSE_LEAVE = -23;
constexpr int32_t UI_EVENT_MOVING = -24;
constexpr int32_t UI_EVENT_MOVED = -25;
constexpr int32_t UI_EVENT_RETURN = -26;
constexpr int32_t UI_EVENT_NC_LBUTTON_DOWN = -27;
constexpr int32_t UI_EVENT_NC_LBUTTON_UP = -28;
constexpr int32_t UI_EVENT_NC_ACTIVATED = -29;
constexpr int32_t UI_EVENT_NC_DEACTIVATED = -30;
constexpr int32_t UI_EVENT_SESSION_ENDING = -31;
constexpr int32_t UI_EVENT_CHAR = -201;
constexpr int32_t UI_EVENT_MENU_LOOP_ENTERED = -206;
constexpr int32_t UI_EVENT_MENU_LOOP_LEFT = -207;
constexpr int32_t UI_EVENT_QUEUE_ENDED = -300;

// Posted by a window to itself when it is asked to close; the loop turns it into UI_EVENT_CLOSE.
constexpr UINT CloseRequestMessage = 0x0CAE;

// How a window's background is painted.
enum BackgroundKind : int32_t {
    SolidBrush = 0,
    TiledPattern = 1,
    StretchedBitmap = 2,
    NoBackground = 3,
    BorrowedBrush = 4,  // as SolidBrush, but `backgroundBrush` is not the window's to delete
};

constexpr int32_t UI_ATTACHED_WINDOWS = 48;

struct UiEvent {
    int32_t code;
    HWND sourceHwnd;
    uint32_t message;
    int32_t controlIndex;
    intptr_t value;
    MSG msg;
    UiWindow* window;        // not owned
    UiWindow* dialogWindow;  // not owned
    uint8_t pending;
    uint8_t quit;
};

struct UiSize {
    int32_t width;
    int32_t height;
};

// One top-level toolkit window. It owns its native window, control table, brushes, bitmaps
// and memory DC, and releases them in destroyWindow; the object can be created again. The
// operations on it live in the files of their concern, above this one; its constructor and
// destructor with createWindow and destroyWindow (ui/window_lifetime.cpp).
struct UiWindow {
    UiEvent ownEvent{};
    UiControl* controls = nullptr;  // owned; slot 0 never holds a control
    int32_t controlCount = 0;
    int32_t controlCapacity = 0;
    int32_t attachedCount = 0;
    HWND attachedWindows[UI_ATTACHED_WINDOWS] = {};  // not owned
    WideString text;
    HINSTANCE instance = nullptr;  // not owned
    RECT scratchRect{};
    RECT scratchRect2{};
    UiSize minTrackSize{};
    UiSize maxTrackSize{};
    RECT clientRect{};
    RECT currentClient{};
    double fontSize = 0;
    int32_t fontWeight = 0;
    uint8_t fontStyle = 0;  // bit 1 italic, bit 2 underline, bit 3 strike-out; bit 0 changes nothing
    wchar_t fontFace[32] = {};
    uint8_t fontQuality = 0;         // 0 = CLEARTYPE_QUALITY
    UiEvent* eventTarget = nullptr;  // not owned
    HBITMAP backgroundBitmap = nullptr;
    HBITMAP initialDcBitmap = nullptr;  // not owned: the memory DC's own bitmap
    HDC memoryDC = nullptr;
    int32_t defaultButton = 0;
    uint32_t nextControlFlags = 0;
    HBRUSH backgroundBrush = nullptr;  // owned unless backgroundKind is BorrowedBrush
    HBRUSH patternBrush = nullptr;
    int32_t backgroundKind = SolidBrush;
    ATOM classAtom = 0;
    HDROP dropHandle = nullptr;  // not owned: finished as soon as it is read
    POINT dropPoint{};
    int32_t clientWidth = 0;
    int32_t clientHeight = 0;
    HCURSOR cursor = nullptr;  // not owned
    int32_t nextTextColour = -1;
    int32_t nextBackColour = -1;
    HWND hwnd = nullptr;
    HWND controlParent = nullptr;  // not owned
    HWND popupWindow = nullptr;
    HWND tooltip = nullptr;       // the tooltip control of the window's controls, made on first use
    HFONT tooltipFont = nullptr;  // the tooltip's font at the window's DPI
    uint8_t nextStartsGroup = 0;
    uint8_t classExisted = 0;
    uint8_t frameless = 0;
    int32_t mouseX = 0;
    int32_t mouseY = 0;
    int32_t mouseKeys = 0;
    int32_t hotControl = 0;
    // The places and sizes of windows and controls are given in units of 1/96 inch, and
    // `dpi` turns them into pixels; drawing calls take pixels. It follows the window's
    // monitor (WM_DPICHANGED).
    UINT dpi = USER_DEFAULT_SCREEN_DPI;
    UiSize unitClient{};       // the client size asked of createWindow, in units
    uint8_t scalePending = 0;  // a new DPI came while the window was minimised: sized and laid out on restore
    // Called once the window and its controls are laid out for a new DPI, for what only the
    // window's maker can draw again (its background and pictures); context is passed on.
    void (*dpiChanged)(void* context) = nullptr;
    void* dpiContext = nullptr;  // not owned

    UiWindow();
    ~UiWindow();
    UiWindow(const UiWindow&) = delete;
    UiWindow& operator=(const UiWindow&) = delete;
};
