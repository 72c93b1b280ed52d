// The string SID of the user running a test or benchmark, read from the process token.
#pragma once

#include <string>

std::wstring CurrentUserSid();
