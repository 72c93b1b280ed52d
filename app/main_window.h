// The main window: its texts, links and app tiles, and the commands behind them.
#pragma once

#include <windows.h>

#include "app/target_user.h"

// Builds the main window, runs its events until it is closed, and tears it down. Returns
// the exit code, 0.
int RunMainWindow(TargetUser& user, HINSTANCE instance);
