// Image buttons: image controls that the keyboard and screen readers can use as push buttons.
#pragma once

#include "ui/ui_window.h"

// Makes image control `index` a button for the keyboard and for screen readers, with its
// picture, mouse behaviour and events unchanged:
// - it joins the tab order, and Left or Right moves the focus to the image button before or
//   after it, Up or Down to the nearest one in the row above or below;
// - while it has the focus and the window shows focus cues, a two-pixel mark in `markColour`
//   (the theme's text colour in high contrast) lines its edge;
// - Space or Enter sends the command a click sends;
// - screen readers read `name`, the role push button, the pressed state and `action` as the
//   name of its default action;
// - a tooltip shows its description.
// False when the slot is not an image control or is one already.
bool makeImageButton(UiWindow& window, int32_t index, const wchar_t* name, const wchar_t* action, COLORREF markColour);

// The pressed state that screen readers read; they are told when it changes.
bool setImageButtonPressed(UiWindow& window, int32_t index, bool pressed);

// An unavailable button leaves the tab order and the arrow moves, and screen readers read it
// as unavailable. Its clicks still arrive: what they do is the caller's.
bool setImageButtonAvailable(UiWindow& window, int32_t index, bool available);

// What the button's tooltip says, and screen readers read as its description.
bool setImageButtonDescription(UiWindow& window, int32_t index, const wchar_t* description);
