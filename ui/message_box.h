// The toolkit's message box: a rounded popup with a text and an OK button, run modally.
#pragma once

// gdiplus.h needs the COM property types declared first.
#include <objidl.h>
#include <gdiplus.h>

#include "ui/ui_window.h"

// Results of showMessageBox and runMessageBox.
constexpr int32_t UI_BOX_OK = 1;
constexpr int32_t UI_BOX_CLOSED = 0;
constexpr int32_t UI_BOX_QUEUE_ENDED = -1000;

constexpr int32_t UI_BOX_DEFAULT_WIDTH = 360;
constexpr int32_t UI_BOX_MIN_WIDTH = 160;

struct UiMessageBox {
    int32_t textIndex = -1;
    int32_t okIndex = -1;
    Gdiplus::ARGB borderColour = 0xFF000000;
    Gdiplus::ARGB fillColour = 0xFFFFFFFF;
    Gdiplus::ARGB bandColour = 0xFFF0F0FF;
    int32_t textColour = 0;
    int32_t cornerRadius = 12;
    UiEvent* event = nullptr;  // not owned: the owner's record while the box runs
    UiEvent before{};          // that record as it was when the box was built
    UiWindow window;

    UiMessageBox();
    ~UiMessageBox();
    UiMessageBox(const UiMessageBox&) = delete;
    UiMessageBox& operator=(const UiMessageBox&) = delete;
};

// Shows `text` in a box of width x height (a width below 160 gives 360, and a text that needs
// more room makes it taller) over owner, waits until it is closed and tears it down. 1 = OK, 0 = a close request, -1000 = the queue ended.
int32_t showMessageBox(UiWindow* owner, const wchar_t* text, int32_t height, int32_t width);

// Creates and shows the box over owner (or alone), sharing the owner's event record.
void buildMessageBox(UiMessageBox& box, UiWindow* owner, const wchar_t* text, int32_t height, int32_t width);

// Takes events until OK is pressed, a close request arrives or the queue ends; then closes.
int32_t runMessageBox(UiMessageBox& box);

// Hides and destroys the box and gives the event record back as it was before the box.
// A close request for another window than the box, seen while the box ran or closed, is
// left pending in it, so that the owner's loop ends too.
void closeMessageBox(UiMessageBox& box);

// Paints the box's frame, face and button band into its background and gives the window
// its rounded outline; sizes are in units, drawn at the window's DPI.
void paintMessageBoxBackground(UiWindow& window,
                               int32_t width,
                               int32_t height,
                               Gdiplus::ARGB border,
                               Gdiplus::ARGB fill,
                               Gdiplus::ARGB band,
                               int32_t cornerRadius);
