// The user whose settings the program changes: the one at the console, even when the
// program was started under another account.
#pragma once

#include "app/session_calls.h"
#include "text/wide_string.h"

struct TargetUser {
    WideString userName;      // account name without domain
    WideString sid;           // string SID (S-1-...), or the account name when no SID was found
    bool runsProgram = true;  // the account that runs the program, not one it acts for
};

// The user of the active console session, confirmed by one of that user's processes in
// that session or by that user's loaded hive; otherwise the account running the program,
// with the SID of the program's own token.
void ResolveTargetUser(TargetUser& user, const SessionCalls& calls = SystemSessionCalls());

// Writes the console user's name into `name` and, when a process of that user in the
// console session is found or the user's hive under HKEY_USERS opens, the string SID into
// `sid`. Returns the matching process's token, or no handle. At most one process handle
// and one token are open at a time; no privilege is used.
SessionHandle FindConsoleUser(WideString& name, WideString& sid, const SessionCalls& calls);

// Replaces the account name in `text` by the account's string SID; on failure `text`
// stays as it was.
bool AccountNameToSid(WideString& text, const SessionCalls& calls);

// Capacity of the name and SID buffers, in characters without the terminator. Longer
// texts get buffers of their own size rather than being cut.
constexpr int32_t kTargetUserTextCapacity = 128;
