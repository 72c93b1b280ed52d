// Control state: visibility, check mark, enabled state and keyboard focus of a control.
#pragma once

#include "ui/ui_window.h"

// Flags of setControlState; within each pair the first wins.
constexpr uint32_t UI_STATE_HIDE = 0x0001;
constexpr uint32_t UI_STATE_SHOW = 0x0002;
constexpr uint32_t UI_STATE_CHECK = 0x0004;
constexpr uint32_t UI_STATE_UNCHECK = 0x0008;
constexpr uint32_t UI_STATE_INDETERMINATE = 0x0010;
constexpr uint32_t UI_STATE_ENABLE = 0x0020;
constexpr uint32_t UI_STATE_DISABLE = 0x0040;
constexpr uint32_t UI_STATE_FOCUS = 0x0080;
constexpr uint32_t UI_STATE_UNFOCUS = 0x0100;

// Applies the flags to control `index` (-1 = the last); false when it is not a live control.
bool setControlState(UiWindow& window, int32_t index, uint32_t flags);
