// What screen readers are told about an image button: its name, the role push button, pressed,
// unavailable, and a description; and the press that its default action makes.
#pragma once

#include <windows.h>

#include "text/wide_string.h"

// The facts of one button, kept by the button's own record.
struct AccessibleButtonFacts {
    HWND hwnd;  // not owned
    WideString name;
    WideString action;  // the default action's name, as pressing it is called in the user's language
    bool pressed = false;
    bool available = true;
    WideString description;  // the system's when empty
};

struct ButtonAccessible;

// The answer to WM_GETOBJECT for OBJID_CLIENT: the system's own description of the control
// with the facts above in place of name, role, state, default action and description.
// `object` is made at the first request and kept; `facts` must outlive it or be cut off by
// disconnectAccessible.
// 0 (the system answers alone) when oleacc cannot be used.
LRESULT answerAccessibleRequest(ButtonAccessible*& object, const AccessibleButtonFacts& facts, WPARAM wParam);

// Cuts the object off from its facts and from clients in other processes, and releases it.
void disconnectAccessible(ButtonAccessible*& object);

// Posts the command a click on the picture sends (STN_CLICKED) to the control's parent: a press
// of the button, by its keys or by a screen reader's default action.
void clickImageButton(HWND control);
