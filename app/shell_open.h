// Opening web addresses and settings pages with the shell, as the user at the desktop.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include "remedies/security_calls.h"

// The calls that decide how an address is opened and that open it, as one record of
// function pointers. The program uses SystemShellOpenCalls(); tests replace single entries
// to reach what one machine cannot show (an unelevated program, another account, a desktop
// without its shell).
struct ShellOpenCalls {
    SecurityCalls token;  // the program's own token, and CloseHandle
    // Hands the address to the desktop's own shell; false when that shell cannot be reached.
    bool (*desktopShellExecute)(const wchar_t* target);
    decltype(&ShellExecuteExW) shellExecuteEx;
};

// Bound to the real functions; the desktop's shell is reached through COM, which the
// calling thread must have initialised.
const ShellOpenCalls& SystemShellOpenCalls();

// Whether an address must be opened by the desktop's shell rather than by this process:
// true when the process runs elevated, or as another account than `targetSid` (a string
// SID, or an account name), or when its own token cannot be read.
bool OpensAsDesktopUser(const wchar_t* targetSid, const ShellOpenCalls& calls);

// Opens `target` with its default handler: through the desktop's shell when
// OpensAsDesktopUser says so and that shell answers, otherwise with ShellExecuteExW.
// Returns the started process's id, 1 when no process was reported, 0 on failure.
DWORD OpenWithShell(const wchar_t* target,
                    const wchar_t* targetSid,
                    const ShellOpenCalls& calls = SystemShellOpenCalls());
