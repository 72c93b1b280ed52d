// The display languages of the person the program works for, as Windows lists them.
#pragma once

#include "app/session_calls.h"
#include "app/target_user.h"
#include "text/wide_string_list.h"

// The display languages of `user`, most preferred first, as locale names. For the account that
// runs the program, the thread's preferred UI languages with the user's and the system's
// fallbacks; for another user (an administrator started the program for the person at the
// console), that user's PreferredUILanguages, else the machine's, else the language Windows
// was installed in.
WideStringList DisplayLanguages(const TargetUser& user, const SessionCalls& calls = SystemSessionCalls());
