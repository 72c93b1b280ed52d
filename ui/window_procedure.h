// The window procedure shared by every toolkit window: events, behaviour and the dispatch.
#pragma once

#include "ui/ui_window.h"

// Handles one message of a toolkit window. With passOn set on return, the caller answers
// with the default processing instead of the result.
LRESULT handleWindowMessage(UiWindow& window, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, bool& passOn);

// The smallest visible child of hwnd under client point (x, y), or null.
HWND childAtPoint(HWND hwnd, int32_t x, int32_t y);

// Destroys the window's transient popup, if any; always true.
bool closePopup(UiWindow& window);

// The subclass procedure of every toolkit window; its subclass id is the window's UiWindow.
LRESULT CALLBACK
windowSubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR subclassId, DWORD_PTR referenceData);
