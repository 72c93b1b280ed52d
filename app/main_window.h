// The main window: its texts, links and app tiles, and the commands behind them.
#pragma once

#include <windows.h>

#include "app/target_user.h"
#include "app/texts.h"
#include "remedies/reset_and_fix.h"
#include "text/wide_string.h"

// Builds the main window, runs its events until it is closed, and tears it down. Returns
// the exit code, 0.
int RunMainWindow(TargetUser& user, HINSTANCE instance);

// What the box after Method 1 says, in the language of `texts`: for a count of 0 the failure
// text, then the file types Windows kept, if any; otherwise the success text followed by a
// paragraph for each thing that was left undone.
WideString Method1Report(const Texts& texts, const ResetOutcome& outcome);
